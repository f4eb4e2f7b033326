#pragma once
// The action of the three plug-ins that end the computer's work (RebootHost,
// SignOutHost, PowerOffHost): progress line, close files, then the forced request.
#include <QString>

#include "platform/power.h"

namespace mvnz::plugin {

struct HostExit {
  power::Action action;
  QString progress;     // level 0, only while AutoLog is on
  QString errorPrefix;  // the error line up to the error description
};

// A refused request is not reported and leaves the Error flag False: the request
// runs on its own and its outcome is the system's.
void RunHostExit(const HostExit& exit);

}  // namespace mvnz::plugin
