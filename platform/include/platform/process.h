#pragma once
// Running processes and the single-instance lock.
#include <QString>
#include <QStringList>

namespace mvnz::process {

// Executable paths of all running processes that can be queried (/proc/*/exe).
QStringList runningExecutables();

// A lock held for the life of the object (flock on a file in the runtime folder).
// Two processes can never both hold the lock of one name.
class InstanceLock {
 public:
  explicit InstanceLock(const QString& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  bool tryLock();
  bool isLocked() const { return fd_ >= 0; }
  void unlock();

 private:
  QString path_;
  int fd_ = -1;
};

}  // namespace mvnz::process
