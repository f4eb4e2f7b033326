// One source, four fixture plug-ins: a good one, one that refuses the host's ABI
// version, one without the factory, and one whose factory throws.
#include <cstring>
#include <stdexcept>

#include "fixture.h"

namespace {

[[maybe_unused]] int g_created = 0;

class Counter : public FixtureCounter {
 public:
  explicit Counter(int serial) : serial_(serial) {}
  void* queryInterface(const char* iid) noexcept override {
    return std::strcmp(iid, kInterfaceId) == 0 ? static_cast<FixtureCounter*>(this) : nullptr;
  }
  int serial() const noexcept override { return serial_; }

 private:
  int serial_;
};

}  // namespace

#if defined(FIXTURE_Good)
MVNZ_EXPORT mvnz::Object* mvnzCreateObject(int abiVersion) noexcept {
  if (abiVersion != mvnz::kObjectAbiVersion) return nullptr;
  return new Counter(++g_created);
}
#elif defined(FIXTURE_WrongAbi)
MVNZ_EXPORT mvnz::Object* mvnzCreateObject(int abiVersion) noexcept {
  if (abiVersion != mvnz::kObjectAbiVersion + 1) return nullptr;
  return new Counter(++g_created);
}
#elif defined(FIXTURE_NoFactory)
MVNZ_EXPORT mvnz::Object* somethingElse(int) noexcept { return new Counter(++g_created); }
#elif defined(FIXTURE_Thrower)
// Breaks the rule on purpose: the host must survive it.
MVNZ_EXPORT mvnz::Object* mvnzCreateObject(int) { throw std::runtime_error("factory failed"); }
#endif
