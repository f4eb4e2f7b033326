#pragma once
// Small file helpers shared by the file-operation tests.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace mvnz::test {

// Writes content to path (its folder must exist); the test fails when it cannot.
inline void writeFile(const QString& path, const QByteArray& content) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(content);
}

// What path names, links followed; all zero when it cannot be read.
inline struct stat statOf(const QString& path) {
  struct stat st {};
  ::stat(QFile::encodeName(path).constData(), &st);
  return st;
}

// The same for path itself, a link not followed.
inline struct stat lstatOf(const QString& path) {
  struct stat st {};
  ::lstat(QFile::encodeName(path).constData(), &st);
  return st;
}

// The bytes of the file at path, opened by its bytes (a name that is not UTF-8 too);
// "<missing>" when it cannot be read.
inline QByteArray readRaw(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "<missing>";
  QByteArray out;
  char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) out.append(buf, n);
  ::close(fd);
  return out;
}

}  // namespace mvnz::test
