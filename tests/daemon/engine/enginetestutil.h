#pragma once
// Helpers shared by the engine tests: a fake clock, files with a set time stamp, and
// a child process that holds a file open for writing.
#include <QDateTime>
#include <QProcess>
#include <QString>
#include <memory>

#include "engine/ports.h"

namespace mvnz::test {

class FakeClock : public engine::Clock {
 public:
  explicit FakeClock(QDateTime t = QDateTime(QDate(2026, 3, 11), QTime(10, 0, 0))) : t_(t) {}
  QDateTime now() const override { return t_; }
  void set(const QDateTime& t) { t_ = t; }
  void advance(qint64 secs) { t_ = t_.addSecs(secs); }

 private:
  QDateTime t_;
};

// Writes a file (creating its folder) and sets its modification time.
void writeFile(const QString& path, const QByteArray& data = "x",
               const QDateTime& mtime = QDateTime());
void setMtime(const QString& path, const QDateTime& mtime);

// A child process holding path open for writing until it is stopped.
class Writer {
 public:
  explicit Writer(const QString& path);
  ~Writer();
  bool started() const { return ok_; }
  void stop();

 private:
  QProcess proc_;
  bool ok_ = false;
};

}  // namespace mvnz::test
