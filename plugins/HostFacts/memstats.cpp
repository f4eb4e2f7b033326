#include "memstats.h"

#include <QFile>
#include <QHash>
#include <QLocale>

namespace mvnz::hostfacts {

bool ReadMemoryStatus(const QString& path, MemoryStatus* out, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = f.errorString();
    return false;
  }
  // "MemTotal:       16318480 kB": name, value, optional unit.
  QHash<QByteArray, quint64> kb;
  const QList<QByteArray> lines = f.readAll().split('\n');
  for (const QByteArray& line : lines) {
    const int colon = line.indexOf(':');
    if (colon <= 0) continue;
    const QList<QByteArray> parts = line.mid(colon + 1).simplified().split(' ');
    bool ok = false;
    const quint64 v = parts.value(0).toULongLong(&ok);
    if (!ok) continue;
    const bool inKb = parts.size() > 1 && parts[1].toLower() == "kb";
    kb.insert(line.left(colon).trimmed(), inKb ? v : v / 1024);
  }
  if (!kb.contains("MemTotal")) {
    *error = QStringLiteral("No memory total in [%1]").arg(path);
    return false;
  }
  const quint64 total = kb.value("MemTotal");
  const quint64 avail = kb.contains("MemAvailable")
                            ? kb.value("MemAvailable")
                            : kb.value("MemFree") + kb.value("Buffers") + kb.value("Cached");
  MemoryStatus s;
  s.totalPhys = total * 1024;
  s.availPhys = qMin(avail, total) * 1024;
  s.totalPageFile = kb.value("SwapTotal") * 1024;
  s.availPageFile = qMin(kb.value("SwapFree"), kb.value("SwapTotal")) * 1024;
  s.totalVirtual = s.totalPhys + s.totalPageFile;
  s.availVirtual = s.availPhys + s.availPageFile;
  s.load = total ? int(((total - qMin(avail, total)) * 100 + total / 2) / total) : 0;
  *out = s;
  return true;
}

QString FormatKiloBytes(quint64 bytes) {
  const quint64 kb = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
  QString digits = kb ? QString::number(kb) : QString();
  const QString sep = QLocale().groupSeparator();
  for (qsizetype i = digits.size() - 3; i > 0; i -= 3) digits.insert(i, sep);
  return digits + QStringLiteral(" kB");
}

QString FormatLoad(int percent) {
  return QString::number(percent) + QLocale().decimalPoint() + QStringLiteral("00%");
}

bool ReportMemoryStatistics(const LogFn& log, const QString& path) {
  log(QStringLiteral("*** MEMORY STATISTICS ***"), 0);
  MemoryStatus s;
  QString error;
  if (!ReadMemoryStatus(path, &s, &error)) {
    log(QStringLiteral("ERROR_HOSTFACTS: ") + error, 2);
    return true;
  }
  const struct {
    const char* label;
    quint64 value;
  } rows[] = {
      {" > Total Physical Memory : ", s.totalPhys},
      {" > Available Physical Memory : ", s.availPhys},
      {" > Total Virtual Memory : ", s.totalVirtual},
      {" > Available Virtual Memory : ", s.availVirtual},
      {" > Total Page File : ", s.totalPageFile},
      {" > Available Page File : ", s.availPageFile},
  };
  for (const auto& r : rows) log(QLatin1String(r.label) + FormatKiloBytes(r.value), 1);
  log(QStringLiteral(" > Memory Load : ") + FormatLoad(s.load), 1);
  return false;
}

}  // namespace mvnz::hostfacts
