#pragma once
// Running processes and the single-instance lock.
#include <QString>
#include <QStringList>

namespace mvnz::process {

// Executable paths of all running processes that can be queried (/proc/*/exe).
QStringList runningExecutables();

// Raises this process's soft limit of open descriptors to its hard limit, so that a
// burst of clients or files cannot starve it long before the system would.
void raiseDescriptorLimit();

// Names of the instance locks that more than one program asks about.
inline constexpr char kDaemonLock[] = "mvnd";
inline constexpr char kManagerLock[] = "MervaneZuri";

// "Is another copy running": true while some process holds the instance lock of this
// name (the one question every program asks, never a search of process names).
// A caller that holds the lock itself gets true as well; a lock that cannot be
// opened (see InstanceLock::error) gives false.
bool isInstanceRunning(const QString& name);

// A lock held for the life of the object (flock on a file in the runtime folder).
// Two processes can never both hold the lock of one name. The lock is taken only in
// a runtime folder private to the user (runtimefolder::prepare()) and never through
// a link; when tryLock fails for such a reason, error() says why (it is empty when
// another process holds the lock).
class InstanceLock {
 public:
  explicit InstanceLock(const QString& name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  bool tryLock();
  bool isLocked() const { return fd_ >= 0; }
  void unlock();
  const QString& error() const { return error_; }

 private:
  QString path_;
  QString error_;
  int fd_ = -1;
};

}  // namespace mvnz::process
