#include "platform/power.h"

#include <unistd.h>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <atomic>

#include "platform/paths.h"

namespace mvnz::power {
namespace {

std::atomic<bool> g_dryRun{false};
QMutex g_mutex;
std::shared_ptr<Recorder> g_recorder;
QList<Request> g_dryLog;

bool envSaysDryRun() {
  const QByteArray v = qgetenv("MVNZ_POWER_DRYRUN");
  return !v.isEmpty() && v != "0";
}

// Latch the setting as early as possible: a test run by CTest has it in its
// environment before any code runs.
[[maybe_unused]] const bool g_latchedAtStart = [] {
  if (envSaysDryRun()) g_dryRun = true;
  return true;
}();

std::shared_ptr<Recorder> currentRecorder() {
  QMutexLocker lock(&g_mutex);
  return g_recorder;
}

}  // namespace

std::shared_ptr<Recorder> installRecorder(std::shared_ptr<Recorder> recorder) {
  QMutexLocker lock(&g_mutex);
  std::swap(g_recorder, recorder);
  return recorder;
}

bool dryRun() {
  if (!g_dryRun && envSaysDryRun()) g_dryRun = true;
  return g_dryRun;
}

QString sessionId() {
  const QString env = qEnvironmentVariable("XDG_SESSION_ID").trimmed();
  if (!env.isEmpty()) return env;
  QFile f(QStringLiteral("/proc/self/sessionid"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QString id = QString::fromLatin1(f.readAll()).trimmed();
  // The kernel reports the unset audit session as (uint32)-1.
  if (id.isEmpty() || id == QLatin1String("4294967295")) return {};
  return id;
}

Request buildRequest(Action action, bool force) {
  Request r;
  r.action = action;
  r.force = force;
  switch (action) {
    case Action::Reboot:
    case Action::PowerOff:
      r.program = paths::systemctlProgram();
      r.arguments << (action == Action::Reboot ? QStringLiteral("reboot")
                                               : QStringLiteral("poweroff"))
                  << QStringLiteral("--no-ask-password");
      if (force) r.arguments << QStringLiteral("--ignore-inhibitors");
      break;
    case Action::LogOff: {
      const QString id = sessionId();
      if (id.isEmpty()) break;  // no session to end: the request cannot be formed
      r.program = QStringLiteral("loginctl");
      r.arguments << QStringLiteral("--no-ask-password") << QStringLiteral("terminate-session")
                  << id;
      break;
    }
  }
  return r;
}

void syncFiles() {
  if (auto rec = currentRecorder()) {
    rec->onSync();
    return;
  }
  if (dryRun()) return;
  ::sync();
}

bool request(Action action, bool force) {
  const Request r = buildRequest(action, force);
  if (auto rec = currentRecorder()) return rec->onRequest(r);
  if (dryRun()) {
    QMutexLocker lock(&g_mutex);
    g_dryLog.append(r);
    return !r.program.isEmpty();
  }
  if (r.program.isEmpty()) return false;
  return QProcess::startDetached(r.program, r.arguments);
}

QList<Request> dryRunLog() {
  QMutexLocker lock(&g_mutex);
  return g_dryLog;
}

}  // namespace mvnz::power
