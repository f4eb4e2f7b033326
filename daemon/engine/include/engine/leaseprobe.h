#pragma once
// The real lock probe: a kernel file lease taken on a read-only descriptor and
// released at once. A write lease is granted only when no other descriptor of the
// file is open; a read lease only when none is open for writing. Where the kernel
// refuses leases (not the owner and no CAP_LEASE, or a file system without them) the
// probe falls back to one scan of /proc/*/fd per cycle.
#include <sys/types.h>

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QStringView>
#include <utility>

#include "engine/ports.h"

namespace mvnz::engine {

class LeaseProbe : public LockProbe {
 public:
  LeaseProbe();
  ~LeaseProbe() override;
  LeaseProbe(const LeaseProbe&) = delete;
  LeaseProbe& operator=(const LeaseProbe&) = delete;
  void beginCycle() override;
  void endCycle() override;
  bool look(const QString& path, struct stat& st) override;
  bool heldOpen(const QString& path) override;
  bool heldForWriting(const QString& path) override;
  int openError() const override { return openError_; }

  // Tests: skip leases and always use the /proc scan.
  void setForceProcScan(bool on) { forceProc_ = on; }
  // Number of /proc scans made (one per cycle at most).
  int procScans() const { return procScans_; }

 private:
  enum class Answer { Free, Held, Refused };
  Answer lease(const QString& path, bool writeLease);
  bool procHeld(const QString& path, bool writersOnly);
  void scanProc();

  // The descriptor look() opened, kept for the next lease on the same path.
  int takeKept(const QString& path);
  void dropKept();
  // The folder of the last look, kept open so that the next file of the same folder is
  // opened relative to it instead of by its whole path; -1 when it cannot be opened.
  int folderFd(QStringView folder);
  void dropFolder();

  QString keptPath_;
  int kept_ = -1;
  QString folder_;
  int folderFd_ = -1;
  dev_t folderDev_ = 0;
  ino_t folderIno_ = 0;
  QElapsedTimer folderChecked_;  // since its path last led to it
  bool forceProc_ = false;
  int openError_ = 0;
  bool scanned_ = false;
  int procScans_ = 0;
  // device and inode of files other processes hold open, and of those held for writing
  QSet<std::pair<quint64, quint64>> open_;
  QSet<std::pair<quint64, quint64>> writing_;
};

}  // namespace mvnz::engine
