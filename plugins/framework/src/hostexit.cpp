#include "plugins/hostexit.h"

#include <exception>

#include "plugins/framework.h"

namespace mvnz::plugin {

void RunHostExit(const HostExit& exit) {
  try {
    LogProgress(exit.progress);
    power::syncFiles();
    // Forced: inhibitors do not hold the request up.
    (void)power::request(exit.action, true);
  } catch (const std::exception& e) {
    LogError(exit.errorPrefix + QString::fromLocal8Bit(e.what()) + QStringLiteral("]"));
  } catch (...) {
    LogError(exit.errorPrefix + QStringLiteral("]"));
  }
}

}  // namespace mvnz::plugin
