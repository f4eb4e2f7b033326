#pragma once
// Running processes and the single-instance lock.
#include <QString>
#include <QStringList>

namespace mvnz::process {

// Executable paths of all running processes that can be queried (/proc/*/exe).
QStringList runningExecutables();

// Names of the instance locks that more than one program asks about.
inline constexpr char kDaemonLock[] = "mvnd";
inline constexpr char kManagerLock[] = "MervaneZuri";

// "Is another copy running": true while some process holds the instance lock of this
// name (the one question every program asks, never a search of process names).
// A caller that holds the lock itself gets true as well.
bool isInstanceRunning(const QString& name);

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
