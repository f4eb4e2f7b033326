#pragma once
// Loading the built plug-ins in a test, and a stand-in for the daemon's log class
// that records every line the plug-ins send.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <memory>
#include <ostream>
#include <vector>

#include "platform/activation.h"
#include "library/contract.h"
#include "testenv.h"

namespace mvnz::test {

struct SentLine {
  short level;
  QString text;
  QString time;
};

inline std::vector<SentLine>& sentLines() {
  static std::vector<SentLine> lines;
  return lines;
}

class RecordingLog final : public MVNdcom {
 public:
  void* queryInterface(const char* iid) noexcept override {
    return QByteArray(iid) == kInterfaceId ? static_cast<MVNdcom*>(this) : nullptr;
  }
  bool SetMessage(short iType, const QString& iText, const QString& iTimestamp) noexcept override {
    sentLines().push_back({iType, iText, iTimestamp});
    return true;
  }
};

// Registers the recording log class as "mvnd.MVNdcom".
inline void installRecordingLog() {
  activation::registerClass(MVNdcom::kProgId, [] { return std::make_unique<RecordingLog>(); });
}

struct Plugin {
  std::unique_ptr<Object> object;
  Setup* setup = nullptr;
  Setup* operator->() const { return setup; }
};

// A fresh object of the built plug-in <name> (Plugins/<name>.so).
inline Plugin loadPlugin(const QString& name) {
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR "/Plugins"));
  Plugin p;
  p.object = activation::create(name + QStringLiteral("Zuri.Setup"));
  p.setup = interfaceCast<Setup>(p.object.get());
  return p;
}

// A Data array as the daemon passes it: indices 0..31, parameters from index 1.
inline QStringList params(const QStringList& values) {
  QStringList d{QString()};
  d += values;
  while (d.size() < 32) d.append(QString());
  return d;
}

// Runs one command through a fresh object of the built plug-in <plugin>, whose module
// has the plug-in's name; returns the Error flag.
inline bool runCommand(const QString& plugin, const QStringList& values, bool autoLog = true) {
  Plugin p = loadPlugin(plugin);
  EXPECT_NE(p.setup, nullptr) << plugin.toStdString();
  if (!p.setup) return true;
  p->SetAutoLog(autoLog);
  QString module = plugin;
  p->RunP(module, params(values));
  return p->Error();
}

inline void writeFile(const QString& path, const QByteArray& content) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(content);
}

}  // namespace mvnz::test

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
