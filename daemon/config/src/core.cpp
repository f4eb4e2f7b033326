#include "daemon/core.h"

#include <QCoreApplication>

#include "daemon/queue.h"
#include "daemon/service.h"

namespace mvnz::mvnd {

namespace {

// Until the scan engine is linked, a cycle only takes the queue words: STOP stops
// processing and leaves the rest for the stopped-state consumer; SAVE saves.
class QueueOnlyEngine : public Engine {
 public:
  void MainEventLoop(Daemon& d) override {
    while (!d.CommandQueue.isEmpty()) {
      const QString word = d.CommandQueue.first();
      if (word == QLatin1String("STOP")) {
        SetDaemonState(d, RunState::Stopped);
        d.CommandQueue.removeFirst();
        return;
      }
      if (word == QLatin1String("SAVE")) d.ui().SaveDaemonSettings(true);
      if (!d.CommandQueue.isEmpty()) d.CommandQueue.removeFirst();
    }
  }
  void InitEventTimers(Daemon&) override {}
};

}  // namespace

QString StartStopCaption(RunState state) {
  return state == RunState::Running ? QStringLiteral("Stop") : QStringLiteral("Start");
}

std::unique_ptr<Engine> MakeQueueOnlyEngine() { return std::make_unique<QueueOnlyEngine>(); }

Daemon::Daemon(QObject* parent)
    : QObject(parent), ui_(std::make_shared<UiPort>()), engine_(MakeQueueOnlyEngine()) {
  tmrCommandQueue.setInterval(1000);
  tmrPollingRate.setInterval(1000);
  tmrIdleIndicator.setInterval(60000);
  tmrShutdown.setInterval(500);
  tmrService.setInterval(1000);
  LevelNames = {QStringLiteral("OK"), QStringLiteral("WARNING"), QStringLiteral("ERROR"),
                QString()};
  ExitHook = [this](int status) {
    for (QTimer* t :
         {&tmrCommandQueue, &tmrPollingRate, &tmrIdleIndicator, &tmrShutdown, &tmrService})
      t->stop();
    QCoreApplication::exit(status);
  };
}

Daemon::~Daemon() = default;

void Daemon::SetUi(std::shared_ptr<UiPort> ui) {
  ui_ = ui ? std::move(ui) : std::make_shared<UiPort>();
}

void Daemon::SetEngine(std::shared_ptr<Engine> engine) {
  engine_ = engine ? std::move(engine) : std::shared_ptr<Engine>(MakeQueueOnlyEngine());
}

ServiceControl& Daemon::SVC() {
  if (!svc_) {
    svc_ = std::make_unique<ServiceControl>();
    svc_->ServiceControlsOption = 0;
  }
  return *svc_;
}

void Daemon::DoEvents() {
  if (AllowDoEvents) QCoreApplication::processEvents();
}

}  // namespace mvnz::mvnd
