// Date-time texts with fixed English names.
#include "library/dates.h"

namespace mvnz {
namespace {

bool isDigit(QChar c) { return c >= '0' && c <= '9'; }

}  // namespace

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
