// Basic-style conversions: numbers, Booleans and date-time texts.
#include "library/conversions.h"

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

// Reads one number at s[pos...]; pos moves past it. std::nullopt when no number
// starts there.
std::optional<double> readNumber(const QString& s, qsizetype& pos) {
  qsizetype i = pos;
  const qsizetype n = s.size();
  if (i + 1 < n && s[i] == '&') {
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
  if (i < n && QString("eEdD").contains(s[i])) {
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

double Val(const QString& s) {
  QString t;
  t.reserve(s.size());
  for (QChar c : s)
    if (c != ' ' && c != '\t' && c != '\n') t += c;
  qsizetype pos = 0;
  return readNumber(t, pos).value_or(0.0);
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

// ---- date-time texts ----

namespace {

const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};
const char* const kDays[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                             "Friday", "Saturday", "Sunday"};

enum class Field {
  Literal,
  Day,
  DayAbbr,
  DayName,
  Month,
  MonthAbbr,
  MonthName,
  Year2,
  Year4,
  Hour,
  Minute,
  Second
};

struct Token {
  Field field;
  int width;  // 1 or 2 for the numeric fields
  QChar literal;
};

QList<Token> tokenize(const QString& pattern) {
  QList<Token> out;
  bool afterHour = false;
  for (qsizetype i = 0; i < pattern.size();) {
    const QChar c = pattern[i].toLower();
    qsizetype run = 1;
    while (i + run < pattern.size() && pattern[i + run].toLower() == c) ++run;
    Token t{Field::Literal, 0, pattern[i]};
    switch (c.unicode()) {
      case 'd':
        t = {run >= 4   ? Field::DayName
             : run == 3 ? Field::DayAbbr
                        : Field::Day,
             int(qMin(run, 2)),
             {}};
        break;
      case 'm':
        if (run <= 2 && afterHour)
          t = {Field::Minute, int(run), {}};
        else
          t = {run >= 4   ? Field::MonthName
               : run == 3 ? Field::MonthAbbr
                          : Field::Month,
               int(qMin(run, 2)),
               {}};
        break;
      case 'y':
        t = {run >= 4 ? Field::Year4 : Field::Year2, 0, {}};
        break;
      case 'h':
        t = {Field::Hour, int(qMin(run, 2)), {}};
        break;
      case 'n':
        t = {Field::Minute, int(qMin(run, 2)), {}};
        break;
      case 's':
        t = {Field::Second, int(qMin(run, 2)), {}};
        break;
      default:
        run = 1;
    }
    if (t.field != Field::Literal) afterHour = t.field == Field::Hour;
    out.append(t);
    i += run;
  }
  return out;
}

QString number(int v, int width) { return QString::number(v).rightJustified(width, '0'); }

}  // namespace

QString FormatDate(const QDateTime& t, const QString& pattern) {
  const QDateTime local = t.toLocalTime();
  const QDate d = local.date();
  const QTime tm = local.time();
  QString out;
  for (const Token& k : tokenize(pattern)) {
    switch (k.field) {
      case Field::Literal:
        out += k.literal;
        break;
      case Field::Day:
        out += number(d.day(), k.width);
        break;
      case Field::DayAbbr:
        out += QString(kDays[d.dayOfWeek() - 1]).left(3);
        break;
      case Field::DayName:
        out += kDays[d.dayOfWeek() - 1];
        break;
      case Field::Month:
        out += number(d.month(), k.width);
        break;
      case Field::MonthAbbr:
        out += QString(kMonths[d.month() - 1]).left(3);
        break;
      case Field::MonthName:
        out += kMonths[d.month() - 1];
        break;
      case Field::Year2:
        out += number(d.year() % 100, 2);
        break;
      case Field::Year4:
        out += number(d.year(), 4);
        break;
      case Field::Hour:
        out += number(tm.hour(), k.width);
        break;
      case Field::Minute:
        out += number(tm.minute(), k.width);
        break;
      case Field::Second:
        out += number(tm.second(), k.width);
        break;
    }
  }
  return out;
}

std::optional<QDateTime> ParseDate(const QString& text, const QString& pattern) {
  const QString s = text.trimmed();
  qsizetype pos = 0;
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  auto digits = [&](int minCount, int maxCount) -> std::optional<int> {
    int v = 0, count = 0;
    while (count < maxCount && pos < s.size() && isDigit(s[pos])) {
      v = v * 10 + (s[pos++].unicode() - '0');
      ++count;
    }
    if (count < minCount) return std::nullopt;
    return v;
  };
  // Index of the name (or its first three letters) that starts at pos.
  auto name = [&](const char* const* names, int count, bool abbreviated) -> std::optional<int> {
    for (int i = 0; i < count; ++i) {
      const QString n = abbreviated ? QString(names[i]).left(3) : QString(names[i]);
      if (s.mid(pos, n.size()).compare(n, Qt::CaseInsensitive) == 0) {
        pos += n.size();
        return i;
      }
    }
    return std::nullopt;
  };
  for (const Token& k : tokenize(pattern)) {
    std::optional<int> v;
    switch (k.field) {
      case Field::Literal:
        if (pos >= s.size() || s[pos] != k.literal) return std::nullopt;
        ++pos;
        continue;
      case Field::Day:
        v = digits(1, 2);
        day = v.value_or(0);
        break;
      case Field::DayAbbr:
        v = name(kDays, 7, true);
        break;
      case Field::DayName:
        v = name(kDays, 7, false);
        break;
      case Field::Month:
        v = digits(1, 2);
        month = v.value_or(0);
        break;
      case Field::MonthAbbr:
        v = name(kMonths, 12, true);
        month = v.value_or(0) + 1;
        break;
      case Field::MonthName:
        v = name(kMonths, 12, false);
        month = v.value_or(0) + 1;
        break;
      case Field::Year2:
        v = digits(2, 2);
        year = v.value_or(0) + (v.value_or(0) < 30 ? 2000 : 1900);
        break;
      case Field::Year4:
        v = digits(4, 4);
        year = v.value_or(0);
        break;
      case Field::Hour:
        v = digits(1, 2);
        hour = v.value_or(0);
        break;
      case Field::Minute:
        v = digits(1, 2);
        minute = v.value_or(0);
        break;
      case Field::Second:
        v = digits(1, 2);
        second = v.value_or(0);
        break;
    }
    if (!v) return std::nullopt;
  }
  if (pos != s.size()) return std::nullopt;
  const QDate d(year, month, day);
  const QTime t(hour, minute, second);
  if (!d.isValid() || !t.isValid()) return std::nullopt;
  return QDateTime(d, t);
}

std::optional<QDateTime> ParseDateText(const QString& text) {
  for (const QString& f : {kDueTimeFormat, kMessageTimeFormat, kLogTimeFormat, kDateClockFormat,
                           kDayFormat, kDateFormat, kClockFormat})
    if (auto t = ParseDate(text, f)) return t;
  return std::nullopt;
}

}  // namespace mvnz
