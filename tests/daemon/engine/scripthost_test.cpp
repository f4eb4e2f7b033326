// The interpreter with the real services: plug-ins created by object activation from
// the plug-in folder, their SetMessage lines and the interpreter's own lines in the
// daemon's log buffers.
#include <gtest/gtest.h>

#include "daemon/logging.h"
#include "daemon/modules.h"
#include "engine/interpreter.h"
#include "plugindaemon.h"
#include "scriptfixture.h"

using namespace mvnz;
using namespace mvnz::test;

namespace {

QStringList Lines(const QList<mvnd::clsLogging>& buffer, const QString& source) {
  QStringList m;
  for (const auto& l : buffer)
    if (l.msType == source) m << l.message;
  return m;
}

}  // namespace

TEST(ScriptHost, PluginsThroughActivationLogIntoTheRunningRoziRoruner) {
  mvnd::Daemon d;
  StartWithPlugins(d, 2, 1, SCRIPT_FIXTURE_DIR);
  d.jobs.RoziRoruners[1].Name = "Second";
  ASSERT_EQ(mvnd::FindModule(d, "RECORD"), 7);

  mvnd::RoziRoruner& r = d.jobs.RoziRoruners[1];
  r.Commands = {mvnd::CommandEntry{}, Line("record", {"one"}), Line("Unknown"),
                Line("Record", {"<LV1>+<ROZIRORUNERNAME>", "fail"})};
  r.CommandCount = 3;
  engine::RunCommandScript(d, 1);

  EXPECT_EQ(Lines(d.log.LogBuffers[2], "M"), (QStringList{"recorded one", "recorded one+Second"}));
  EXPECT_EQ(Lines(d.log.TotalLog, "S"),
            QStringList{"ATTENTION: Module <UNKNOWN> is unknown or not registered!"});
  EXPECT_EQ(r.LocalVariables[0], "one+Second");
  EXPECT_EQ(d.jobs.GlobalVariables[2], "g");
  EXPECT_TRUE(d.run.LastCommandError);
  EXPECT_EQ(d.run.CommandsExecuted, 3);
  mvnd::UnregisterMVNdcom();
}
