#include "engine/ports.h"

#include <QCoreApplication>

namespace mvnz::engine {

void QtPump::pump() { QCoreApplication::processEvents(); }

void SlicedPump::step() {
  if (timer_.elapsed() >= sliceMs_) now();
}

void SlicedPump::now() {
  timer_.restart();
  if (pump_) pump_->pump();
}

}  // namespace mvnz::engine
