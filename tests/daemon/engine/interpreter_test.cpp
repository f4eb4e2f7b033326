// The command-script interpreter: built-in lines, plug-in lines with their variables
// and error flag, ErrorAction armed and fired, early ends.
#include <gtest/gtest.h>

#include "engine/interpreter.h"
#include "daemon/queue.h"
#include "scriptfixture.h"

using namespace mvnz;
using namespace mvnz::test;
using mvnd::CommandEntry;

TEST(Interpreter, WhichLinesRun) {
  const struct {
    const char* what;
    QList<CommandEntry> script;
    QStringList calls;
    double executed;
    QStringList messages;
    int passes;  // the pump runs after every line, skipped ones too
  } cases[] = {
      {"empty script", {}, {}, 0, {"WARNING: Empty command script!"}, 0},
      {"disabled and comment lines are passed over",
       {Line("!Copy Files"), Line("comment", {"<FILENAME>"}), Line("COMMENT"), Line("Copy Files")},
       {"Copy Files"},
       1,
       {"Processing command <COPY FILES> ....."},
       4},
      {"an empty name ends the script",
       {Line("Copy Files"), Line("set vars"), Line(""), Line("Copy Files")},
       {"Copy Files", "Set Vars"},
       2,
       {"Processing command <COPY FILES> .....", "Processing command <SET VARS> ....."},
       2},
      {"an unknown module is reported and the next line runs",
       {Line("No Such"), Line("Copy Files")},
       {"Copy Files"},
       2,
       {"Processing command <NO SUCH> .....",
        "ATTENTION: Module <NO SUCH> is unknown or not registered!",
        "Processing command <COPY FILES> ....."},
       2},
      {"a failed line without ErrorAction goes on",
       {Line("Fail Always"), Line("Copy Files")},
       {"Fail Always", "Copy Files"},
       2,
       {"Processing command <FAIL ALWAYS> .....", "Processing command <COPY FILES> ....."},
       2},
  };
  for (const auto& c : cases) {
    ScriptFixture f;
    f.d.settings.AutoLogInternalCommands = 1;
    f.Script(c.script);
    f.Run();
    EXPECT_EQ(f.Modules(), c.calls) << c.what;
    EXPECT_EQ(f.d.run.CommandsExecuted, c.executed) << c.what;
    EXPECT_EQ(f.Messages(), c.messages) << c.what;
    EXPECT_EQ(f.pumpImpl.passes, c.passes) << c.what;
  }
}

TEST(Interpreter, StoppedDaemonDoesNothing) {
  ScriptFixture f;
  f.d.run.State = mvnd::RunState::Stopped;
  f.Script({Line("Copy Files")});
  f.Run();
  f.Script({});
  f.Run();
  EXPECT_TRUE(f.world.calls.empty());
  EXPECT_TRUE(f.log.empty());
}

TEST(Interpreter, PluginLineGetsExpandedParametersAndGivesBackVariables) {
  ScriptFixture f;
  f.Files({"order.txt"});
  f.rr().LocalVariables[0] = "old0";
  f.rr().LocalVariables[1] = "keep1";
  f.rr().LocalVariables[15] = "slot15";
  f.d.jobs.GlobalVariables[14] = "g14";
  f.d.settings.GlobalConstants[2] = "gc2";
  auto& b = f.world.behaviour["Set Vars"];
  b.locals = {{0, "new0"}, {14, "new14"}, {15, "never"}};
  b.globals = {{3, "G4"}, {15, "never"}};
  f.Script({Line("SET VARS", {"<FileName>", "<LV1>|<GC2>|<GV15>", "<foo>"}),
            Line("Copy Files", {"<LV1> <LV15> <GV4>"})});
  f.d.settings.AutoLogInternalCommands = 1;
  f.Run();

  ASSERT_EQ(f.world.calls.size(), 2u);
  const PluginCall& first = f.world.calls[0];
  EXPECT_EQ(first.progId, "DuplicateZuri.Setup");
  EXPECT_EQ(first.module, "Set Vars");  // the name the plug-in registered
  EXPECT_TRUE(first.autoLog);
  ASSERT_EQ(first.data.size(), 32);
  EXPECT_EQ(first.data[0], "");
  EXPECT_EQ(first.data[1], "order.txt");
  EXPECT_EQ(first.data[2], "old0|gc2|g14");
  EXPECT_EQ(first.data[3], "<FOO>");
  EXPECT_EQ(first.data[4], "");
  EXPECT_EQ(first.data[31], "");
  // Variables come back only where used; slot 15 is never read.
  EXPECT_EQ(f.world.calls[1].data[1], "new0 new14 G4");
  EXPECT_EQ(f.rr().LocalVariables[1], "keep1");
  EXPECT_EQ(f.rr().LocalVariables[15], "slot15");
  EXPECT_EQ(f.d.jobs.GlobalVariables[14], "g14");
  EXPECT_EQ(std::count(f.world.readSlots.begin(), f.world.readSlots.end(), 15), 0);
  EXPECT_FALSE(f.d.run.LastCommandError);

  // The error flag of the last plug-in line is what stays.
  ScriptFixture g;
  g.Script({Line("Copy Files"), Line("Fail Always")});
  g.Run();
  EXPECT_TRUE(g.d.run.LastCommandError);
  EXPECT_FALSE(g.world.calls[0].autoLog);
  g.Script({Line("Fail Always"), Line("Copy Files"), Line("No Such")});
  g.Run();
  EXPECT_FALSE(g.d.run.LastCommandError);  // the unknown line left it as it was
}

TEST(Interpreter, TokensSeeTheRunsRoziRorunerAndFile) {
  ScriptFixture f;
  f.Files({"a.txt", "b.txt"});
  f.d.run.ExpandedScanDirectory = "/scan";
  f.d.settings.ShortDatePattern = "mm/dd/yyyy";
  f.rr().LocalConstants[3] = "lc3";
  f.Script({Line("Copy Files", {"<SCANDIR>|<ROZIRORUNERNAME>|<HH:MM>|<DD-MMM-YYYY>",
                                "<CURRENTFILENUMBER>/<TOTALFILENUMBER>|<LC3>|<FILETIMESTAMP>"})});
  f.Run();
  ASSERT_EQ(f.world.calls.size(), 1u);
  EXPECT_EQ(f.world.calls[0].data[1], "/scan|Orders|10:00|11-Mar-2026");
  EXPECT_EQ(f.world.calls[0].data[2], "1/2|lc3|03/01/2026 08:30:05");
}

TEST(Interpreter, RunTimeErrorsEndTheRun) {
  const struct {
    const char* what;
    QList<CommandEntry> script;
    int runResult;
    QString message;
  } cases[] = {
      {"object cannot be created",
       {Line("missing plugin"), Line("Copy Files")},
       0,
       "ERROR-EXECUTE_COMMAND: Could not execute command [MISSING PLUGIN] Description [ActiveX "
       "component can't create object] Source [GoneZuri.Setup] ErrNumber [429]"},
      {"the plug-in's call fails",
       {Line("Set Vars"), Line("Copy Files")},
       9,
       "ERROR-EXECUTE_COMMAND: Could not execute command [SET VARS] Description [Subscript out "
       "of range] Source [DuplicateZuri.Setup] ErrNumber [9]"},
  };
  for (const auto& c : cases) {
    ScriptFixture f;
    f.world.behaviour["Set Vars"].runResult = c.runResult;
    f.world.behaviour["Set Vars"].locals = {{0, "not taken"}};
    f.Script(c.script);
    f.Run();
    EXPECT_EQ(f.Messages(2), QStringList{c.message}) << c.what;
    EXPECT_TRUE(f.d.run.LastCommandError) << c.what;
    EXPECT_FALSE(f.Modules().contains("Copy Files")) << c.what;
    EXPECT_EQ(f.rr().LocalVariables[0], "") << c.what;
  }
}

TEST(Interpreter, ErrorActionArmedAndFired) {
  const struct {
    const char* what;
    QList<CommandEntry> script;
    bool armedBefore;  // an ERRORACTION passed for an earlier file of the turn
    QStringList calls;
    bool fileKept;
    bool errorAfter;
  } cases[] = {
      {"fails before the ErrorAction line: fires right after it",
       {Line("Fail Always"), OnError("delete"), Line("Copy Files")},
       false,
       {"Fail Always"},
       false,
       false},
      {"armed on line 1, fires after the failed line and ends the script",
       {OnError("delete"), Line("Fail Always"), Line("Copy Files")},
       false,
       {"Fail Always"},
       false,
       false},
      {"resume: the file is deleted and the script goes on",
       {OnError("delete", "1"), Line("Fail Always"), Line("Copy Files")},
       false,
       {"Fail Always", "Copy Files"},
       false,
       false},
      {"armed from an earlier file: fires on the first line",
       {Line("Fail Always"), Line("Copy Files"), OnError("delete")},
       true,
       {"Fail Always"},
       false,
       false},
      {"not armed: a failure changes nothing",
       {Line("Fail Always"), Line("Copy Files")},
       false,
       {"Fail Always", "Copy Files"},
       true,
       false},
      {"abort ends the script, the file stays",
       {OnError("abort"), Line("Fail Always"), Line("Copy Files")},
       false,
       {"Fail Always"},
       true,
       false},
      {"abort with resume only resumes",
       {OnError("abort", "1"), Line("Fail Always"), Line("Copy Files")},
       false,
       {"Fail Always", "Copy Files"},
       true,
       false},
      {"fork only ends the script",
       {OnError("fork"), Line("Fail Always"), Line("Copy Files")},
       false,
       {"Fail Always"},
       true,
       false},
      {"fork with resume goes on",
       {OnError("fork", "1"), Line("Fail Always"), Line("Copy Files")},
       false,
       {"Fail Always", "Copy Files"},
       true,
       false},
  };
  for (const auto& c : cases) {
    ScriptFixture f;
    f.Files({"a.txt"});
    if (c.armedBefore) {
      f.rr().ErrorActionSet = true;
      f.rr().ErrorActionLine = 3;
    }
    f.Script(c.script);
    f.Run();
    EXPECT_EQ(f.Modules(), c.calls) << c.what;
    EXPECT_EQ(QFile::exists(f.hot + "/a.txt"), c.fileKept) << c.what;
    EXPECT_EQ(f.d.run.LastCommandError, c.errorAfter) << c.what;
    EXPECT_TRUE(f.rr().ErrorActionSet || !c.armedBefore) << c.what;
  }
}

TEST(Interpreter, ErrorActionParametersAreExpandedWhenItFires) {
  ScriptFixture f;
  f.Files({"a.txt"});
  f.rr().LocalVariables[0] = "first";
  f.world.behaviour["Fail Always"].locals = {{0, "second"}};
  f.Script({OnError("move", "0", f.hot + "/<LV1>"), Line("Fail Always")});
  f.Run();
  EXPECT_TRUE(QFile::exists(f.hot + "/second/a.txt"));
  EXPECT_FALSE(QFile::exists(f.hot + "/a.txt"));
  EXPECT_TRUE(f.rr().AbortScript);
}

TEST(Interpreter, EarlyEnds) {
  // A STOP that arrives while a line runs (a plug-in's wait lets events in) ends the
  // script after that line; one that arrives in the pump after a line takes effect at
  // the next check. The word stays queued for the cycle.
  {
    ScriptFixture f;
    f.world.behaviour["Set Vars"].during = [&] { f.d.run.CommandQueue << "STOP"; };
    f.Script({Line("Copy Files"), Line("Set Vars"), Line("Copy Files")});
    f.Run();
    EXPECT_EQ(f.Modules(), (QStringList{"Copy Files", "Set Vars"}));
    EXPECT_EQ(f.d.run.CommandQueue, QStringList{"STOP"});
  }
  {
    ScriptFixture f;
    f.pumpImpl.onPass = [&](int n) {
      if (n == 1) f.d.run.CommandQueue << "STOP";
    };
    f.Script({Line("Copy Files"), Line("Set Vars"), Line("Copy Files")});
    f.Run();
    EXPECT_EQ(f.Modules(), (QStringList{"Copy Files", "Set Vars"}));
    EXPECT_EQ(f.d.run.CommandQueue, QStringList{"STOP"});
  }
  // Stopped from the start/stop button while a plug-in ran.
  {
    ScriptFixture f;
    f.world.behaviour["Set Vars"].during = [&] { f.d.run.State = mvnd::RunState::Stopping; };
    f.Script({Line("Set Vars"), Line("Copy Files")});
    f.Run();
    EXPECT_EQ(f.Modules(), QStringList{"Set Vars"});
  }
  // The daemon ends (a SIGTERM) while a line runs: no further line runs, even with
  // resume ticked, and that line's error action still sees the current file.
  {
    ScriptFixture f;
    f.Files({"a.txt"});
    f.d.run.ScanRunning = true;
    const QString failed = makeDir("ended-failed");
    f.world.behaviour["Fail Always"].during = [&] { mvnd::ShutdownDaemon(f.d, 0); };
    f.Script({OnError("move", "1", failed), Line("Fail Always"), Line("Copy Files", {"<FILENAME>"})});
    f.Run();
    EXPECT_EQ(f.Modules(), QStringList{"Fail Always"});
    EXPECT_EQ(readFile(failed + "/a.txt"), "data");
    EXPECT_TRUE(f.Messages(2).isEmpty()) << f.Messages(2).join('\n').toStdString();
    EXPECT_TRUE(f.Messages(1).isEmpty()) << f.Messages(1).join('\n').toStdString();
  }
  const struct {
    const char* what;
    CommandEntry line;
    QStringList queue;
  } cases[] = {
      {"StopDaemon", Line("STOPDAEMON"), {"STOP"}},
      {"EndDaemon", Line("EndDaemon"), {"STOP", "SHUTDOWN"}},
      {"ErrorAction stop", OnError("stop"), {"STOP"}},
  };
  for (const auto& c : cases) {
    ScriptFixture f;
    f.Files({"a.txt"});
    f.Script({Line("Fail Always"), c.line, Line("Copy Files")});
    f.Run();
    EXPECT_EQ(f.Modules(), QStringList{"Fail Always"}) << c.what;
    EXPECT_EQ(f.d.run.CommandQueue, c.queue) << c.what;
    EXPECT_TRUE(QFile::exists(f.hot + "/a.txt")) << c.what;
  }
}

TEST(Interpreter, LoadConfigAndReschedule) {
  {
    ScriptFixture f;
    const QString other = makeDir("conf") + "/other.ini";
    writeFile(other, "[CONFIGURATION]\r\n");
    f.d.settings.ConfigPath = "/old.ini";
    f.d.run.ScanRunning = true;
    f.rr().LocalConstants[1] = "2";
    f.rr().LocalConstants[2] = other;
    f.Script({Line("Reschedule", {"H,<LC1>"}), Line("LoadConfig", {"<LC2>"}), Line("Copy Files")});
    f.Run();
    EXPECT_EQ(f.rr().RescheduleText, "H,2");
    EXPECT_EQ(f.d.settings.ConfigPath, other);
    EXPECT_TRUE(f.d.run.LoadConfigPending);
    EXPECT_FALSE(f.d.run.ScanRunning);
    EXPECT_EQ(f.d.run.CommandQueue, (QStringList{"STOP", "RELOAD", "START"}));
    EXPECT_TRUE(f.world.calls.empty());
  }
  {
    // A missing file: a level-1 line, the error flag, the configuration kept, and the
    // script still ends (an armed ErrorAction does not fire for it).
    ScriptFixture f;
    f.Files({"a.txt"});
    f.d.settings.ConfigPath = "/old.ini";
    f.Script({OnError("delete"), Line("LOADCONFIG", {"/no/such.ini"}), Line("Copy Files")});
    f.Run();
    EXPECT_EQ(f.d.settings.ConfigPath, "/old.ini");
    EXPECT_TRUE(f.d.run.LastCommandError);
    EXPECT_FALSE(f.d.run.LoadConfigPending);
    EXPECT_TRUE(f.d.run.CommandQueue.isEmpty());
    EXPECT_EQ(f.Messages(1),
              QStringList{"ERROR_LOADCONFIG: Configuration-file [/no/such.ini] not found!"});
    EXPECT_TRUE(f.world.calls.empty());
    EXPECT_TRUE(QFile::exists(f.hot + "/a.txt"));
  }
}
