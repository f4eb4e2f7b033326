// The web update check against a local server on 127.0.0.1: the request it sends,
// how the reply is read (the version by its first five characters, closed early,
// slow, cut at 64 KiB), one check at a time, and which download addresses may reach
// the browser.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

#include "../fixture.h"
#include "library/regwrap.h"
#include "manager/identity.h"
#include "manager/webupdate.h"
#include "platform/registry.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

const QString kKey = QLatin1String(kManagerKey);

bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void spin(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QByteArray page(const QByteArray& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

// A server that answers each request with the given pieces, pauseMs apart, then
// closes (unless hold is set).
struct Server {
  QTcpServer server;
  QList<QByteArray> pieces;
  int pauseMs = 0;
  bool hold = false;
  QByteArray request;
  int connections = 0;
  int peersGone = 0;

  Server() {
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
      while (QTcpSocket* s = server.nextPendingConnection()) {
        ++connections;
        QObject::connect(s, &QTcpSocket::disconnected, s, [this] { ++peersGone; });
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
          request += s->readAll();
          if (request.endsWith("\r\n\r\n")) answer(s, 0);
        });
      }
    });
  }
  void answer(QPointer<QTcpSocket> s, int i) {
    if (!s) return;
    if (i == pieces.size()) {
      if (!hold) s->disconnectFromHost();
      return;
    }
    s->write(pieces[i]);
    s->flush();
    QTimer::singleShot(pauseMs, &server, [this, s, i] { answer(s, i + 1); });
  }
  UpdateServer address() const {
    return {QStringLiteral("127.0.0.1"), server.serverPort(), QStringLiteral("/webupdate/webupdate_zuri.html")};
  }
};

// What one check reported.
struct Results {
  QStringList events;
  explicit Results(WebUpdateCheck& c) {
    QObject::connect(&c, &WebUpdateCheck::offer, &c, [this](const QString& run, const QString& pub, const QString& url) {
      events << "offer " + run + " " + pub + " " + url;
    });
    QObject::connect(&c, &WebUpdateCheck::upToDate, &c, [this] { events << "up to date"; });
    QObject::connect(&c, &WebUpdateCheck::notConnected, &c, [this] { events << "not connected"; });
  }
};

}  // namespace

TEST(WebUpdate, SendsOnePlainRequestToTheConfiguredServer) {
  Server srv;
  srv.pieces = {page("nothing here")};
  WebUpdateCheck check;
  check.start(true, srv.address());
  ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
  const QByteArray host = "127.0.0.1:" + QByteArray::number(srv.server.serverPort());
  EXPECT_EQ(srv.request, "GET http://" + host + "/webupdate/webupdate_zuri.html HTTP/1.1\r\nHost: " + host +
                             "\r\nConnection: close\r\nAccept: */*\r\n\r\n");
}

TEST(WebUpdate, RepliesAnsweredByTheFirstFiveCharactersOfTheirVersion) {
  const QString running = RunningUpdateVersion();
  const QByteArray run = running.toLatin1();
  const struct {
    const char* what;
    QByteArray body;
    bool interactive;
    QString expected;  // "" = nothing reported
  } cases[] = {
      {"newer", "<p>VERSION:9.0.0|URL:https://dl.example/new.tar.gz|</p>", true,
       "offer " + running + " 9.0.0 https://dl.example/new.tar.gz"},
      {"older", "version:0.0.1|url:http://dl.example/old|", false,
       "offer " + running + " 0.0.1 http://dl.example/old"},
      {"equal, asked", "version:" + run + "|url:http://dl.example/x|", true, "up to date"},
      {"equal, at start-up", "version:" + run + "|url:http://dl.example/x|", false, ""},
      // The version is read as its first five characters.
      {"longer, equal in five", "version:" + run + "0|url:http://dl.example/x|", true,
       "up to date"},
      {"longer", "version:99.0.0.1|url:http://dl.example/x|", false,
       "offer " + running + " 99.0. http://dl.example/x"},
      {"malformed", "Version:beta two|", true, "offer " + running + " beta  "},
      {"no marker", "<html>maintenance</html>", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Server srv;
    srv.pieces = {page(c.body)};
    WebUpdateCheck check;
    Results r(check);
    check.start(c.interactive, srv.address());
    ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
    spin(50);
    EXPECT_EQ(r.events, c.expected.isEmpty() ? QStringList() : QStringList{c.expected});
  }
}

TEST(WebUpdate, ReplyEndsOnlyWhenTheServerCloses) {
  {
    SCOPED_TRACE("slow, in pieces: evaluated once, at the close");
    Server srv;
    srv.pieces = {"HTTP/1.1 200 OK\r\n", "\r\nversion:", "77.1|url:https://dl.example/", "a|"};
    srv.pauseMs = 150;
    WebUpdateCheck check;
    Results r(check);
    check.start(true, srv.address());
    spin(300);
    EXPECT_TRUE(r.events.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
    spin(50);
    EXPECT_EQ(r.events, QStringList{"offer " + RunningUpdateVersion() + " 77.1 https://dl.example/a"});
  }
  {
    SCOPED_TRACE("closed before the headers ended");
    Server srv;
    srv.pieces = {"HTTP/1.1 200 OK\r\nContent-Le"};
    WebUpdateCheck check;
    Results r(check);
    check.start(true, srv.address());
    ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
    spin(50);
    EXPECT_TRUE(r.events.isEmpty());
  }
  {
    SCOPED_TRACE("never closed: abandoned silently after the timeout");
    Server srv;
    srv.pieces = {page("version:55.0|url:https://dl.example/|")};
    srv.hold = true;
    WebUpdateCheck check;
    check.setTimeout(300);
    Results r(check);
    check.start(true, srv.address());
    ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
    EXPECT_TRUE(waitUntil([&] { return srv.peersGone == 1; }));
    spin(50);
    EXPECT_TRUE(r.events.isEmpty());
  }
}

TEST(WebUpdate, ReplyReadUpTo64KiB) {
  const QByteArray filler(WebUpdateCheck::kMaxReply, 'x');
  {
    SCOPED_TRACE("the version within the first 64 KiB of an endless reply");
    Server srv;
    srv.pieces = {page("version:66.0|url:https://dl.example/|"), filler, filler};
    srv.hold = true;
    WebUpdateCheck check;
    Results r(check);
    check.start(false, srv.address());
    ASSERT_TRUE(waitUntil([&] { return !r.events.isEmpty(); }));
    EXPECT_EQ(r.events, QStringList{"offer " + RunningUpdateVersion() + " 66.0 https://dl.example/"});
    EXPECT_FALSE(check.running());
  }
  {
    SCOPED_TRACE("the version beyond it");
    Server srv;
    srv.pieces = {page(filler), "version:66.0|"};
    WebUpdateCheck check;
    Results r(check);
    check.start(true, srv.address());
    ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
    spin(100);
    EXPECT_TRUE(r.events.isEmpty());
  }
}

TEST(WebUpdate, SecondCheckAbandonsTheFirstWithoutItsResult) {
  Server slow;
  slow.pieces = {"HTTP/1.1 200 OK\r\n\r\n", "version:0.1|"};
  slow.pauseMs = 400;
  Server fast;
  fast.pieces = {page("version:" + RunningUpdateVersion().toLatin1() + "|")};
  WebUpdateCheck check;
  Results r(check);
  check.start(true, slow.address());
  ASSERT_TRUE(waitUntil([&] { return slow.connections == 1 && !slow.request.isEmpty(); }));
  check.start(true, fast.address());
  EXPECT_TRUE(waitUntil([&] { return slow.peersGone == 1; }));  // the first connection closed
  ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
  spin(600);
  EXPECT_EQ(r.events, QStringList{"up to date"});
}

TEST(WebUpdate, UnreachableServerAnswersOnlyWhenAsked) {
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
  const quint16 port = closed.serverPort();
  closed.close();
  for (bool interactive : {true, false}) {
    SCOPED_TRACE(interactive);
    WebUpdateCheck check;
    Results r(check);
    check.start(interactive, {QStringLiteral("127.0.0.1"), port, QStringLiteral("/p")});
    ASSERT_TRUE(waitUntil([&] { return !check.running(); }));
    spin(50);
    EXPECT_EQ(r.events, interactive ? QStringList{"not connected"} : QStringList());
  }
}

TEST(WebUpdate, ReplyFields) {
  const struct {
    QByteArray buffer;
    bool hasVersion;
    const char* version;
    const char* url;
  } cases[] = {
      {"H\r\n\r\nversion:1.2.3|url: https://a.example/x |", true, "1.2.3", "https://a.example/x"},
      {"H\r\n\r\nuRl:http://b.example/|VeRsIoN:2.0", true, "2.0", "http://b.example/"},
      {"H\r\n\r\nversion:3.0|", true, "3.0", ""},  // no address: nothing to download
      {"version:1.0|url:http://c.example/|", false, "", ""},  // no header end
      {"H\r\nversion:1.0|\r\n\r\nbody", false, "", ""},       // the marker is in the headers
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.buffer.toStdString());
    const UpdateReply r = ParseUpdateReply(c.buffer);
    EXPECT_EQ(r.hasVersion, c.hasVersion);
    EXPECT_EQ(r.version, QLatin1String(c.version));
    EXPECT_EQ(r.url, QLatin1String(c.url));
  }
}

TEST(WebUpdate, OnlyWebAddressesMayReachTheBrowser) {
  const struct {
    const char* url;
    bool safe;
  } cases[] = {
      {"https://dl.example/mz-2.0.tar.gz", true},
      {"HTTP://dl.example:8080/get?v=2", true},
      {"file:///etc/passwd", false},
      {"/usr/bin/xterm", false},
      {"--help", false},
      {"xterm -e rm -rf ~", false},
      {"javascript:alert(1)", false},
      {"https://", false},
      {"https://dl.example/a b", false},
      {"https://dl.example/\nrm", false},
      {"ftp://dl.example/x", false},
      {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(IsSafeDownloadUrl(QString::fromLatin1(c.url)), c.safe);
  }
}

TEST(WebUpdate, ServerFromThePreferences) {
  const struct {
    const char* server;  // registry "UpdateServer"; nullptr: none
    const char* page;    // registry "UpdatePage"; nullptr: none
    const char* env;     // MVNZ_UPDATE_SERVER
    const char* host;
    quint16 port;
    const char* path;
  } cases[] = {
      {"127.0.0.1:8081", "/u/p.html", "127.0.0.1:9", "127.0.0.1", 8081, "/u/p.html"},
      {"updates.example", nullptr, nullptr, "updates.example", 80, "/webupdate/webupdate_zuri.html"},
      {nullptr, nullptr, "127.0.0.1:9", "127.0.0.1", 9, "/webupdate/webupdate_zuri.html"},
      {nullptr, nullptr, nullptr, "orvendel.example", 80, "/webupdate/webupdate_zuri.html"},
      // Unusable values: no host (nothing is contacted), the default page.
      {"a.example:99999", "no/slash", nullptr, "", 80, "/webupdate/webupdate_zuri.html"},
      {"a b.example", "/x y\r\nHost: evil", nullptr, "", 80, "/webupdate/webupdate_zuri.html"},
  };
  const QByteArray saved = qgetenv("MVNZ_UPDATE_SERVER");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server ? c.server : "<none>");
    registry::deleteKeyTree(kKey);
    if (c.server) SaveRegString(kKey, "UpdateServer", c.server);
    if (c.page) SaveRegString(kKey, "UpdatePage", c.page);
    if (c.env)
      qputenv("MVNZ_UPDATE_SERVER", c.env);
    else
      qunsetenv("MVNZ_UPDATE_SERVER");
    const UpdateServer s = LoadUpdateServer();
    EXPECT_EQ(s.host, QLatin1String(c.host));
    EXPECT_EQ(s.port, c.port);
    EXPECT_EQ(s.page, QLatin1String(c.path));
  }
  qputenv("MVNZ_UPDATE_SERVER", saved);
  registry::deleteKeyTree(kKey);
}
