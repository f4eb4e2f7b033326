#include "daemon/core.h"

#include <QCoreApplication>

#include "daemon/service.h"
#include "library/catalogue.h"

namespace mvnz::mvnd {

int FindModuleRow(const QVector<ModuleEntry>& table, int nextRow, const QString& name) {
  for (int i = 1; i < nextRow && i < table.size(); ++i)
    if (table[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return 0;
}

bool ProvidesCommand(const QVector<ModuleEntry>& table, int nextRow, const QString& name) {
  return catalogue::FindBuiltIn(name).has_value() || FindModuleRow(table, nextRow, name) > 0;
}

QString StartStopCaption(RunState state) {
  return state == RunState::Running ? QStringLiteral("Stop") : QStringLiteral("Start");
}

Daemon::Daemon(QObject* parent)
    : QObject(parent), ui_(std::make_shared<UiPort>()) {
  tmrCommandQueue.setInterval(1000);
  tmrPollingRate.setInterval(1000);
  tmrIdleIndicator.setInterval(60000);
  tmrShutdown.setInterval(500);
  tmrService.setInterval(1000);
  log.LevelNames = {QStringLiteral("OK"), QStringLiteral("WARNING"), QStringLiteral("ERROR"),
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

void Daemon::SetEngine(std::shared_ptr<Engine> engine) { engine_ = std::move(engine); }

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
