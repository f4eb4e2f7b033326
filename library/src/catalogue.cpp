#include "library/catalogue.h"

namespace mvnz::catalogue {
namespace {

constexpr const char* kOption = "\"True\" or \"False\"";
constexpr const char* kCheck = "\"1\" ticked, \"0\" clear";
constexpr const char* kPath = "a path; tokens allowed";

namespace p = param;

constexpr Parameter kErrorAction[] = {
    {p::ErrorAction::Fork, "fork to another RoziRoruner (not acted on by the daemon)", kOption},
    {p::ErrorAction::ForkTo, "the RoziRoruner to fork to (not read by the daemon)", "a name"},
    {p::ErrorAction::Delete, "delete the file", kOption},
    {p::ErrorAction::Move, "move the file", kOption},
    {p::ErrorAction::MoveFolder, "destination folder of the move", kPath},
    {p::ErrorAction::Abort, "abort the command script", kOption},
    {p::ErrorAction::Resume, "resume the command script after the error", kCheck},
    {p::ErrorAction::CommandsOnly, "commands only (not read by the daemon)", kCheck},
    {p::ErrorAction::Stop, "stop the daemon", kOption},
};
constexpr Parameter kLoadConfig[] = {
    {p::LoadConfig::File, "the configuration file to switch to", kPath},
};
constexpr Parameter kReschedule[] = {
    {p::Reschedule::Request, "the next run: a letter, a comma and a value",
     "I (now + seconds), M, H, D, W, N (now + minutes, hours, days, weeks, months), "
     "T (tomorrow at hh:mm), S (a date and time), e.g. \"M,30\"; tokens allowed"},
};
constexpr Parameter kComment[] = {
    {p::Comment::Text, "the comment text", "any text"},
};
constexpr Parameter kTransfer[] = {
    {p::Transfer::Source, "source file, full path and file name", kPath},
    {p::Transfer::Destination, "destination file, full path and file name", kPath},
    {p::Transfer::Overwrite, "overwrite an existing destination", kCheck},
    {p::Transfer::CreateFolders, "create missing folders of the destination", kCheck},
};
constexpr Parameter kErase[] = {
    {p::Erase::File, "the file, full path and file name", kPath},
    {p::Erase::EmptyOnly, "only when the file is empty", kCheck},
    {p::Erase::Recycle, "into the trash instead of deleting", kCheck},
};
constexpr Parameter kScour[] = {
    {p::Scour::Days, "minimum age in days", "a whole number from 1 up"},
    {p::Scour::File, "the file, full path and file name", kPath},
};
constexpr Parameter kFolder[] = {
    {p::Folder::Path, "the folder path", kPath},
};
constexpr Parameter kAssignValue[] = {
    {p::AssignValue::Scope, "which variables", "\"Local\" (<LVn>) or \"Global\" (<GVn>)"},
    {p::AssignValue::Number, "the variable number", "1 to 15"},
    {p::AssignValue::Function, "the function",
     "InitVariable, StringLength, TrimString, UpperCase, LowerCase, ReplaceSpace, StripChar, "
     "Add, Subtract, Multiply, Divide, SubString, FindString, ReplaceChar, ReplaceString"},
    {p::AssignValue::Data1, "first operand", "text; tokens allowed"},
    {p::AssignValue::Data2, "second operand", "text; tokens allowed"},
    {p::AssignValue::Data3, "third operand", "text; tokens allowed"},
    {p::AssignValue::Data4, "fourth operand (only logged)", "text"},
    {p::AssignValue::DisableVerbose, "no operand and result log lines", kCheck},
};
constexpr Parameter kSleep[] = {
    {p::Sleep::Count, "number of units to wait", "a whole number"},
    {p::Sleep::Unit, "size of one unit in milliseconds", "1, 10, 100, 1000, 10000 or 100000"},
};
constexpr Parameter kJournalNote[] = {
    {p::JournalNote::Message, "the line written to the daemon's log", "text; tokens allowed"},
};
constexpr Parameter kBrowseLink[] = {
    {p::BrowseLink::Url, "the address opened in the default browser", "a URL; tokens allowed"},
};

// Rows 1..6 of the module tables come first, in this order.
constexpr Command kCommands[] = {
    {"ErrorAction", "", "", kErrorAction,
     "what happens to the file when a later plug-in command of the script fails"},
    {"EndDaemon", "", "", {}, "ends the daemon"},
    {"StopDaemon", "", "", {}, "stops processing; the daemon keeps running"},
    {"Comment", "", "", kComment, "a comment; the daemon passes over it"},
    {"LoadConfig", "", "", kLoadConfig,
     "switches the daemon to another configuration file (stop, reload, start)"},
    {"Reschedule", "", "", kReschedule,
     "sets the next run of a time-triggered RoziRoruner, applied after the script"},
    // The plug-ins, in the order of the known plug-in names.
    {"Duplicate", "Duplicate", "File", kTransfer, "copies a file"},
    {"MakeFolder", "MakeFolder", "File", kFolder, "creates a folder and its missing parents"},
    {"Erase", "Erase", "File", kErase, "deletes a file"},
    {"JournalNote", "JournalNote", "Tools", kJournalNote, "writes a line to the daemon's log"},
    {"SignOutHost", "SignOutHost", "Windows", {}, "logs the interactive user off"},
    {"Relocate", "Relocate", "File", kTransfer, "moves a file"},
    {"BrowseLink", "BrowseLink", "Network", kBrowseLink, "opens an address in the browser"},
    {"Scour", "Scour", "File", kScour, "deletes a file once it is old enough"},
    {"DropFolder", "DropFolder", "File", kFolder, "removes the empty subfolders below a folder"},
    {"RebootHost", "RebootHost", "Windows", {}, "restarts the computer"},
    {"PowerOffHost", "PowerOffHost", "Windows", {}, "shuts the computer down"},
    {"Sleep", "Sleep", "Tools", kSleep, "waits, the daemon staying responsive"},
    {"HostFacts", "HostFacts", "Windows", {}, "writes the memory statistics to the log"},
    {"AssignValue", "AssignValue", "Tools", kAssignValue,
     "computes a value and stores it in a local or global variable"},
};
constexpr int kBuiltInCount = 6;

constexpr short kIconIndex[] = {0, 3, 13, 14, 15, 17, 18};

}  // namespace

std::span<const Command> Commands() { return kCommands; }
std::span<const Command> BuiltIns() { return Commands().first(kBuiltInCount); }
std::span<const Command> PluginCommands() { return Commands().subspan(kBuiltInCount); }

const Command* Find(QStringView name) {
  for (const Command& c : kCommands)
    if (name.compare(QLatin1StringView(c.name), Qt::CaseInsensitive) == 0) return &c;
  return nullptr;
}

std::optional<BuiltIn> FindBuiltIn(QStringView name) {
  const Command* c = Find(name);
  if (!c || c - kCommands >= kBuiltInCount) return std::nullopt;
  return static_cast<BuiltIn>(c - kCommands + 1);
}

const Command& Of(BuiltIn b) { return kCommands[static_cast<int>(b) - 1]; }

QString ModuleTableName(BuiltIn b) {
  if (b == BuiltIn::LoadConfig) return QStringLiteral("LoadCOnfig");
  return QLatin1StringView(Of(b).name).toString();
}

short IconIndex(BuiltIn b) { return kIconIndex[static_cast<int>(b)]; }

}  // namespace mvnz::catalogue
