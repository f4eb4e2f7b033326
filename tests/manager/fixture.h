#pragma once
// Plug-in classes registered in the test process under a known plug-in's ProgID, and
// a plug-in folder of placeholder files that the folder scan lists.
#include <QDir>
#include <QFile>
#include <functional>

#include "nullsetup.h"
#include "platform/activation.h"
#include "testenv.h"

#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace mvnz::test {

// A plug-in whose modules and property dialog the test sets.
class FakeSetup : public NullSetup {
 public:
  struct Behaviour {
    QList<ModType> modules;
    int failModuleAt = 0;  // ModuleInfo of this index fails (0: none)
    // Props: the parameters to save (DataCount = size), or none (cancel).
    QStringList saved;
    short dataCount = -1;  // reported DataCount; -1: saved.size()
    int failDataAt = 0;    // Data of this index fails
    // What Props received.
    QString propsModule;
    QStringList propsData, locals, globals;
    QStringList calls;
  };
  explicit FakeSetup(Behaviour* b) : b_(b) {}
  void Init() noexcept override { b_->calls << "Init"; }
  short ModuleCount() const noexcept override { return static_cast<short>(b_->modules.size()); }
  int ModuleInfo(short index, ModType* out) const noexcept override {
    if (index < 1 || index > b_->modules.size() || index == b_->failModuleAt) return kErrSubscript;
    *out = b_->modules[index - 1];
    return 0;
  }
  int SetLocalConstants(const QStringList& v) noexcept override {
    b_->calls << "SetLocalConstants";
    b_->locals = v;
    return v.size() < 16 ? kErrSubscript : 0;
  }
  int SetGlobalConstants(const QStringList& v) noexcept override {
    b_->calls << "SetGlobalConstants";
    b_->globals = v;
    return v.size() < 16 ? kErrSubscript : 0;
  }
  int Props(QString& module, const QStringList& data) noexcept override {
    b_->calls << "Props";
    b_->propsModule = module;
    b_->propsData = data;
    return 0;
  }
  short DataCount() const noexcept override {
    b_->calls << "DataCount";
    return b_->dataCount >= 0 ? b_->dataCount : static_cast<short>(b_->saved.size());
  }
  int Data(short index, QString* out) const noexcept override {
    b_->calls << "Data";
    if (index == b_->failDataAt) return kErrSubscript;
    *out = index >= 1 && index <= b_->saved.size() ? b_->saved[index - 1] : QString();
    return 0;
  }

 private:
  Behaviour* b_;
};

// Writes bytes to path as the whole file; the test fails when it cannot.
inline void PutFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(f.write(bytes), bytes.size()) << path.toStdString();
}

inline ModType Module(const QString& name, const QString& cat) {
  const QString c = cat.toLower();
  return {name, "il_" + name + ".ico", "is_" + name + ".ico", cat, "icl_" + c + ".ico",
          "ics_" + c + ".ico"};
}

// Plug-in name's Setup class, registered in this process for the guard's life.
class RegisteredFake {
 public:
  RegisteredFake(const QString& name, FakeSetup::Behaviour* b) : progId_(name + "Zuri.Setup") {
    activation::registerClass(progId_, [b] { return std::make_unique<FakeSetup>(b); });
  }
  ~RegisteredFake() { activation::unregisterClass(progId_); }
  RegisteredFake(const RegisteredFake&) = delete;
  RegisteredFake& operator=(const RegisteredFake&) = delete;

 private:
  QString progId_;
};

// A plug-in folder holding placeholder files "<name>.so" (the classes are registered
// in-process, or, for a name that is not, the file is no library at all).
inline QString PluginFolder(const QStringList& names, const QString& sub = "Plugins") {
  const QString dir = makeDir(sub);
  for (const QString& n : names) {
    QFile f(QDir(dir).filePath(n + ".so"));
    f.open(QIODevice::WriteOnly);
    f.write("not a library");
  }
  activation::setPluginFolder(dir);
  return dir;
}

}  // namespace mvnz::test
