#pragma once
// The commands a command script may name: the six built-in workflow commands and
// the modules of the fourteen known plug-ins, each with what its parameter positions
// mean. The daemon's module table, the plug-in folder scan, the manager's palette and
// the configuration reference all read this one table.
#include <QString>
#include <QStringView>
#include <optional>
#include <span>

namespace mvnz::catalogue {

// Parameter positions (1..30) of each command, as scripts store them.
namespace param {
struct ErrorAction {
  static constexpr int Fork = 1, ForkTo = 2, Delete = 3, Move = 4, MoveFolder = 5, Abort = 6,
                       Resume = 7, CommandsOnly = 8, Stop = 9;
};
struct LoadConfig {
  static constexpr int File = 1;
};
struct Reschedule {
  static constexpr int Request = 1;
};
struct Comment {
  static constexpr int Text = 1;
};
// Relocate and Duplicate.
struct Transfer {
  static constexpr int Source = 1, Destination = 2, Overwrite = 3, CreateFolders = 4;
};
struct Erase {
  static constexpr int File = 1, EmptyOnly = 2, Recycle = 3;
};
struct Scour {
  static constexpr int Days = 1, File = 2;
};
// MakeFolder and DropFolder.
struct Folder {
  static constexpr int Path = 1;
};
struct AssignValue {
  static constexpr int Scope = 1, Number = 2, Function = 3, Data1 = 4, Data2 = 5, Data3 = 6,
                       Data4 = 7, DisableVerbose = 8;
};
struct Sleep {
  static constexpr int Count = 1, Unit = 2;
};
struct JournalNote {
  static constexpr int Message = 1;
};
struct BrowseLink {
  static constexpr int Url = 1;
};
}  // namespace param

constexpr int kParameterCount = 30;

// The built-in workflow commands, numbered as their rows 1..6 of the module tables.
enum class BuiltIn { ErrorAction = 1, EndDaemon, StopDaemon, Comment, LoadConfig, Reschedule };

struct Parameter {
  int position;
  const char* meaning;
  const char* values;  // what the position may hold
};

struct Command {
  const char* name;                   // the command name scripts carry
  const char* plugin;                 // the plug-in file base name; "" for a built-in
  const char* category;               // the plug-in's category; "" for a built-in
  std::span<const Parameter> params;  // in position order
  const char* summary;
};

// The six built-ins in row order, then the plug-in modules in the order of the
// known plug-in names.
std::span<const Command> Commands();
std::span<const Command> BuiltIns();
std::span<const Command> PluginCommands();

// The command of a name, compared without regard to case; nullptr when unknown.
const Command* Find(QStringView name);
// The built-in a name stands for (any case).
std::optional<BuiltIn> FindBuiltIn(QStringView name);
const Command& Of(BuiltIn b);

// How the daemon's module table spells the row of a built-in (row 5 is
// "LoadCOnfig"; names are compared without regard to case, so it matches
// "LoadConfig").
QString ModuleTableName(BuiltIn b);
// The picture index of a built-in in the manager's image lists.
short IconIndex(BuiltIn b);

}  // namespace mvnz::catalogue
