#pragma once
// The variable tokens: texts in angle brackets that parameters, scan folders,
// intervals and reschedule requests may hold, replaced by the daemon just before the
// text is used. This is the one list of them: the daemon's expansion looks names up
// here, the variables menus insert the texts given here, the reference prints it.
#include <QString>
#include <QStringView>
#include <optional>
#include <span>

namespace mvnz::tokens {

// The fixed names, in the order the daemon compares them.
enum class Token {
  ScanPathFileName,
  ScanPath,
  FileName,
  FileNameExt,
  FileNameNoExt,
  FileOwner,
  SubDir,
  ScanDir,
  FileSize,
  FileTimeStamp,
  TotalFileNumber,
  CurrentFileNumber,
  Time,
  HourMinute,
  Hour,
  Minute,
  Second,
  DayMonthNameYear,
  DayMonthYear,
  Day,
  MonthName,
  Month,
  Year,
  Year2,
  WeekNumber,
  DayOfWeek,
  RoziRorunerName,
  RoziRorunerDescription,
};

struct TokenInfo {
  Token token;
  const char* name;  // the upper-case name compared ("FILENAME")
  const char* text;  // the text the menus insert ("<FileName>")
  bool needsFile;    // empty while no file is pending (time-triggered scripts)
  const char* meaning;
  const char* example;  // the value in kExampleSituation
  const char* warning;  // a trap worth saying where the token stands; "" for none
};

std::span<const TokenInfo> Fixed();
const TokenInfo& Info(Token t);
// The fixed token of an upper-case name; nullptr for any other name.
const TokenInfo* FindFixed(QStringView upperName);
// "<FileName>" and the like.
QString Text(Token t);

// The four numbered families, "<LC1>" to "<LC15>" and so on.
enum class Family { LocalConstant, GlobalConstant, LocalVariable, GlobalVariable };
constexpr int kFamilySize = 15;

struct FamilyInfo {
  Family family;
  const char* prefix;  // "LC"
  const char* meaning;
  const char* example;  // a sentence with an example
};

std::span<const FamilyInfo> Families();
const FamilyInfo& Info(Family f);
// "<LC3>" for (LocalConstant, 3).
QString Text(Family f, int n);

struct FamilyMatch {
  Family family;
  int n;  // 1..15; 0 when the name has the prefix but no such number ("LC0", "LC07")
};
// The family of an upper-case name by its first two characters; n counts only when
// the rest is 1..15 in plain decimal.
std::optional<FamilyMatch> MatchFamily(QStringView upperName);

// The situation the examples describe.
inline constexpr const char* kExampleSituation =
    "the RoziRoruner \"Inbox\" (description \"Incoming orders\") scans /srv/in with "
    "subfolders; the file at hand is /srv/in/2026/orders.csv, 1234 bytes, last modified "
    "01-08-2026 09:05:42, the second of 3 files found in this pass; the short date of the "
    "system is day first; now is Sunday 09-08-2026 10:07:33";

}  // namespace mvnz::tokens
