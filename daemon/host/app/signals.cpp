#include "signals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace mvnz::mvnd {

namespace {

int g_pipe[2] = {-1, -1};

// Passes the signal's number on; the event loop does the work.
void OnSignal(int signo) {
  const int saved = errno;
  const char b = char(signo);
  [[maybe_unused]] ssize_t n = ::write(g_pipe[1], &b, 1);
  errno = saved;
}

}  // namespace

bool InstallSignals(QObject* owner, std::function<void()> onStop, std::function<void()> onReload) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
    return false;
  auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner,
                   [onStop = std::move(onStop), onReload = std::move(onReload)] {
                     bool stop = false, reload = false;
                     char buf[64];
                     ssize_t n;
                     while ((n = ::read(g_pipe[0], buf, sizeof buf)) > 0)
                       for (ssize_t i = 0; i < n; ++i) (buf[i] == SIGHUP ? reload : stop) = true;
                     if (stop)
                       onStop();
                     else if (reload)
                       onReload();
                   });
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  // A closed stderr or socket must give an error, not end the daemon.
  ::signal(SIGPIPE, SIG_IGN);
  return ::sigaction(SIGTERM, &sa, nullptr) == 0 && ::sigaction(SIGINT, &sa, nullptr) == 0 &&
         ::sigaction(SIGHUP, &sa, nullptr) == 0;
}

}  // namespace mvnz::mvnd
