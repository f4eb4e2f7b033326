#include "library/childrun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <memory>

#include "library/waitdispatch.h"
#include "platform/paths.h"

namespace mvnz {

namespace {

bool StepUntilFinished(QProcess& p, int limitMs, int stepMs) {
  QElapsedTimer waited;
  waited.start();
  while (p.state() != QProcess::NotRunning) {
    if (limitMs >= 0 && waited.elapsed() >= limitMs) return false;
    CWaitNDispatch wait;
    const auto ended =
        QObject::connect(&p, &QProcess::finished, &wait, [&wait] { wait.Cancel(); });
    const long left = limitMs < 0 ? stepMs : std::min<long>(stepMs, limitMs - waited.elapsed());
    wait.Wait(std::max<long>(left, 1));
    QObject::disconnect(ended);
    QCoreApplication::processEvents();
  }
  return true;
}

}  // namespace

ChildRun RunChild(const QString& folder, const QString& name, const QStringList& args,
                  int limitMs, ChildOutput output, int stepMs) {
  ChildRun run;
  run.program = paths::join(folder, name);
  const QFileInfo info(run.program);
  if (!info.isFile() || !info.isExecutable()) {
    run.errorText = QStringLiteral("%1 was not found").arg(run.program);
    return run;
  }
  auto p = std::make_unique<QProcess>();
  p->setProgram(run.program);
  p->setArguments(args);
  if (output == ChildOutput::Capture)
    p->setProcessChannelMode(QProcess::MergedChannels);
  else
    p->setProcessChannelMode(QProcess::ForwardedChannels);
  p->setStandardInputFile(QProcess::nullDevice());
  p->start();
  if (!p->waitForStarted(30000)) {
    run.errorText = QStringLiteral("%1 cannot be started: %2").arg(run.program, p->errorString());
    return run;
  }
  if (!StepUntilFinished(*p, limitMs, stepMs)) {
    run.state = ChildRun::State::StillRunning;
    // Destroying the process object would kill the child: it lives on, owned by the
    // child's end, and is freed by the event loop once the child has ended.
    QProcess* left = p.release();
    QObject::connect(left, &QProcess::finished, left, &QObject::deleteLater);
    return run;
  }
  run.output = QString::fromLocal8Bit(p->readAll()).trimmed();
  if (p->exitStatus() == QProcess::CrashExit) {
    run.state = ChildRun::State::Crashed;
    return run;
  }
  run.state = ChildRun::State::Exited;
  run.exitCode = p->exitCode();
  return run;
}

}  // namespace mvnz
