#include "daemon/windows/trayicon.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace mvnz::mvnd {

void TrayIcon::Remove() {
  ShellRemove(record_);  // the record of the last add or modify, not refilled
  state_ = 0;
}

void TrayIcon::Modify() {
  record_ = Fill();
  ShellModify(record_);
  state_ = 2;
}

void TrayIcon::Add() {
  record_ = Fill();
  ShellAdd(record_);
  state_ = 1;
}

void TrayIcon::Dispatch(int message) {
  if (busy_) return;
  busy_ = true;
  switch (message) {
    case 513:
      emit MouseDown(1);
      break;
    case 514:
      emit MouseUp(1);
      break;
    case 515:
      emit DblClick(1);
      break;
    case 516:
      emit MouseDown(2);
      break;
    case 517:
      emit MouseUp(2);
      break;
    case 518:
      emit DblClick(2);
      break;
    default:
      break;
  }
  busy_ = false;
}

ThrottledTrayIcon::ThrottledTrayIcon(int intervalMs) : throttle_(new QTimer(this)) {
  throttle_->setSingleShot(true);
  throttle_->setInterval(intervalMs);
  connect(throttle_, &QTimer::timeout, this, [this] {
    if (dirty_) Flush();
  });
}

void ThrottledTrayIcon::Flush() {
  dirty_ = false;
  Apply(pending_);
  throttle_->start();
}

void ThrottledTrayIcon::ShellAdd(const Record& record) {
  if (Shown()) return;
  pending_ = record;
  Flush();
  Show();
}

void ThrottledTrayIcon::ShellModify(const Record& record) {
  if (!Shown()) return;
  pending_ = record;
  dirty_ = true;
  if (!throttle_->isActive()) Flush();
}

void ThrottledTrayIcon::ShellRemove(const Record&) {
  throttle_->stop();
  dirty_ = false;
  Hide();
}

namespace {

// QSystemTrayIcon; clicks come as activation reasons and map to the shell's
// button-up messages.
class QtTrayIcon : public ThrottledTrayIcon {
 public:
  QtTrayIcon() {
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      switch (r) {
        case QSystemTrayIcon::Trigger:
          Dispatch(514);
          break;
        case QSystemTrayIcon::Context:
          Dispatch(517);
          break;
        case QSystemTrayIcon::DoubleClick:
          Dispatch(515);
          break;
        default:
          break;
      }
    });
  }
  bool HasShell() const override { return true; }

 protected:
  bool Shown() const override { return icon_.isVisible(); }
  void Show() override { icon_.show(); }
  void Hide() override { icon_.hide(); }
  void Apply(const Record& record) override {
    icon_.setIcon(record.icon);
    if (icon_.toolTip() != record.tip) icon_.setToolTip(record.tip);
  }

 private:
  QSystemTrayIcon icon_;
};

}  // namespace

std::unique_ptr<TrayIcon> MakeTrayIcon() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) return std::make_unique<QtTrayIcon>();
  return std::make_unique<NullTrayIcon>();
}

}  // namespace mvnz::mvnd
