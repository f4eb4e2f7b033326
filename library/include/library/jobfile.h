#pragma once
// The configuration file that the manager writes and both programs read: a plain
// model of it, a one-pass reader that reports every line it could not take as
// written, and the writer of the file's exact bytes.
//
// The model holds only what the file holds: no runtime state, no Qt objects. The
// daemon and the manager read with the same rules except where a ReadPolicy says
// otherwise; callers add their own checks (known commands, filter patterns).
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <span>

namespace mvnz::jobfile {

constexpr int kParameterCount = 30;  // parameters of a command, Data[1] to Data[30]
constexpr int kConstantCount = 15;   // constants 1 to 15 of a job and of the globals

// Constants 1 to 15 at indices 1 to 15; index 0 is never read or written.
using Constants = std::array<QString, kConstantCount + 1>;

// The parameters of a command at indices 1 to 30; index 0 is never read or written.
// A command read from the file holds only its parameters up to the last one that is
// not empty: most commands use a few of the thirty, and the daemon reads every command
// of the file at each start. A parameter not held reads as the empty text.
class Parameters {
 public:
  static constexpr int kSize = kParameterCount + 1;  // indices 0 to 30

  Parameters() = default;
  // texts[k] is parameter k; at most kSize of them are taken.
  explicit Parameters(QList<QString> texts);

  const QString& operator[](qsizetype k) const {
    return k >= 0 && k < held_.size() ? held_[k] : Empty();
  }
  // Parameter k (0 to 30) to read or write. The first such access holds all of them,
  // so the references it gives stay valid while other parameters are written.
  QString& operator[](qsizetype k) {
    Q_ASSERT(k >= 0 && k < kSize);
    if (held_.size() < kSize) held_.resize(kSize);
    return held_[k];
  }
  // All 31 texts, index 0 first.
  QStringList toList() const;
  // A parameter not held equals an empty one.
  bool operator==(const Parameters& other) const;

 private:
  static const QString& Empty();
  QList<QString> held_;
};

// One command of a script. A leading "!" on the name marks it disabled; "COMMENT"
// holds its text in Data[1]. Data[0] is never read or written.
struct CommandEntry {
  QString Name;
  Parameters Data;
  bool operator==(const CommandEntry&) const = default;
};

// One job: a section of the file, named by its header.
struct RoziRoruner {
  QString Name;  // the section name exactly as in the header
  QString Description;
  QString ScanDirectory;
  int IncludeSubdir = 0;
  QString InputFilter;
  QString RejectFilter;
  bool SkipRejected = false;
  bool RemoveRejected = false;
  bool MoveRejected = false;
  QString MoveRejectedDirectory;
  QString Interval;  // seconds, "*ON-STARTUP*", "dd-mm-yyyy", "hh:mm", both, or a token
  QString Trigger;   // "FILE" or "TIME"
  double StableTimer = 0;  // seconds; -1 = no wait
  int Enabled = 0;         // 1 runs, 0 does not, other values: standby
  QList<CommandEntry> Commands;  // in script order; Commands[0] is the first command
  Constants LocalConstants;
  int SingleFileHandling = 0;
  QString InitialLocalsValue;
  QString RunDays = QStringLiteral("1111111");  // Monday first; "1111111" when missing or empty
  int OldestFirst = 0;
  bool operator==(const RoziRoruner&) const = default;
};

// The [CONFIGURATION] section.
struct GlobalSettings {
  QString RoziRoruTitle;
  QString LogDirectory;
  int EnableLogging = 0;
  int AutoLogInternalCommands = 0;
  QString InitialGlobalsValue;
  Constants GlobalConstants;
  int AutoStart = 0;
  int AutoStartState = 0;  // 1 normal, 2 tray, 3 service, 4 hidden; 0: none chosen (no line)
  // The daemon's tray-icon switch: AutoStartState 4 read while AutoStart was already 1
  // (the file writes AutoStart first); every AutoStartState line sets it anew.
  bool NoTrayIcon = false;
  // The value exactly as the file held it; nullopt when the file had no such line, so
  // a save writes it back only when it was there. See ShowUnstableMessagesOn().
  std::optional<QString> ShowUnstableMessages;
  bool operator==(const GlobalSettings&) const = default;
};

// The daemon's reading of ShowUnstableMessages: on when missing, empty or "1".
bool ShowUnstableMessagesOn(const GlobalSettings& g);

// The whole file.
struct JobFile {
  GlobalSettings Globals;
  QList<RoziRoruner> RoziRoruners;  // in file order
  bool operator==(const JobFile&) const = default;
};

// ---- Keys -------------------------------------------------------------------

enum class SectionKind { Global, Job };

// The field a key fills.
enum class Field {
  RoziRoruTitle, LogDirectory, EnableLogging, AutoLogInternalCommands, InitialGlobalsValue,
  GlobalConstant, AutoStart, AutoStartState, ShowUnstableMessages,
  Trigger, RunDays, Description, ScanDirectory, IncludeSubdir, OldestFirst, InputFilter,
  RejectFilter, SkipRejected, RemoveRejected, MoveRejected, MoveRejectedDirectory, Interval,
  StableTimer, SingleFileHandling, InitialLocalsValue, Command, Constant, Enabled,
};

// How a key's value is written and read.
enum class ValueForm {
  Text,         // as is
  TrimmedText,  // written trimmed of blanks, read as is
  Switch,       // a decimal number; the policy says which values are taken
  Integer,      // the leading number, halves to even, 16-bit
  Boolean,      // written "True"/"False"; read also as a number (0 = False)
  Number,       // the leading number (a double), written in its shortest exact form
  RunMode,      // AutoStartState: 1 to 4; no line when none is chosen
  Command,      // name and 30 parameters joined by "]~["; repeated
  Constant,     // one constant per line, 15 lines in order
  Optional,     // text written back only when the file held it
};

// One key of the file, in the order the writer puts it.
struct KeySpec {
  SectionKind section;
  Field field;
  const char* key;           // mixed case as written; read without regard to case
  ValueForm form;
  const char* values;        // the values the key takes, for the reference
  const char* defaultValue;  // the value when the key is missing
  const char* meaning;
};

// Every key of [CONFIGURATION] and then of a job section, each in written order.
std::span<const KeySpec> Keys();
// How the daemon reads a value of this form, for the reference; "" when as written.
const char* FormReading(ValueForm form);

// ---- Reading ----------------------------------------------------------------

// Where the daemon's and the manager's readings of a value differ.
enum class SwitchRule {
  AnyNumber,   // EnableLogging, AutoLogInternalCommands, AutoStart: any leading number
  ZeroOneTwo,  // the same, but only 0, 1 or 2 are taken; other values skip the line
};
enum class RunModeRule {
  AnyNumber,         // AutoStartState: the leading number, kept as it is
  OneToFourOrNormal  // "1" to "4" exactly; any other text is read as 1 (normal window)
};

struct ReadPolicy {
  SwitchRule switches = SwitchRule::AnyNumber;
  RunModeRule runMode = RunModeRule::AnyNumber;
  static ReadPolicy Daemon() { return {SwitchRule::AnyNumber, RunModeRule::AnyNumber}; }
  static ReadPolicy Manager() { return {SwitchRule::ZeroOneTwo, RunModeRule::OneToFourOrNormal}; }
};

// When a file on disk is taken. A file rewritten in place (truncated, then written, as
// shells and many editors write) must not be read half-written: it is read once it has
// been unchanged (size, modification and change times, inode) for `settle` - at once
// when its times already lie that far back - and read again when any of these changed
// while it was read. A file still changing after `bound` of waiting is read as it is
// then (ReadResult::stillChanging). A settle of 0 reads the file at once, once.
struct SettleRule {
  std::chrono::milliseconds settle{0};
  std::chrono::milliseconds bound{0};
  // Waits the time; false when the program is ending: the file is then read as it is.
  std::function<bool(std::chrono::milliseconds)> wait;
  // The wall clock that the file's times are measured against.
  std::function<std::chrono::system_clock::time_point()> now = [] {
    return std::chrono::system_clock::now();
  };
  // The programs' rule: 500 ms, bounded at 3 s, the waits serving the event loop.
  // MVNZ_CONFIG_SETTLE_MS replaces the 500 (the bound stays six times the settle; 0
  // reads at once, as the tests' own processes do).
  static SettleRule Standard();
};

struct ReadOptions {
  ReadPolicy policy = ReadPolicy::Daemon();
  // The settings before this read: keys missing from the file keep these values.
  GlobalSettings startGlobals;
  // True when a module provides the command (name without a leading "!"). Unset: no
  // check. Not asked about a command without a name (reported on its own).
  std::function<bool(const QString& name)> knownCommand;
  // Why the engine refuses a filter (InputFilter, RejectFilter value); empty when it
  // takes it. Unset: no check. Not asked about an empty filter.
  std::function<QString(const QString& filter)> filterError;
  // Only the [CONFIGURATION] sections: the RoziRoruner sections are passed over (no
  // records, no faults), as for the run mode, known before anything else is read.
  bool globalsOnly = false;
  // Told each RoziRoruner section's name as its header is read (a splash's progress).
  std::function<void(const QString& name)> sectionStarted;
  // Reports the comment lines other than the writer's own header and trailer: a
  // program that saves what it read does not keep them.
  bool reportComments = false;
  // When ReadJobFile takes the file; unset: at once.
  SettleRule settle;
};

// What became of a line the reader could not take as written.
enum class FaultAction {
  Skipped,   // the line changed nothing; the rest of the section was read
  Ignored,   // the line means nothing here (unknown key, indented, outside a section)
  Replaced,  // the value was read as another value (the why says which)
  Kept,      // taken as written, but it will not work (unknown command, bad filter)
};

struct Fault {
  int line = 0;     // 1-based line number in the file
  QString section;  // the section the line stands in, as written; empty before the first
  QString text;     // the line as read
  QString why;      // short reason, e.g. "not True, False or a number"
  FaultAction action = FaultAction::Skipped;
  bool inSection = true;  // false for a line before the first header
  // A save of what was read writes this line back as it stands: a kept value the
  // writer can carry. False for every line skipped, ignored or read as another value,
  // and for kept ones that a save drops or refuses.
  bool savedBack = false;
  bool operator==(const Fault&) const = default;
};

// What became of the line, e.g. "section [JOB] line 17 skipped [SkipRejected=yes][not
// True, False or a number]".
QString FaultText(const Fault& f);
// The daemon's log line of a fault: "WARNING: Configuration " + FaultText(f).
QString FaultMessage(const Fault& f);

enum class ReadStatus {
  Loaded,      // the file was read; faults lists what was not taken as written
  Missing,     // no file at the path
  Unreadable,  // a folder, no permission, or a read error: nothing was loaded
};

struct ReadResult {
  ReadStatus status = ReadStatus::Loaded;
  QString error;  // for Missing and Unreadable: what went wrong, naming the path
  JobFile file;   // only meaningful when status is Loaded
  QList<Fault> faults;
  bool hasGlobals = false;  // the file has a [CONFIGURATION] section
  // The file was still changing when the settle rule's bound ran out: it was read as
  // it was then, and may be cut short.
  bool stillChanging = false;
  bool ok() const { return status == ReadStatus::Loaded; }
};

}  // namespace mvnz::jobfile

// Both records move as plain bytes, which keeps long lists cheap to grow.
Q_DECLARE_TYPEINFO(mvnz::jobfile::CommandEntry, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(mvnz::jobfile::RoziRoruner, Q_RELOCATABLE_TYPE);

namespace mvnz::jobfile {

// Reads the file at path once it has settled (options.settle). A missing or unreadable
// file is an error result; the caller keeps its own model then.
ReadResult ReadJobFile(const QString& path, const ReadOptions& options = {});
// The same rules on bytes already in memory (always Loaded).
ReadResult ParseJobFile(const QByteArray& bytes, const ReadOptions& options = {});

// ---- Writing ----------------------------------------------------------------

struct WriteResult {
  bool ok = false;
  QString error;  // names the field or the file when not ok
};

// The file's text for a model, or the first value the file cannot carry (CR, LF or
// "]~[" in a value, a job named "CONFIGURATION", two job names differing only in case).
struct Rendered {
  QByteArray bytes;
  QString error;  // empty when bytes hold the file
};
// versionText is "major.minor.revision" for the header; empty: the system's version.
Rendered RenderJobFile(const JobFile& file, const QString& versionText = {});

// Writes the model to path through a temporary file that replaces the old one only
// once complete, so a failure keeps the old bytes. Refuses a target without write
// bits and keeps the old file's mode.
WriteResult WriteJobFile(const QString& path, const JobFile& file,
                         const QString& versionText = {});

}  // namespace mvnz::jobfile
