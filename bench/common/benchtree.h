#pragma once
// Helpers shared by the benchmarks that time the daemon's cycle over a tree of many
// small files: making the tree, the clocks, the medians and the memory figures.
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace mvnz::bench {

inline int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

inline double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

inline double CpuSeconds(const rusage& r) {
  return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

inline double SelfCpu() {
  rusage r;
  getrusage(RUSAGE_SELF, &r);
  return CpuSeconds(r);
}

// VmHWM or VmRSS of this process in MB.
inline double StatusMb(const char* key) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(key))
      return line.mid(int(std::strlen(key))).trimmed().split(' ')[0].toDouble() / 1024.0;
  return -1;
}

// Starts the peak-memory mark afresh (Linux 4.0 and later), after handing the heap
// freed by an earlier layout back to the system so it does not count again.
inline void ResetPeak() {
  malloc_trim(0);
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// Makes count small files under dir, spread over folders subfolders (0: all in dir).
// Written with plain calls so the bench's own memory is not inflated by it. The time
// stamps are set an hour back, so a stable time of 20 s judges every file free.
inline bool MakeTree(const std::string& dir, int count, int folders) {
  if (::mkdir(dir.c_str(), 0755) != 0) return false;
  const timespec old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
  char path[4096], body[128];
  std::string sub = dir;
  for (int i = 0; i < count; ++i) {
    if (folders > 0 && i % ((count + folders - 1) / folders) == 0) {
      std::snprintf(path, sizeof path, "%s/d%04d", dir.c_str(),
                    i / ((count + folders - 1) / folders));
      sub = path;
      if (::mkdir(sub.c_str(), 0755) != 0) return false;
    }
    std::snprintf(path, sizeof path, "%s/f%06d.txt", sub.c_str(), i);
    const int n = std::snprintf(body, sizeof body, "file %d of the scan benchmark\n", i);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, body, size_t(n)) == n && ::futimens(fd, old) == 0;
    ::close(fd);
    if (!ok) return false;
  }
  return true;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace mvnz::bench
