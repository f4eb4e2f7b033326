#include "signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace mvnz::mvnd {

namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char b = 1;
  [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &b, 1);
  errno = saved;
}

}  // namespace

bool InstallStopSignals(QObject* owner, std::function<void()> onStop) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
    return false;
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [onStop = std::move(onStop)] {
    char buf[64];
    while (::read(g_pipe[0], buf, sizeof buf) > 0) {
    }
    onStop();
  });
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  return ::sigaction(SIGTERM, &sa, nullptr) == 0 && ::sigaction(SIGINT, &sa, nullptr) == 0;
}

}  // namespace mvnz::mvnd
