#include "platform/signalwatch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>

namespace mvnz::signalwatch {

namespace {

int g_pair[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const unsigned char b = static_cast<unsigned char>(number);
  [[maybe_unused]] ssize_t n = ::write(g_pair[1], &b, 1);
  errno = saved;
}

}  // namespace

bool watch(QObject* owner, std::initializer_list<int> signalNumbers,
           std::function<void(int)> onSignal) {
  if (g_pair[0] < 0 &&
      ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair) != 0)
    return false;
  static QPointer<QSocketNotifier> notifier;
  delete notifier.data();
  notifier = new QSocketNotifier(g_pair[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier.data(), &QSocketNotifier::activated, owner,
                   [onSignal = std::move(onSignal)] {
                     unsigned char buf[64];
                     ssize_t n;
                     while ((n = ::read(g_pair[0], buf, sizeof buf)) > 0)
                       for (ssize_t i = 0; i < n; ++i) onSignal(buf[i]);
                   });
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  bool ok = true;
  for (int number : signalNumbers) ok = ::sigaction(number, &sa, nullptr) == 0 && ok;
  return ok;
}

}  // namespace mvnz::signalwatch
