// One source, several fixture plug-ins for the module table (selected by FIXTURE_*).
#include <stdexcept>

#include "nullsetup.h"

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

// Serves only the module table; the rest does nothing.
class FixtureSetup : public mvnz::test::NullSetup {
 public:
  short ModuleCount() const noexcept override { return kCount; }
  int ModuleInfo(short index, mvnz::ModType* out) const noexcept override {
    if (index < 1 || index > kCount || !kModules[index - 1]) return mvnz::kErrSubscript;
    out->name = QString::fromLatin1(kModules[index - 1]);
    return 0;
  }
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
