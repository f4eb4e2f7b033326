// Date-time texts with fixed English names.
#include "library/dates.h"

#include <QLocale>
#include <QStringList>
#include <QTimeZone>

namespace mvnz {
namespace {

bool isDigit(QChar c) { return c >= '0' && c <= '9'; }

}  // namespace

namespace {

const char* const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};
QString monthAbbreviation(int month) { return QString::fromLatin1(kMonths[month - 1]).left(3); }

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

std::optional<QDateTime> ParseTimeText(const QString& text) {
  static const QString kForms[] = {
      QStringLiteral("dd-mmm-yyyy hh:nn.ss"), QStringLiteral("dd-mmm-yyyy hh:nn:ss"),
      QStringLiteral("dd-mmm-yyyy hh:nn"),    QStringLiteral("dd-mm-yyyy hh:nn.ss"),
      QStringLiteral("dd-mm-yyyy hh:nn:ss"),  QStringLiteral("dd-mm-yyyy hh:nn"),
      QStringLiteral("yyyy-mm-dd hh:nn:ss"),  QStringLiteral("yyyy-mm-ddThh:nn:ss"),
  };
  for (const QString& f : kForms)
    if (auto t = ParseDate(text, f)) return t;
  return std::nullopt;
}

// ---- schedule texts ----

namespace {

QString two(int n) { return QString::number(n).rightJustified(2, '0'); }

QString dayText(const QDate& d) {
  return two(d.day()) + "-" + monthAbbreviation(d.month()) + "-" + QString::number(d.year());
}

QString timeText(const QTime& t) {
  return two(t.hour()) + ":" + two(t.minute()) + ":" + two(t.second());
}

bool allDigits(const QString& s) {
  if (s.isEmpty()) return false;
  for (QChar c : s)
    if (!c.isDigit()) return false;
  return true;
}

int monthOfName(const QString& s) {
  for (int i = 1; i <= 12; ++i)
    if (s.compare(monthAbbreviation(i), Qt::CaseInsensitive) == 0) return i;
  return 0;
}

// Reads a date of three parts separated by "-", "/" or ".".
std::optional<QDate> parseDate(const QString& text, const QString& shortDatePattern) {
  QString norm = text;
  norm.replace('/', '-').replace('.', '-');
  const QStringList p = norm.split('-');
  if (p.size() != 3) return std::nullopt;
  int d = 0, m = 0, y = 0;
  // The pattern decides the order of numeric parts written with "/"; the daemon's own
  // texts ("dd-mm-yyyy", "dd-mmm-yyyy") are always day first.
  QString order = "dmy";
  if (text.contains('/') && !shortDatePattern.isEmpty()) {
    const QString sp = shortDatePattern.toLower();
    if (sp.startsWith("mm"))
      order = "mdy";
    else if (sp.startsWith("yyyy"))
      order = "ymd";
  } else if (allDigits(p[0]) && p[0].size() == 4) {
    order = "ymd";
  }
  for (int i = 0; i < 3; ++i) {
    const QString& s = p[i];
    int v = 0;
    if (order[i] == 'm' && !allDigits(s)) {
      v = monthOfName(s);
    } else if (allDigits(s) && s.size() <= 4) {
      v = s.toInt();
    } else {
      return std::nullopt;
    }
    if (order[i] == 'd')
      d = v;
    else if (order[i] == 'm')
      m = v;
    else
      y = (s.size() <= 2) ? (v < 30 ? 2000 + v : 1900 + v) : v;
  }
  const QDate date(y, m, d);
  if (!date.isValid()) return std::nullopt;
  return date;
}

}  // namespace

QString FormatDueTime(const QDateTime& t) { return dayText(t.date()) + " " + timeText(t.time()); }

QString FormatDay(const QDate& d) { return dayText(d); }

QString FormatShortDateTime(const QDateTime& t, const QString& shortDatePattern) {
  const QDate d = t.date();
  QString out;
  const QStringList parts = shortDatePattern.toLower().split('/');
  for (int i = 0; i < parts.size(); ++i) {
    if (i) out += '/';
    if (parts[i] == "dd")
      out += two(d.day());
    else if (parts[i] == "mm")
      out += two(d.month());
    else if (parts[i] == "yyyy")
      out += QString::number(d.year());
  }
  return out + " " + timeText(t.time());
}

QString ShortDatePatternOf(const QString& s) {
  // The separator is the first non-digit among the first five characters.
  if (s.isEmpty()) return "dd/mm/yyyy";
  QChar sep = s.size() >= 5 ? s[4] : QChar();
  for (int i = 0; i < qMin(5, int(s.size())); ++i)
    if (!s[i].isDigit()) {
      sep = s[i];
      break;
    }
  const QStringList p = s.split(sep);
  if (p.size() < 3) return "dd/mm/yyyy";
  auto piece = [](const QString& t) -> QString {
    bool ok = false;
    const int v = t.trimmed().toInt(&ok);
    if (ok) {
      if (v == 25) return "dd";
      if (v == 8) return "mm";
      if (v == 58 || v == 1958) return "yyyy";
      return QString();
    }
    return monthOfName(t.trimmed().left(3)) == 8 ? "mm" : QString();
  };
  // The third part may carry more text after its number.
  QString third;
  for (QChar c : p[2].trimmed()) {
    if (!c.isDigit()) break;
    third += c;
  }
  QStringList out;
  for (const QString& x : {piece(p[0]), piece(p[1]), piece(third)})
    if (!x.isEmpty()) out << x;
  if (out.size() != 3) return "dd/mm/yyyy";
  return out.join('/');
}

QString GetShortDatePattern() {
  return ShortDatePatternOf(QLocale::system().toString(QDate(1958, 8, 25), QLocale::ShortFormat));
}

std::optional<QTime> ParseTimeOfDay(const QString& text) {
  const QStringList p = text.trimmed().split(':');
  if (p.size() < 2 || p.size() > 3) return std::nullopt;
  int v[3] = {0, 0, 0};
  for (int i = 0; i < p.size(); ++i) {
    if (!allDigits(p[i]) || p[i].size() > 2) return std::nullopt;
    v[i] = p[i].toInt();
  }
  const QTime t(v[0], v[1], v[2]);
  if (!t.isValid()) return std::nullopt;
  return t;
}

std::optional<QDateTime> ParseDateTimeText(const QString& text, const QString& shortDatePattern) {
  const QString t = text.trimmed();
  const int blank = t.indexOf(' ');
  const auto date = parseDate(blank < 0 ? t : t.left(blank), shortDatePattern);
  if (!date) return std::nullopt;
  QTime time(0, 0, 0);
  if (blank >= 0) {
    const auto tod = ParseTimeOfDay(t.mid(blank + 1));
    if (!tod) return std::nullopt;
    time = *tod;
  }
  return LocalDateTime(*date, time);
}

QDateTime LocalDateTime(const QDate& date, const QTime& time) {
  QDateTime t(date, time);
  if (t.isValid() || !date.isValid() || !time.isValid()) return t;
  // Inside a gap: read the wall time with the offset in force before the change.
  const QDateTime before(date.addDays(-1), QTime(12, 0));
  return QDateTime(date, time, QTimeZone(before.offsetFromUtc())).toLocalTime();
}

qint64 SecondsBetween(const QDateTime& a, const QDateTime& b) {
  return b.toSecsSinceEpoch() - a.toSecsSinceEpoch();
}

}  // namespace mvnz
