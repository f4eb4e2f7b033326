#include "engine/expansion.h"

#include <pwd.h>
#include <sys/stat.h>

#include <QFile>
#include <exception>

#include "engine/datetexts.h"

namespace mvnz::engine {

QString OwnerCache::ownerOf(const QString& path) {
  const QString unknown = "{unknown}";
  if (path.isEmpty()) return unknown;
  struct stat st;
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return unknown;
  const auto it = names_.constFind(st.st_uid);
  if (it != names_.constEnd()) return *it;
  QString name = unknown;
  struct passwd pw, *res = nullptr;
  char buf[4096];
  if (::getpwuid_r(st.st_uid, &pw, buf, sizeof buf, &res) == 0 && res && res->pw_name)
    name = QString::fromLocal8Bit(res->pw_name);
  names_.insert(st.st_uid, name);
  return name;
}

QString GetWeekNumber(const QDate& d) { return QString::number(d.weekNumber()); }
QString GetDayOfWeekIndex(const QDate& d) { return QString::number(d.dayOfWeek()); }

namespace {

QString two(int n) { return QString::number(n).rightJustified(2, '0'); }

QString fileToken(int row, const ExpansionContext& c) {
  if (c.filesPending <= 0 || !c.fileList) return QString();
  const FileTable& f = *c.fileList;
  switch (row) {
    case 1:
      return f.filepathname();
    case 2:
      return f.filepath();
    case 3:
      return f.filename();
    case 4:
      return f.fileext();
    case 5:
      return f.filenamenoext();
    case 6:
      return c.owners ? c.owners->ownerOf(f.filepathname())
                      : OwnerCache().ownerOf(f.filepathname());
    case 7:
      return f.subdir();
    case 8:
      return c.scanDirectory;
    case 9:
      return f.atEnd() ? QString() : QString::number(qint64(f.filesize()));
    case 10:
      return f.atEnd() ? QString() : FormatShortDateTime(f.timestamp(), c.shortDatePattern);
    case 11:
      return QString::number(c.filesPending);
    case 12:
      return QString::number(c.currentFile + 1);
  }
  return QString();
}

const char* const kFileNames[] = {"SCANPATHFILENAME", "SCANPATH",        "FILENAME",
                                  "FILENAMEEXT",      "FILENAMENOEXT",   "FILEOWNER",
                                  "SUBDIR",           "SCANDIR",         "FILESIZE",
                                  "FILETIMESTAMP",    "TOTALFILENUMBER", "CURRENTFILENUMBER"};

QString value(const QString& token, const ExpansionContext& c) {
  const QString name = token.mid(1, token.size() - 2).toUpper();
  for (int i = 0; i < 12; ++i)
    if (name == QLatin1String(kFileNames[i])) return fileToken(i + 1, c);
  const QDateTime now = c.clock ? c.clock->now() : QDateTime::currentDateTime();
  const QTime t = now.time();
  const QDate d = now.date();
  const QString hms = two(t.hour()) + ":" + two(t.minute()) + ":" + two(t.second());
  if (name == "HH:MM:SS") return hms;
  if (name == "HH:MM") return hms.left(5);
  if (name == "HH") return hms.left(2);
  if (name == "MM") return hms.mid(3, 2);
  if (name == "SS") return hms.mid(6, 2);
  if (name == "DD-MMM-YYYY") return FormatDay(d);
  if (name == "DD-MM-YYYY")
    return two(d.day()) + "-" + two(d.month()) + "-" + QString::number(d.year());
  if (name == "DD") return two(d.day());
  if (name == "MMM") return FormatDay(d).mid(3, 3);
  if (name == "DATE_MM") return two(d.month());
  if (name == "YYYY") return QString::number(d.year());
  if (name == "YY") return two(d.year() % 100);
  if (name == "WEEKNUM") return GetWeekNumber(d);
  if (name == "DAYOFWEEK") return GetDayOfWeekIndex(d);
  if (name == "ROZIRORUNERNAME") return c.name ? *c.name : QString();
  if (name == "ROZIRORUNERDESCRIPTION") return c.description ? *c.description : QString();

  struct Family {
    const char* prefix;
    const QString* values;
    int offset;  // index of value n
  };
  const Family families[] = {{"LC", c.localConstants, 0},
                             {"GC", c.globalConstants, 0},
                             {"LV", c.localVariables, -1},
                             {"GV", c.globalVariables, -1}};
  for (const Family& f : families) {
    if (!name.startsWith(QLatin1String(f.prefix))) continue;
    for (int n = 1; n <= 15; ++n)
      if (name == QLatin1String(f.prefix) + QString::number(n))
        return f.values ? f.values[n + f.offset] : QString();
    return QString();
  }
  return "<" + name + ">";
}

}  // namespace

QString ProcessVars(const QString& token, const ExpansionContext& c) {
  try {
    return value(token, c);
  } catch (const std::exception& e) {
    if (c.log) c.log("ERROR: PROCESSVARS [" + QString::fromLocal8Bit(e.what()) + "]", 2);
  } catch (...) {
    if (c.log) c.log("ERROR: PROCESSVARS [unknown error]", 2);
  }
  return QString();
}

QString CommandInterpreter(const QString& text, const ExpansionContext& c) {
  try {
    qsizetype p = text.indexOf('<');
    if (p < 0) return text;
    QString result;
    qsizetype start = 0;
    for (;;) {
      result += QStringView(text).mid(start, p - start);
      qsizetype q = p + 1;
      while (q < text.size() && text[q] != '<' && text[q] != '>') ++q;
      if (q >= text.size()) {  // an unclosed "<" stays as it is
        result += QStringView(text).mid(p);
        return result;
      }
      if (text[q] == '<') {  // the first "<" stays literal
        start = p;
        p = q;
        continue;
      }
      result += ProcessVars(text.mid(p, q - p + 1), c);
      start = q + 1;
      p = text.indexOf('<', start);
      if (p < 0) {
        result += QStringView(text).mid(start);
        return result;
      }
    }
  } catch (const std::exception& e) {
    if (c.log) c.log("ERROR: COMMAND-INTERPRETER [" + QString::fromLocal8Bit(e.what()) + "]", 2);
  } catch (...) {
    if (c.log) c.log("ERROR: COMMAND-INTERPRETER [unknown error]", 2);
  }
  return QString();
}

}  // namespace mvnz::engine
