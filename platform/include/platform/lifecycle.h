#pragma once
// The program's end, announced once to whatever waits: a service stop or shutdown
// makes long waits (a script's Sleep) end early instead of holding the program up.
// Shared by the program and the plug-ins it loads (one copy in the platform layer).
#include <functional>

namespace mvnz::lifecycle {

// Announces that the program has begun to end; runs every watcher once. Latched: a
// later call does nothing, and ending() stays true.
void announceEnding();
bool ending();

// fn runs on the thread that announces the end. Returns an id for unwatchEnding.
int watchEnding(std::function<void()> fn);
void unwatchEnding(int id);

}  // namespace mvnz::lifecycle
