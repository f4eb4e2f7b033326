#include "engine/datetexts.h"

#include <QLocale>
#include <QStringList>
#include <QTimeZone>

namespace mvnz::engine {

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString two(int n) { return QString::number(n).rightJustified(2, '0'); }

QString dayText(const QDate& d) {
  return two(d.day()) + "-" + kMonths[d.month() - 1] + "-" + QString::number(d.year());
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
  for (int i = 0; i < 12; ++i)
    if (s.compare(QLatin1String(kMonths[i]), Qt::CaseInsensitive) == 0) return i + 1;
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

}  // namespace mvnz::engine
