#pragma once
// A daemon state with one RoziRoruner and a script, fixture plug-ins made through the
// object factory (they record every call and do what their module is told to), a
// recorded log, a fake clock and a fake message pump.
#include <QDir>
#include <QFile>
#include <functional>
#include <map>
#include <memory>
#include <ostream>

#include "daemon/core.h"
#include "engine/filetable.h"
#include "engine/interpreter.h"
#include "enginetestutil.h"
#include "nullsetup.h"
#include "plugindaemon.h"
#include "library/contract.h"
#include "testenv.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace mvnz::test {

// What one plug-in call saw.
struct PluginCall {
  QString progId, module;
  QStringList data;
  bool autoLog = false;
};

// What a fixture module does when it runs.
struct ModuleBehaviour {
  bool error = false;             // the Error flag it reports
  int runResult = 0;              // RunP's error number
  std::map<int, QString> locals;  // slots it marks used, with values
  std::map<int, QString> globals;
  std::function<void()> during;  // runs inside RunP (posts words, ...)
};

struct ScriptWorld {
  std::map<QString, ModuleBehaviour> behaviour;  // by module name as registered
  std::vector<PluginCall> calls;
  std::vector<int> readSlots;  // LocalVar indices asked for
};

class FixtureSetup : public NullSetup {
 public:
  FixtureSetup(ScriptWorld& w, QString progId) : w_(w), progId_(std::move(progId)) {}
  void SetAutoLog(bool v) noexcept override { autoLog_ = v; }
  bool Error() const noexcept override { return b_.error; }
  int LocalVar(short i, VarType* out) const noexcept override {
    w_.readSlots.push_back(i);
    return slot(b_.locals, i, out);
  }
  int GlobalVar(short i, VarType* out) const noexcept override { return slot(b_.globals, i, out); }
  int RunP(QString& module, const QStringList& data) noexcept override {
    w_.calls.push_back({progId_, module, data, autoLog_});
    b_ = w_.behaviour[module];
    if (b_.during) b_.during();
    return b_.runResult;
  }

 private:
  static int slot(const std::map<int, QString>& m, short i, VarType* out) {
    if (i < 0 || i > 15) return kErrSubscript;
    const auto it = m.find(i);
    *out = it == m.end() ? VarType{} : VarType{true, it->second};
    return 0;
  }
  ScriptWorld& w_;
  QString progId_;
  ModuleBehaviour b_;
  bool autoLog_ = false;
};

class CountingPump : public engine::MessagePump {
 public:
  void pump() override {
    ++passes;
    if (onPass) onPass(passes);
  }
  int passes = 0;
  std::function<void(int)> onPass;
};

struct LogLine {
  QString source, message;
  int level;
};

// ERRORACTION parameters: fork, target, delete, move, folder, abort, resume, commands
// only, stop.
inline mvnd::CommandEntry OnError(const QString& what, const QString& resume = "0",
                                  const QString& folder = {}) {
  auto opt = [&](const char* w) { return QString(what == w ? "True" : "False"); };
  return Line("ErrorAction", {opt("fork"), "Other", opt("delete"), opt("move"), folder,
                              opt("abort"), resume, "0", opt("stop")});
}

struct ScriptFixture {
  mvnd::Daemon d;
  ScriptWorld world;
  std::vector<LogLine> log;
  FakeClock clock;
  CountingPump pumpImpl;
  engine::SlicedPump pump{0};  // every step pumps
  engine::ScriptPorts ports;
  QString hot;  // the hot folder holding the current file

  ScriptFixture() {
    d.run.State = mvnd::RunState::Running;
    d.jobs.RoziRoruners.resize(1);
    d.jobs.RoziRorunerCount = 1;
    rr().Name = "Orders";
    rr().Description = "Incoming orders";
    d.ModuleTable.resize(1);
    for (const char* b :
         {"ErrorAction", "EndDaemon", "StopDaemon", "Comment", "LoadCOnfig", "Reschedule"})
      d.ModuleTable.push_back({b, {}});
    for (const char* m : {"Copy Files", "Fail Always", "Set Vars"})
      d.ModuleTable.push_back({m, "DuplicateZuri.Setup"});
    d.ModuleTable.push_back({"Missing Plugin", "GoneZuri.Setup"});
    d.NextModuleRow = d.ModuleTable.size();
    d.ModuleTable.push_back({});
    world.behaviour["Fail Always"].error = true;

    pump.setPump(&pumpImpl);
    ports.clock = &clock;
    ports.pump = &pump;
    ports.log = [this](const QString& s, const QString& m, int level, const QString&, int) {
      log.push_back({s, m, level});
    };
    ports.createObject = [this](const QString& progId,
                                ActivationError* err) -> std::unique_ptr<Object> {
      if (progId == "GoneZuri.Setup") {
        *err = {429, progId, "ActiveX component can't create object", "no library"};
        return nullptr;
      }
      return std::make_unique<FixtureSetup>(world, progId);
    };
  }

  mvnd::RoziRoruner& rr() { return d.jobs.RoziRoruners[0]; }

  void Script(const QList<mvnd::CommandEntry>& lines) {
    rr().Commands = {mvnd::CommandEntry{}};
    for (const auto& l : lines) rr().Commands.push_back(l);
    rr().CommandCount = lines.size();
  }

  // Makes `names` the pass's files in the hot folder (the first is current).
  void Files(const QStringList& names) {
    hot = makeDir("hot");
    auto table = std::make_shared<mvnd::FileTable>();
    const int f = table->addFolder(hot, ".");
    const QDateTime stamp(QDate(2026, 3, 1), QTime(8, 30, 5));
    for (const QString& n : names) {
      writeFile(hot + "/" + n, "data", stamp);
      table->addRow({f, n, 4, stamp.toSecsSinceEpoch() * 1000000000LL});
    }
    rr().FileList = table;
    rr().FilesPending = names.size();
    rr().CurrentFile = 0;
  }

  void Run() {
    d.run.LastCommandError = false;
    engine::RunCommandScript(d, 0, ports);
  }

  QStringList Modules() const {
    QStringList m;
    for (const auto& c : world.calls) m << c.module;
    return m;
  }
  QStringList Messages(int level = -1) const {
    QStringList m;
    for (const auto& l : log)
      if (level < 0 || l.level == level) m << l.message;
    return m;
  }
};

}  // namespace mvnz::test
