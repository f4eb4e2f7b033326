// The window link: a program's window found and raised through its local socket.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <cstring>
#include <atomic>
#include <future>

#include "platform/windowlink.h"

using namespace mvnz;

namespace {

// Runs fn on another thread while this one serves the listener.
template <typename Fn>
auto Served(Fn fn) {
  auto result = std::async(std::launch::async, fn);
  while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return result.get();
}

}  // namespace

TEST(WindowLink, RaiseReachesTheListener) {
  const QString path = windowlink::socketPath("Prog", "3.1");
  EXPECT_TRUE(path.endsWith("/Prog-3.1.window"));
  EXPECT_FALSE(windowlink::exists(path, 200));
  EXPECT_FALSE(windowlink::raise(path, 200));

  int raised = 0;
  windowlink::Listener l(path, [&] { ++raised; });
  ASSERT_TRUE(l.listen());
  EXPECT_TRUE(Served([&] { return windowlink::exists(path); }));
  EXPECT_EQ(raised, 0);  // finding the window does not raise it
  EXPECT_TRUE(Served([&] { return windowlink::raise(path); }));
  EXPECT_TRUE(Served([&] { return windowlink::raise(path); }));
  EXPECT_EQ(raised, 2);
}

// Other requests get no answer; a request split across writes is still answered.
TEST(WindowLink, OnlyAWholeRaiseLineCounts) {
  const QString path = windowlink::socketPath("Prog", "3.2");
  int raised = 0;
  windowlink::Listener l(path, [&] { ++raised; });
  ASSERT_TRUE(l.listen());
  const auto exchange = [&](QList<QByteArray> chunks) {
    return Served([&] {
      QLocalSocket s;
      s.connectToServer(path);
      if (!s.waitForConnected(2000)) return QByteArray("no connection");
      for (const QByteArray& c : chunks) {
        s.write(c);
        s.waitForBytesWritten(1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      QByteArray got;
      while (s.waitForReadyRead(1000)) got += s.readAll();
      return got;
    });
  };
  EXPECT_EQ(exchange({"hello\n"}), "");
  EXPECT_EQ(exchange({"rai", "se\n"}), "ok\n");
  EXPECT_EQ(exchange({QByteArray(100, 'x')}), "");  // no line end within the cap
  EXPECT_EQ(raised, 1);
}

// A socket file left behind by an ended program does not keep the name taken.
TEST(WindowLink, StaleSocketFileIsReplaced) {
  const QString path = windowlink::socketPath("Prog", "3.3");
  {
    // A listener that ended without removing its socket.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    ASSERT_LT(size_t(p.size()), sizeof a.sun_path);
    std::memcpy(a.sun_path, p.constData(), p.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::close(fd);
  }
  windowlink::Listener l(path, [] {});
  QString error;
  EXPECT_TRUE(l.listen(&error)) << error.toStdString();
}
