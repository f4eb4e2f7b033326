#include "engine/expansion.h"

#include <pwd.h>
#include <sys/stat.h>

#include <QFile>
#include <exception>

#include "library/dates.h"
#include "library/tokens.h"
#include "platform/fileops.h"

namespace mvnz::engine {

QString OwnerCache::ownerOf(const QString& path) {
  const QString unknown = "{unknown}";
  if (path.isEmpty()) return unknown;
  struct stat st;
  if (::stat(fileops::encodeName(path).constData(), &st) != 0) return unknown;
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

using tokens::Token;

QString fileToken(Token t, const ExpansionContext& c) {
  if (c.filesPending <= 0 || !c.fileList) return QString();
  const FileTable& f = *c.fileList;
  switch (t) {
    case Token::ScanPathFileName:
      return f.filepathname();
    case Token::ScanPath:
      return f.filepath();
    case Token::FileName:
      return f.filename();
    case Token::FileNameExt:
      return f.fileext();
    case Token::FileNameNoExt:
      return f.filenamenoext();
    case Token::FileOwner:
      return c.owners ? c.owners->ownerOf(f.filepathname())
                      : OwnerCache().ownerOf(f.filepathname());
    case Token::SubDir:
      return f.subdir();
    case Token::ScanDir:
      return c.scanDirectory;
    case Token::FileSize:
      return f.atEnd() ? QString() : QString::number(qint64(f.filesize()));
    case Token::FileTimeStamp:
      return f.atEnd() ? QString() : FormatShortDateTime(f.timestamp(), c.shortDatePattern);
    case Token::TotalFileNumber:
      return QString::number(c.filesPending);
    case Token::CurrentFileNumber:
      return QString::number(c.currentFile + 1);
    default:
      return QString();
  }
}

QString clockToken(Token t, const ExpansionContext& c) {
  const QDateTime now = c.clock ? c.clock->now() : QDateTime::currentDateTime();
  const QTime tm = now.time();
  const QDate d = now.date();
  const QString hms = two(tm.hour()) + ":" + two(tm.minute()) + ":" + two(tm.second());
  switch (t) {
    case Token::Time:
      return hms;
    case Token::HourMinute:
      return hms.left(5);
    case Token::Hour:
      return hms.left(2);
    case Token::Minute:
      return hms.mid(3, 2);
    case Token::Second:
      return hms.mid(6, 2);
    case Token::DayMonthNameYear:
      return FormatDay(d);
    case Token::DayMonthYear:
      return two(d.day()) + "-" + two(d.month()) + "-" + QString::number(d.year());
    case Token::Day:
      return two(d.day());
    case Token::MonthName:
      return FormatDay(d).mid(3, 3);
    case Token::Month:
      return two(d.month());
    case Token::Year:
      return QString::number(d.year());
    case Token::Year2:
      return two(d.year() % 100);
    case Token::WeekNumber:
      return GetWeekNumber(d);
    case Token::DayOfWeek:
      return GetDayOfWeekIndex(d);
    default:
      return QString();
  }
}

QString familyValue(const tokens::FamilyMatch& m, const ExpansionContext& c) {
  if (m.n == 0) return QString();
  switch (m.family) {
    case tokens::Family::LocalConstant:
      return c.localConstants ? c.localConstants[m.n] : QString();
    case tokens::Family::GlobalConstant:
      return c.globalConstants ? c.globalConstants[m.n] : QString();
    case tokens::Family::LocalVariable:
      return c.localVariables ? c.localVariables[m.n - 1] : QString();
    case tokens::Family::GlobalVariable:
      return c.globalVariables ? c.globalVariables[m.n - 1] : QString();
  }
  return QString();
}

QString value(const QString& token, const ExpansionContext& c) {
  const QString name = token.mid(1, token.size() - 2).toUpper();
  if (const tokens::TokenInfo* t = tokens::FindFixed(name)) {
    if (t->needsFile) return fileToken(t->token, c);
    if (t->token == Token::RoziRorunerName) return c.name ? *c.name : QString();
    if (t->token == Token::RoziRorunerDescription)
      return c.description ? *c.description : QString();
    return clockToken(t->token, c);
  }
  if (const auto m = tokens::MatchFamily(name)) return familyValue(*m, c);
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
