#pragma once
// The HostFacts report: the computer's memory statistics as eight log lines.
#include <QString>
#include <QtGlobal>
#include <functional>

namespace mvnz::hostfacts {

using LogFn = std::function<void(const QString& text, short level)>;

// Memory counts in bytes. Physical memory is the RAM, the page file the swap space,
// virtual memory both together; "available" counts what can be given out without
// swapping (MemAvailable) plus free swap.
struct MemoryStatus {
  quint64 totalPhys = 0, availPhys = 0;
  quint64 totalVirtual = 0, availVirtual = 0;
  quint64 totalPageFile = 0, availPageFile = 0;
  int load = 0;  // percent of physical memory in use
};

// Reads a meminfo file (the kernel's /proc/meminfo layout). False with error set when it
// cannot be read or lacks the memory total.
bool ReadMemoryStatus(const QString& path, MemoryStatus* out, QString* error);

// x / 1024 as the nearest whole number (halves up) grouped with the locale's thousands
// separator, then " kB"; below half a kilobyte only " kB".
QString FormatKiloBytes(quint64 bytes);
// The load with two decimals and "%".
QString FormatLoad(int percent);

// Writes the report. Returns the Error flag.
bool ReportMemoryStatistics(const LogFn& log,
                            const QString& path = QStringLiteral("/proc/meminfo"));

}  // namespace mvnz::hostfacts
