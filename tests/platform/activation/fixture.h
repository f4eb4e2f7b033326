#pragma once
#include "platform/activation.h"

// The interface of the fixture plug-ins' object.
class FixtureCounter : public mvnz::Object {
 public:
  static constexpr const char* kInterfaceId = "fixture.Counter/1";
  // How many objects this copy of the library has created so far, this one included.
  virtual int serial() const noexcept = 0;
};
