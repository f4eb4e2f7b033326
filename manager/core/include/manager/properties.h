#pragma once
// The property dialog of one command of the current RoziRoruner's script: the
// manager's own dialog for ErrorAction, LoadConfig and Reschedule, the plug-in's
// dialog (through its Setup object) for every plug-in module.
//
// The edited parameters come back into the command only when the dialog ended with
// OK; all of them are read before any is stored, and at most thirty are kept (a
// plug-in that gives more has thirty stored and the edit still counts as failed).
#include <QStringList>
#include <optional>

#include "library/jobfile.h"

namespace mvnz::manager {

class Session;

// Comment's dialog is opened by the script editor for a comment line; it is no
// command's property dialog.
enum class BuiltinDialog { ErrorAction, LoadConfig, Reschedule, Comment };

// Parameters 1..30 of a command, at indices 1..30 (index 0 unused).
using Parameters = jobfile::Parameters;

// The manager's dialogs of the built-in commands.
class BuiltinDialogs {
 public:
  virtual ~BuiltinDialogs() = default;
  // Shows the dialog over the command; the parameters it stores when the user
  // confirmed, nullopt when cancelled.
  virtual std::optional<Parameters> edit(BuiltinDialog which, Session& session,
                                         const jobfile::CommandEntry& command) = 0;
};

// Reschedule's parameter 1 in its pieces: the kind letter and the value, the first two
// of its comma-separated pieces (whatever follows a second comma is neither, as the
// daemon reads it). nullopt for a parameter without a comma.
struct ReschedulePieces {
  QString letter;
  QString value;
};
std::optional<ReschedulePieces> SplitReschedule(const QString& data1);

// The built-in dialog of a command name (any case), if it has one.
std::optional<BuiltinDialog> BuiltinDialogOf(const QString& commandName);

// lineText: the command's 1-based line number in the current RoziRoruner's script.
// True when the user confirmed and the parameters were stored (the caller then
// redraws the script). A Reschedule command whose parameter 1 is neither empty nor in
// pieces opens nothing.
bool ShowCommandProperties(Session& session, const QString& lineText, const QString& commandName,
                           BuiltinDialogs& builtins);

}  // namespace mvnz::manager
