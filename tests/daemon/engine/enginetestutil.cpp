#include "enginetestutil.h"

#include <sys/stat.h>
#include <utime.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace mvnz::test {

void setMtime(const QString& path, const QDateTime& mtime) {
  struct utimbuf b;
  b.actime = b.modtime = time_t(mtime.toSecsSinceEpoch());
  ::utime(QFile::encodeName(path).constData(), &b);
}

void writeFile(const QString& path, const QByteArray& data, const QDateTime& mtime) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(data);
  f.close();
  if (mtime.isValid()) setMtime(path, mtime);
}

Writer::Writer(const QString& path) {
  // The shell opens the file for appending, says so, and keeps it open while it sleeps.
  proc_.start("/bin/sh", {"-c", "exec 3>>\"$0\"; echo ready; exec sleep 300", path});
  ok_ = proc_.waitForStarted(30000) && proc_.waitForReadyRead(30000);
}

Writer::~Writer() { stop(); }

void Writer::stop() {
  if (proc_.state() != QProcess::NotRunning) {
    proc_.kill();
    proc_.waitForFinished(30000);
  }
}

}  // namespace mvnz::test
