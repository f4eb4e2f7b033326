#pragma once
// Number conversions used by the action (interim; see library conversions).
#include <QLocale>
#include <QString>
#include <cmath>
#include <cstdio>

namespace mvnz::assignvalue::num {

inline double Nearest(double v) { return std::nearbyint(v); }

// The number the leading part of s spells; 0 when it begins with none.
inline double Val(const QString& s) {
  QByteArray b;
  const QString t = s;
  int i = 0;
  while (i < t.size() && (t[i] == u' ' || t[i] == u'\t' || t[i] == u'\n' || t[i] == u'\r')) ++i;
  if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) b += char(t[i++].unicode());
  bool digits = false, dot = false;
  for (; i < t.size(); ++i) {
    const QChar c = t[i];
    if (c == u' ' || c == u'\t') continue;
    if (c.isDigit() && c.unicode() < 128) {
      b += char(c.unicode());
      digits = true;
    } else if (c == u'.' && !dot) {
      b += '.';
      dot = true;
    } else {
      break;
    }
  }
  if (!digits) return 0;
  return std::strtod(b.constData(), nullptr);
}

inline double CDbl(const QString& s, bool* ok) {
  const QString t = s.trimmed();
  bool good = false;
  double v = QLocale().toDouble(t, &good);
  if (!good) v = QLocale::c().toDouble(t, &good);
  if (good && !std::isfinite(v)) good = false;
  *ok = good;
  return good ? v : 0;
}

// Shortest general text: up to 15 significant digits, the locale's decimal sign,
// exponent form ("1E+15", "1E-05") outside 1E-04 .. 1E+14.
inline QString FormatGeneral(double v) {
  if (v == 0) return QStringLiteral("0");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  QString s = QString::fromLatin1(buf);
  const bool neg = s.startsWith('-');
  if (neg) s.remove(0, 1);
  const int epos = s.indexOf('e');
  const int exp = s.mid(epos + 1).toInt();
  QString digits = s.left(epos).remove('.');
  while (digits.size() > 1 && digits.endsWith('0')) digits.chop(1);
  const QString dec = QLocale().decimalPoint();
  QString out;
  if (exp >= 15 || exp < -4) {
    out = digits.left(1);
    if (digits.size() > 1) out += dec + digits.mid(1);
    out += QStringLiteral("E%1%2").arg(exp < 0 ? '-' : '+').arg(std::abs(exp), 2, 10, QChar('0'));
  } else if (exp >= 0) {
    QString intPart = digits.left(exp + 1);
    while (intPart.size() < exp + 1) intPart += '0';
    out = intPart;
    if (digits.size() > exp + 1) out += dec + digits.mid(exp + 1);
  } else {
    out = QStringLiteral("0") + dec + QString(-exp - 1, '0') + digits;
  }
  return neg ? QStringLiteral("-") + out : out;
}

}  // namespace mvnz::assignvalue::num
