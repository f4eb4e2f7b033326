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

namespace {

// QSystemTrayIcon. Every log line and script line steps the icon, so changes are
// handed to the desktop at most every kThrottleMs; the last one always arrives.
class QtTrayIcon : public TrayIcon {
 public:
  QtTrayIcon() {
    throttle_.setSingleShot(true);
    throttle_.setInterval(kThrottleMs);
    connect(&throttle_, &QTimer::timeout, this, [this] {
      if (dirty_) Apply();
    });
    // Clicks come as activation reasons; they map to the shell's button-up messages.
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
  // Adding an icon that is there fails in the shell; adding a lost one brings it back.
  void ShellAdd(const Record& record) override {
    if (icon_.isVisible()) return;
    pending_ = record;
    Apply();
    icon_.show();
  }
  void ShellModify(const Record& record) override {
    if (!icon_.isVisible()) return;
    pending_ = record;
    dirty_ = true;
    if (!throttle_.isActive()) Apply();
  }
  void ShellRemove(const Record&) override {
    throttle_.stop();
    dirty_ = false;
    icon_.hide();
  }

 private:
  static constexpr int kThrottleMs = 200;
  void Apply() {
    dirty_ = false;
    icon_.setIcon(pending_.icon);
    if (icon_.toolTip() != pending_.tip) icon_.setToolTip(pending_.tip);
    throttle_.start();
  }
  QSystemTrayIcon icon_;
  QTimer throttle_;
  Record pending_;
  bool dirty_ = false;
};

}  // namespace

std::unique_ptr<TrayIcon> MakeTrayIcon() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) return std::make_unique<QtTrayIcon>();
  return std::make_unique<NullTrayIcon>();
}

}  // namespace mvnz::mvnd
