// A command name is unknown at the load exactly when it is unknown at run time: the
// load's "no module provides" report and the interpreter's "unknown or not registered"
// line against one module table.
#include <gtest/gtest.h>

#include "daemon/config.h"
#include "library/jobfile.h"
#include "scriptfixture.h"

using namespace mvnz;
using namespace mvnz::test;

namespace {

// Whether loading a job with one command line of that name reports it.
bool ReportedAtLoad(const mvnd::Daemon& d, const QString& name) {
  const QByteArray file = ("[Job]\r\nCommand=" + name + "]~[\r\nEnabled=1\r\n").toUtf8();
  const jobfile::ReadResult r = jobfile::ParseJobFile(file, mvnd::DaemonReadOptions(d));
  bool reported = false;
  for (const jobfile::Fault& f : r.faults)
    if (f.why.startsWith(QLatin1String("no module provides"))) reported = true;
  return reported;
}

// Whether running a script of that one line says the module is unknown.
bool ReportedAtRun(ScriptFixture& f, const QString& name) {
  f.log.clear();
  f.Script({Line(name)});
  f.Run();
  for (const QString& m : f.Messages(2))
    if (m.startsWith(QLatin1String("ATTENTION: Module <"))) return true;
  return false;
}

}  // namespace

TEST(UnknownCommand, LoadAndRunAgree) {
  const struct {
    const char* name;
    bool unknown;
  } cases[] = {
      {"Copy Files", false},    {"copy files", false},       {"COPY FILES", false},
      {"Missing Plugin", false},  // in the table; only creating its object fails
      {"Reschedule", false},    {"comment", false},          {"StopDaemon", false},
      {"No Such", true},        {"Copy", true},              {"Copy Files ", true},
      {"Straße", false},        {"straße", false},           {"STRASSE", true},
  };
  ScriptFixture f;
  // A module whose upper-case form is another name ("STRASSE").
  f.d.ModuleTable.insert(f.d.NextModuleRow, {"Straße", "DuplicateZuri.Setup"});
  ++f.d.NextModuleRow;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString name = QString::fromUtf8(c.name);
    f.d.run.State = mvnd::RunState::Running;
    f.d.run.CommandQueue.clear();
    EXPECT_EQ(ReportedAtLoad(f.d, name), c.unknown);
    EXPECT_EQ(ReportedAtRun(f, name), c.unknown);
  }
}
