// The keys of the configuration file, in the order the writer puts them. The reader,
// the writer and the generated reference all work from this one table.
#include "jobfile_internal.h"

#include <QLocale>

namespace mvnz::jobfile {

namespace {

using enum SectionKind;
using enum ValueForm;

// The daemon takes a relative path from its working folder, as the system calls do.
#define MVNZ_RELATIVE_PATH \
  "; a relative path is taken from the folder the daemon was started in (\"/\" for a service)"

constexpr KeySpec kKeys[] = {
    {Global, Field::RoziRoruTitle, "RoziRoruTitle", TrimmedText, "text", "",
     "caption of the daemon's main window; an empty value keeps the built-in caption"},
    {Global, Field::LogDirectory, "LogDirectory", Text, "folder path" MVNZ_RELATIVE_PATH, "",
     "folder of the log files, made when missing; each day's lines go into its yyyy/mm/dd "
     "subfolder: the daemon's own to System.log, each RoziRoruner's to FS, its number, \"_\" "
     "and its name (FS1_Inbox.log for a first RoziRoruner named Inbox)"},
    {Global, Field::EnableLogging, "EnableLogging", Switch, "0 or 1", "0",
     "1 writes log files into LogDirectory; without log files (0, or no LogDirectory) the "
     "warnings of a load go to stderr"},
    {Global, Field::AutoLogInternalCommands, "AutoLogInternalCommands", Switch, "0 or 1", "0",
     "1 logs every built-in command the daemon runs"},
    {Global, Field::InitialGlobalsValue, "InitialGlobalsValue", Text, "text", "",
     "value of the global variables <GV1> to <GV15> after every load"},
    {Global, Field::GlobalConstant, "GlobalConstant", Constant, "text, 15 lines", "",
     "global constants <GC1> to <GC15>, one line each in order"},
    {Global, Field::AutoStart, "AutoStart", Switch, "0 or 1", "0",
     "1 starts processing when the daemon starts, in the run mode AutoStartState gives; without "
     "it nothing runs: the daemon loads and waits, stopped, until it is started from its window "
     "or tray icon (headless, it never is)"},
    {Global, Field::AutoStartState, "AutoStartState", RunMode,
     "1 normal window, 2 notification area, 3 service, 4 hidden", "no line",
     "how the daemon shows itself when it starts; 4 with AutoStart=1 hides the tray icon; with "
     "another value, or none, AutoStart=1 starts nothing"},
    {Global, Field::ShowUnstableMessages, "ShowUnstableMessages", Optional, "1 or 0", "1",
     "1 (or empty) logs files that are not yet stable; written back only when present"},
    {Job, Field::Trigger, "Trigger", TrimmedText, "FILE or TIME", "",
     "FILE scans the folder, TIME runs the script on schedule"},
    {Job, Field::RunDays, "RunDays", TrimmedText, "seven characters 0/1, Monday first",
     "1111111", "days on which the job may run"},
    {Job, Field::Description, "Description", TrimmedText, "text", "", "free text"},
    {Job, Field::ScanDirectory, "ScanDirectory", TrimmedText,
     "folder path, tokens allowed" MVNZ_RELATIVE_PATH, "",
     "the hot folder; names beginning with \".\" are never listed, in subfolders neither"},
    {Job, Field::IncludeSubdir, "IncludeSubdir", Integer, "0 or 1", "0",
     "1 scans subfolders too"},
    {Job, Field::OldestFirst, "OldestFirst", Integer, "0 or 1", "0",
     "1 handles files oldest first"},
    {Job, Field::InputFilter, "InputFilter", TrimmedText,
     "regular expressions separated by `;`", "",
     "file names the job takes. Every `*` is removed first; then each pattern is looked for "
     "anywhere in the name, case-sensitive, unless anchored: `*.pdf` takes `scan.pdf.part` but "
     "not `SCAN.PDF`, `\\.pdf$` only names ending in `.pdf`. `*` or `*.*` alone takes every "
     "name; an empty filter takes none"},
    {Job, Field::RejectFilter, "RejectFilter", TrimmedText,
     "regular expressions separated by `;`", "",
     "file names the job rejects, by the rules of InputFilter; a name both filters take is "
     "rejected. `.` alone rejects every name that InputFilter does not take (with "
     "InputFilter `.` too, every name). SkipRejected, RemoveRejected or MoveRejected says what "
     "becomes of a rejected file"},
    {Job, Field::SkipRejected, "SkipRejected", Boolean, "True or False", "False",
     "rejected files stay where they are"},
    {Job, Field::RemoveRejected, "RemoveRejected", Boolean, "True or False", "False",
     "rejected files are deleted"},
    {Job, Field::MoveRejected, "MoveRejected", Boolean, "True or False", "False",
     "rejected files are moved to MoveRejectedDirectory"},
    {Job, Field::MoveRejectedDirectory, "MoveRejectedDirectory", Text,
     "folder path, tokens allowed" MVNZ_RELATIVE_PATH, "", "target folder of rejected files"},
    {Job, Field::Interval, "Interval", TrimmedText,
     "seconds, *ON-STARTUP*, dd-mm-yyyy, hh:mm, dd-mm-yyyy hh:mm, or a token", "",
     "the schedule"},
    {Job, Field::StableTimer, "StableTimer", Number, "seconds; -1 = no wait", "0",
     "how long a file must stay unchanged before it is handled"},
    {Job, Field::SingleFileHandling, "SingleFileHandling", Integer, "0 or 1", "0",
     "1 handles only the first free file per cycle"},
    {Job, Field::InitialLocalsValue, "InitialLocalsValue", TrimmedText, "text", "",
     "value of the local variables <LV1> to <LV15> before a run"},
    {Job, Field::Command, "Command", ValueForm::Command,
     "name]~[parameter 1]~[...]~[parameter 30", "",
     "one command of the script per line, in order; a leading ! disables it"},
    {Job, Field::Constant, "Constant", ValueForm::Constant, "text, 15 lines", "",
     "local constants <LC1> to <LC15>, one line each in order"},
    {Job, Field::Enabled, "Enabled", Integer, "1 enabled, 0 disabled, other standby", "0",
     "whether the daemon runs the job"},
};

#undef MVNZ_RELATIVE_PATH

}  // namespace

std::span<const KeySpec> Keys() { return kKeys; }

const char* FormReading(ValueForm form) {
  switch (form) {
    case Switch:
      return "the leading number is read, so other text (\"true\" too) is 0";
    case Integer:
      return "the leading number is read, rounded to a whole number; other text is 0";
    case Boolean:
      return "in any case, or a number (0 False, any other True); other text, an empty value "
             "too, skips the line";
    case Number:
      return "the leading number is read; other text is 0";
    default:
      return "";
  }
}

bool ShowUnstableMessagesOn(const GlobalSettings& g) {
  return !g.ShowUnstableMessages || g.ShowUnstableMessages->isEmpty() ||
         *g.ShowUnstableMessages == QLatin1String("1");
}

QString* GlobalText(GlobalSettings& g, Field f) {
  switch (f) {
    case Field::RoziRoruTitle: return &g.RoziRoruTitle;
    case Field::LogDirectory: return &g.LogDirectory;
    case Field::InitialGlobalsValue: return &g.InitialGlobalsValue;
    default: return nullptr;
  }
}

QString* JobText(RoziRoruner& r, Field f) {
  switch (f) {
    case Field::Trigger: return &r.Trigger;
    case Field::RunDays: return &r.RunDays;
    case Field::Description: return &r.Description;
    case Field::ScanDirectory: return &r.ScanDirectory;
    case Field::InputFilter: return &r.InputFilter;
    case Field::RejectFilter: return &r.RejectFilter;
    case Field::MoveRejectedDirectory: return &r.MoveRejectedDirectory;
    case Field::Interval: return &r.Interval;
    case Field::InitialLocalsValue: return &r.InitialLocalsValue;
    default: return nullptr;
  }
}

int* SwitchField(GlobalSettings& g, Field f) {
  switch (f) {
    case Field::EnableLogging: return &g.EnableLogging;
    case Field::AutoLogInternalCommands: return &g.AutoLogInternalCommands;
    case Field::AutoStart: return &g.AutoStart;
    default: return nullptr;
  }
}

int* JobInteger(RoziRoruner& r, Field f) {
  switch (f) {
    case Field::IncludeSubdir: return &r.IncludeSubdir;
    case Field::OldestFirst: return &r.OldestFirst;
    case Field::SingleFileHandling: return &r.SingleFileHandling;
    case Field::Enabled: return &r.Enabled;
    default: return nullptr;
  }
}

bool* JobBoolean(RoziRoruner& r, Field f) {
  switch (f) {
    case Field::SkipRejected: return &r.SkipRejected;
    case Field::RemoveRejected: return &r.RemoveRejected;
    case Field::MoveRejected: return &r.MoveRejected;
    default: return nullptr;
  }
}

QString NumberText(double v) {
  // QString::number never uses the locale; 'f' with the shortest precision gives the
  // fewest digits that read back as the same double.
  return QString::number(v, 'f', QLocale::FloatingPointShortest);
}

}  // namespace mvnz::jobfile
