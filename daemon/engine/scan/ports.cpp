#include "engine/ports.h"

#include <QCoreApplication>

#include "engine/dirscan.h"

namespace mvnz::engine {

const QDateTime& SystemClock::Memo(Local& m, qint64 secs) {
  if (secs != m.secs) {
    m.secs = secs;
    m.at = QDateTime::fromSecsSinceEpoch(secs);
  }
  return m.at;
}

QDateTime SystemClock::now() const { return Memo(now_, QDateTime::currentSecsSinceEpoch()); }

QDateTime SystemClock::localAt(qint64 secs) const { return Memo(at_, secs); }

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
