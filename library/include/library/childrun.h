#pragma once
// Runs another program of the system and waits for it while the event loop keeps
// running (windows stay live). The program is started from the given folder by its
// file name, never found by a search of PATH.
#include <QString>
#include <QStringList>

namespace mvnz {

struct ChildRun {
  enum class State {
    NotStarted,    // missing or not executable; errorText says why
    Exited,        // ended normally with exitCode
    Crashed,       // ended by a signal
    StillRunning,  // the limit passed first; the child is left running, never killed
                   // (what watches it is freed by the event loop once it has ended)
  };
  State state = State::NotStarted;
  int exitCode = -1;
  QString program;    // the full path that was started
  QString errorText;  // why it did not start
  QString output;     // its stdout and stderr when captured, trimmed
};

enum class ChildOutput {
  Forward,  // the child writes to this program's stdout/stderr
  Capture,  // kept in ChildRun::output; use only without a limit, since a child left
            // running would lose its pipes when this program ends
};

// Starts folder/name with args and waits for it in steps of stepMs (each a
// CWaitNDispatch wait, ended early when the child ends), letting pending events run
// after each step. limitMs < 0 waits without a limit.
ChildRun RunChild(const QString& folder, const QString& name, const QStringList& args,
                  int limitMs, ChildOutput output, int stepMs = 500);

}  // namespace mvnz
