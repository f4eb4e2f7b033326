#pragma once
// A plug-in class that does nothing: no modules, no data, no variables, every call a
// success. Test fixtures derive from it and override only what they exercise.
#include "library/contract.h"

namespace mvnz::test {

class NullSetup : public Setup {
 public:
  void* queryInterface(const char* iid) noexcept override {
    return qstrcmp(iid, kInterfaceId) == 0 ? static_cast<Setup*>(this) : nullptr;
  }
  void Init() noexcept override {}
  void SetAutoLog(bool) noexcept override {}
  QString Info() const noexcept override { return {}; }
  QString Author() const noexcept override { return {}; }
  bool Error() const noexcept override { return false; }
  QString Version() const noexcept override { return QStringLiteral("1.0"); }
  short ModuleCount() const noexcept override { return 0; }
  int ModuleInfo(short, ModType*) const noexcept override { return kErrSubscript; }
  short DataCount() const noexcept override { return 0; }
  int Data(short, QString*) const noexcept override { return kErrSubscript; }
  int LocalVar(short, VarType*) const noexcept override { return kErrSubscript; }
  int GlobalVar(short, VarType*) const noexcept override { return kErrSubscript; }
  int SetLocalConstants(const QStringList&) noexcept override { return 0; }
  int SetGlobalConstants(const QStringList&) noexcept override { return 0; }
  int Props(QString&, const QStringList&) noexcept override { return 0; }
  int RunP(QString&, const QStringList&) noexcept override { return 0; }
};

}  // namespace mvnz::test
