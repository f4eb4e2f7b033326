// One source, several fixture plug-ins for the module table (selected by FIXTURE_*).
#include <stdexcept>

#include "plugins/contract.h"

namespace {

// Module names; a null entry makes ModuleInfo fail at that index.
#if defined(FIXTURE_Two)
const char* const kModules[] = {"Copy First", "Copy Second"};
#elif defined(FIXTURE_Failing)
// Claims three modules but fails on the second.
const char* const kModules[] = {"Fine Module", nullptr, "Never Seen"};
#elif defined(FIXTURE_Builtin)
const char* const kModules[] = {"EndDaemon"};
#else
const char* const kModules[] = {nullptr};
#endif

#if defined(FIXTURE_Zero) || defined(FIXTURE_Thrower)
constexpr short kCount = 0;
#else
constexpr short kCount = sizeof(kModules) / sizeof(kModules[0]);
#endif

class FixtureSetup : public mvnz::Setup {
 public:
  void* queryInterface(const char* iid) noexcept override {
    return qstrcmp(iid, kInterfaceId) == 0 ? static_cast<mvnz::Setup*>(this) : nullptr;
  }
  void Init() noexcept override {}
  void SetAutoLog(bool) noexcept override {}
  QString Info() const noexcept override { return {}; }
  QString Author() const noexcept override { return {}; }
  bool Error() const noexcept override { return false; }
  QString Version() const noexcept override { return QStringLiteral("1.0"); }
  short ModuleCount() const noexcept override { return kCount; }
  int ModuleInfo(short index, mvnz::ModType* out) const noexcept override {
    if (index < 1 || index > kCount || !kModules[index - 1]) return mvnz::kErrSubscript;
    out->name = QString::fromLatin1(kModules[index - 1]);
    return 0;
  }
  short DataCount() const noexcept override { return 0; }
  int Data(short, QString*) const noexcept override { return mvnz::kErrSubscript; }
  int LocalVar(short, mvnz::VarType*) const noexcept override { return mvnz::kErrSubscript; }
  int GlobalVar(short, mvnz::VarType*) const noexcept override { return mvnz::kErrSubscript; }
  int SetLocalConstants(const QStringList&) noexcept override { return 0; }
  int SetGlobalConstants(const QStringList&) noexcept override { return 0; }
  int Props(QString&, const QStringList&) noexcept override { return 0; }
  int RunP(QString&, const QStringList&) noexcept override { return 0; }
};

}  // namespace

#if defined(FIXTURE_Thrower)
// Breaks the rule on purpose: the daemon must survive it.
MVNZ_EXPORT mvnz::Object* mvnzCreateObject(int) { throw std::runtime_error("factory failed"); }
#else
MVNZ_EXPORT mvnz::Object* mvnzCreateObject(int abiVersion) noexcept {
  if (abiVersion != mvnz::kObjectAbiVersion) return nullptr;
  return new FixtureSetup;
}
#endif
