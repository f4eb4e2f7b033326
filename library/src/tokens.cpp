#include "library/tokens.h"

namespace mvnz::tokens {
namespace {

using T = Token;

constexpr TokenInfo kFixed[] = {
    {T::ScanPathFileName, "SCANPATHFILENAME", "<ScanPathFileName>", true,
     "the file, full path and name", "/srv/in/2026/orders.csv", ""},
    {T::ScanPath, "SCANPATH", "<ScanPath>", true, "the folder holding the file", "/srv/in/2026",
     ""},
    {T::FileName, "FILENAME", "<FileName>", true, "the file name", "orders.csv", ""},
    {T::FileNameExt, "FILENAMEEXT", "<FileNameExt>", true, "the extension, without the dot", "csv",
     ""},
    {T::FileNameNoExt, "FILENAMENOEXT", "<FileNameNoExt>", true,
     "the file name without its extension", "orders", ""},
    {T::FileOwner, "FILEOWNER", "<FileOwner>", true,
     "the account owning the file, \"{unknown}\" when it cannot be told", "alice", ""},
    {T::SubDir, "SUBDIR", "<SubDir>", true,
     "the file's folder relative to the scan folder, \".\" at its top", "2026", ""},
    {T::ScanDir, "SCANDIR", "<ScanDir>", true, "the scan folder, its tokens expanded", "/srv/in",
     ""},
    {T::FileSize, "FILESIZE", "<FileSize>", true, "the file size in bytes", "1234", ""},
    {T::FileTimeStamp, "FILETIMESTAMP", "<FileTimeStamp>", true,
     "the file's last modification, in the system's short date and hh:nn:ss", "01/08/2026 09:05:42",
     ""},
    {T::TotalFileNumber, "TOTALFILENUMBER", "<TotalFileNumber>", true,
     "the number of files found in this pass", "3", ""},
    {T::CurrentFileNumber, "CURRENTFILENUMBER", "<CurrentFileNumber>", true,
     "the position of the file at hand in this pass, from 1", "2", ""},
    {T::Time, "HH:MM:SS", "<hh:mm:ss>", false, "the time, 24-hour", "10:07:33", ""},
    {T::HourMinute, "HH:MM", "<hh:mm>", false, "hours and minutes", "10:07", ""},
    {T::Hour, "HH", "<hh>", false, "the hour, two digits", "10", ""},
    {T::Minute, "MM", "<mm>", false, "the minutes, two digits", "07",
     "<MM> is the MINUTES, not the month; the month is <DATE_MM>"},
    {T::Second, "SS", "<ss>", false, "the seconds, two digits", "33", ""},
    {T::DayMonthNameYear, "DD-MMM-YYYY", "<dd-mmm-yyyy>", false,
     "today, English month abbreviation", "09-Aug-2026", ""},
    {T::DayMonthYear, "DD-MM-YYYY", "<dd-mm-yyyy>", false, "today, numeric", "09-08-2026", ""},
    {T::Day, "DD", "<dd>", false, "the day of the month, two digits", "09", ""},
    {T::MonthName, "MMM", "<mmm>", false, "the English month abbreviation", "Aug", ""},
    {T::Month, "DATE_MM", "<date_mm>", false, "the month number, two digits", "08",
     "<DATE_MM> is the MONTH; <MM> gives the minutes"},
    {T::Year, "YYYY", "<yyyy>", false, "the year, four digits", "2026", ""},
    {T::Year2, "YY", "<yy>", false, "the year, two digits", "26", ""},
    {T::WeekNumber, "WEEKNUM", "<weeknum>", false,
     "the week number of today (weeks begin on Monday)", "32", ""},
    {T::DayOfWeek, "DAYOFWEEK", "<dayofweek>", false, "the day of the week, 1 Monday to 7 Sunday",
     "7", ""},
    {T::RoziRorunerName, "ROZIRORUNERNAME", "<RoziRorunerName>", false,
     "the RoziRoruner's name (its section name)", "Inbox", ""},
    {T::RoziRorunerDescription, "ROZIRORUNERDESCRIPTION", "<RoziRorunerDescription>", false,
     "the RoziRoruner's description", "Incoming orders", ""},
};

constexpr FamilyInfo kFamilies[] = {
    {Family::LocalConstant, "LC", "local constant n of the RoziRoruner (its Constant= lines)",
     "with the third Constant= line reading /srv/archive, <LC3> gives /srv/archive"},
    {Family::GlobalConstant, "GC", "global constant n (the GlobalConstant= lines)",
     "with the first GlobalConstant= line reading ops@example.org, <GC1> gives "
     "ops@example.org"},
    {Family::LocalVariable, "LV",
     "local variable n of the RoziRoruner, set by plug-ins (AssignValue); starts as "
     "InitialLocalsValue",
     "after AssignValue stored 42 in local variable 2, <LV2> gives 42"},
    {Family::GlobalVariable, "GV",
     "global variable n, shared by all RoziRoruners, set by plug-ins; starts as "
     "InitialGlobalsValue",
     "after AssignValue stored ready in global variable 1, <GV1> gives ready"},
};

}  // namespace

std::span<const TokenInfo> Fixed() { return kFixed; }

const TokenInfo& Info(Token t) { return kFixed[static_cast<int>(t)]; }

const TokenInfo* FindFixed(QStringView upperName) {
  for (const TokenInfo& t : kFixed)
    if (upperName == QLatin1StringView(t.name)) return &t;
  return nullptr;
}

QString Text(Token t) { return QLatin1StringView(Info(t).text).toString(); }

std::span<const FamilyInfo> Families() { return kFamilies; }

const FamilyInfo& Info(Family f) { return kFamilies[static_cast<int>(f)]; }

QString Text(Family f, int n) {
  return QStringLiteral("<%1%2>").arg(QLatin1StringView(Info(f).prefix)).arg(n);
}

std::optional<FamilyMatch> MatchFamily(QStringView upperName) {
  for (const FamilyInfo& f : kFamilies) {
    if (!upperName.startsWith(QLatin1StringView(f.prefix))) continue;
    const QStringView rest = upperName.mid(2);
    for (int n = 1; n <= kFamilySize; ++n)
      if (rest == QString::number(n)) return FamilyMatch{f.family, n};
    return FamilyMatch{f.family, 0};
  }
  return std::nullopt;
}

}  // namespace mvnz::tokens
