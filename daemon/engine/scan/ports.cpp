#include "engine/ports.h"

#include <QCoreApplication>

#include "engine/dirscan.h"

namespace mvnz::engine {

QDateTime SystemClock::now() const {
  const qint64 second = QDateTime::currentSecsSinceEpoch();
  if (second != second_) {
    second_ = second;
    local_ = QDateTime::fromSecsSinceEpoch(second);
  }
  return local_;
}

bool LockProbe::look(const QString& path, struct stat& st) { return StatFile(path, st); }

void QtPump::pump() { QCoreApplication::processEvents(); }

void SlicedPump::step() {
  if (timer_.elapsed() >= sliceMs_) now();
}

void SlicedPump::now() {
  timer_.restart();
  if (pump_) pump_->pump();
}

}  // namespace mvnz::engine
