// Number rules: Basic's Val and conversions, number texts, Booleans, and the
// configuration file's leading numbers.
#include "library/numbers.h"

#include <QLocale>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace mvnz {
namespace {

bool isDigit(QChar c) { return c >= '0' && c <= '9'; }

int hexValue(QChar c) {
  if (isDigit(c)) return c.unicode() - '0';
  const char16_t u = c.toLower().unicode();
  return u >= 'a' && u <= 'f' ? u - 'a' + 10 : -1;
}

// Basic's number literals, or the plain decimal numbers of the configuration file.
enum class Grammar { Basic, Decimal };

// Reads one number at s[pos...]; pos moves past it. std::nullopt when no number
// starts there.
std::optional<double> readNumber(const QString& s, qsizetype& pos,
                                 Grammar grammar = Grammar::Basic) {
  qsizetype i = pos;
  const qsizetype n = s.size();
  if (grammar == Grammar::Basic && i + 1 < n && s[i] == '&') {
    const QChar kind = s[i + 1].toUpper();
    const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
    if (base == 0) return std::nullopt;
    i += 2;
    uint64_t v = 0;
    int digits = 0;
    while (i < n) {
      const int d = hexValue(s[i]);
      if (d < 0 || d >= base) break;
      if (digits < 16) v = v * base + d;
      ++digits;
      ++i;
    }
    if (digits == 0) return std::nullopt;
    pos = i;
    // As the Basic literals: a value that fits 16 (or 32) bits is a signed one.
    if (v <= 0xFFFF && (base == 16 ? digits <= 4 : digits <= 6)) return int16_t(uint16_t(v));
    if (v <= 0xFFFFFFFFu) return int32_t(uint32_t(v));
    return double(v);
  }
  QByteArray text;
  if (i < n && (s[i] == '+' || s[i] == '-')) text += char(s[i++].unicode());
  int digits = 0;
  while (i < n && isDigit(s[i])) text += char(s[i++].unicode()), ++digits;
  if (i < n && s[i] == '.') {
    text += '.';
    ++i;
    while (i < n && isDigit(s[i])) text += char(s[i++].unicode()), ++digits;
  }
  if (digits == 0) return std::nullopt;
  const QLatin1StringView exponents =
      grammar == Grammar::Basic ? QLatin1StringView("eEdD") : QLatin1StringView("eE");
  if (i < n && exponents.contains(s[i])) {
    qsizetype j = i + 1;
    QByteArray exp = "e";
    if (j < n && (s[j] == '+' || s[j] == '-')) exp += char(s[j++].unicode());
    if (j < n && isDigit(s[j])) {
      while (j < n && isDigit(s[j])) exp += char(s[j++].unicode());
      text += exp;
      i = j;
    }
  }
  pos = i;
  // C locale, whatever the process locale is; overflow gives an infinity.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
  return strtod_l(text.constData(), nullptr, cLocale);
}

// The whole of s (less surrounding blanks) as one number.
std::optional<double> wholeNumber(const QString& s) {
  const QString t = s.trimmed();
  qsizetype pos = 0;
  const auto v = readNumber(t, pos);
  if (!v || pos != t.size()) return std::nullopt;
  return v;
}

[[noreturn]] void raise(int number) {
  throw ConversionError{number, number == kErrOverflow ? QStringLiteral("Overflow")
                                                       : QStringLiteral("Type mismatch")};
}

template <class T>
std::optional<T> roundTo(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double r = std::nearbyint(v);  // default rounding: halves go to the even neighbour
  if (r < double(std::numeric_limits<T>::min()) || r > double(std::numeric_limits<T>::max()))
    return std::nullopt;
  return T(r);
}

template <class T>
T roundOrRaise(double v) {
  if (auto r = roundTo<T>(v)) return *r;
  raise(kErrOverflow);
}

}  // namespace

double Val(const QString& s, bool* hasNumber) {
  QString t;
  t.reserve(s.size());
  for (QChar c : s)
    if (c != ' ' && c != '\t' && c != '\n') t += c;
  qsizetype pos = 0;
  const auto v = readNumber(t, pos);
  if (hasNumber) *hasNumber = v.has_value();
  return v.value_or(0.0);
}

bool IsNumeric(const QString& s) {
  const auto v = wholeNumber(s);
  return v && std::isfinite(*v);
}

std::optional<double> ToDouble(const QString& s) {
  const auto v = wholeNumber(s);
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

double CDbl(const QString& s) {
  const auto v = wholeNumber(s);
  if (!v) raise(kErrTypeMismatch);
  if (!std::isfinite(*v)) raise(kErrOverflow);
  return *v;
}

short CInt(double v) { return roundOrRaise<short>(v); }
short CInt(const QString& s) { return CInt(CDbl(s)); }
int CLng(double v) { return roundOrRaise<int32_t>(v); }
int CLng(const QString& s) { return CLng(CDbl(s)); }

std::optional<short> ToInteger(const QString& s) {
  const auto v = ToDouble(s);
  return v ? roundTo<short>(*v) : std::nullopt;
}

std::optional<int> ToLong(const QString& s) {
  const auto v = ToDouble(s);
  return v ? roundTo<int32_t>(*v) : std::nullopt;
}

QString CStr(double v) {
  if (v == 0 || !std::isfinite(v)) return QStringLiteral("0");
  // Rounded to 15 significant digits first, so the exponent is that of the rounded value.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  QString s = QString::fromLatin1(buf);
  const bool negative = s.startsWith(QLatin1Char('-'));
  if (negative) s.remove(0, 1);
  const qsizetype e = s.indexOf(QLatin1Char('e'));
  const int exp = s.mid(e + 1).toInt();
  QString digits = s.left(e).remove(QLatin1Char('.'));
  while (digits.size() > 1 && digits.endsWith(QLatin1Char('0'))) digits.chop(1);
  const QString dec = QLocale().decimalPoint();
  QString out;
  if (exp >= 15 || exp < -4) {
    out = digits.left(1);
    if (digits.size() > 1) out += dec + digits.mid(1);
    out += QStringLiteral("E%1%2")
               .arg(QLatin1Char(exp < 0 ? '-' : '+'))
               .arg(std::abs(exp), 2, 10, QLatin1Char('0'));
  } else if (exp >= 0) {
    out = digits.left(exp + 1).leftJustified(exp + 1, QLatin1Char('0'));
    if (digits.size() > exp + 1) out += dec + digits.mid(exp + 1);
  } else {
    out = QStringLiteral("0") + dec + QString(-exp - 1, QLatin1Char('0')) + digits;
  }
  return negative ? QStringLiteral("-") + out : out;
}

std::optional<double> ToDoubleInLocale(const QString& s) {
  const QString t = s.trimmed();
  bool ok = false;
  const double v = QLocale().toDouble(t, &ok);
  if (ok) return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
  return ToDouble(t);
}

QString BoolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

std::optional<bool> ToBool(const QString& s) {
  const QString t = s.trimmed();
  if (t.compare("True", Qt::CaseInsensitive) == 0) return true;
  if (t.compare("False", Qt::CaseInsensitive) == 0) return false;
  if (const auto v = ToDouble(t)) return *v != 0;
  return std::nullopt;
}

bool CBool(const QString& s) {
  if (const auto b = ToBool(s)) return *b;
  raise(kErrTypeMismatch);
}

double LeadingNumber(const QString& text) {
  qsizetype pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  const auto v = readNumber(text, pos, Grammar::Decimal);
  return v && std::isfinite(*v) ? *v : 0;
}

std::optional<double> FileNumber(const QString& text) {
  const auto blank = [](QChar c) { return c == ' ' || c == '\t'; };
  qsizetype begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  const QString t = text.mid(begin, end - begin);
  qsizetype pos = 0;
  const auto v = readNumber(t, pos, Grammar::Decimal);
  if (!v || pos != t.size() || !std::isfinite(*v)) return std::nullopt;
  return v;
}

double RoundHalfEven(double v) { return std::nearbyint(v); }  // default mode: to even

std::optional<int> LeadingInt16(const QString& text) {
  const double r = RoundHalfEven(LeadingNumber(text));
  if (r < -32768 || r > 32767) return std::nullopt;
  return static_cast<int>(r);
}

std::optional<bool> ParseBoolean(const QString& text) {
  const QString t = text.trimmed();
  if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  qsizetype pos = 0;
  if (!readNumber(t, pos, Grammar::Decimal) || pos != t.size()) return std::nullopt;
  return LeadingNumber(t) != 0;
}

}  // namespace mvnz
