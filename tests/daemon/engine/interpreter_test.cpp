// The command-script interpreter: built-in lines, plug-in lines with their variables
// and error flag, ErrorAction armed and fired, early ends.
#include <gtest/gtest.h>

#include "engine/interpreter.h"

using namespace mvnz;
using namespace mvnz::engine;

TEST(Interpreter, StoppedDaemonDoesNothing) {
  mvnd::Daemon d;
  d.RoziRoruners.resize(1);
  d.RoziRorunerCount = 1;
  QStringList lines;
  ScriptPorts ports;
  ports.log = [&](const QString&, const QString& m, int, const QString&, int) { lines << m; };
  RunCommandScript(d, 0, ports);
  EXPECT_TRUE(lines.isEmpty());
}
