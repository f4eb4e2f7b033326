// The status page: the real mvnd answered by curl and by raw clients, and the
// listener's limits in process.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QThread>

#include <memory>
#include <vector>

#include "daemon/status.h"
#include "mvnd_process.h"
#include "platform/process.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

const char* const kLabels[] = {"Status :",
                               "Version :",
                               "Last Start Time :",
                               "System Time :",
                               "Number of RoziRoruners :",
                               "Commands Executed :",
                               "Computername :",
                               "IP Address :"};

struct Reply {
  QByteArray status, body;
  qsizetype contentLength = -1;
};

Reply Parse(const QByteArray& raw) {
  Reply r;
  const qsizetype split = raw.indexOf("\r\n\r\n");
  if (split < 0) return r;
  const QList<QByteArray> head = raw.left(split).split('\n');
  r.status = head.value(0).trimmed();
  for (const QByteArray& h : head)
    if (h.startsWith("Content-Length: ")) r.contentLength = h.mid(16).trimmed().toLongLong();
  r.body = raw.mid(split + 4);
  return r;
}

// The values of the page's rows, in page order.
QStringList RowValues(const QByteArray& body, QStringList* labels) {
  static const QRegularExpression row(QStringLiteral(
      R"(<tr><td nowrap width="25%"><div align="right">(.*?)</div></td><td nowrap width="75%"><div align="left">(.*?)</div></td></tr>\r\n)"));
  QStringList values;
  for (auto it = row.globalMatch(QString::fromUtf8(body)); it.hasNext();) {
    const auto m = it.next();
    *labels << m.captured(1);
    values << m.captured(2);
  }
  return values;
}

QString StatusOf(const MvndProcess& p) {
  QStringList labels;
  return RowValues(Parse(p.Curl(QStringLiteral("/ping-daemon"))).body, &labels).value(0);
}

void Spin(int ms) {
  QDeadlineTimer t(ms);
  while (!t.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

int OpenDescriptors(qint64 pid) {
  return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

qint64 ResidentKb(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/status").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
  return -1;
}

using Sockets = std::vector<std::unique_ptr<QTcpSocket>>;

// Connects n clients that send nothing.
Sockets Connect(quint16 port, int n) {
  Sockets out;
  for (int i = 0; i < n; ++i) {
    out.push_back(std::make_unique<QTcpSocket>());
    out.back()->connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(out.back()->waitForConnected(10000)) << i;
  }
  return out;
}

// An in-process listener on a free port of 127.0.0.1 with the given idle time and a
// request time long enough never to matter.
struct Listener {
  explicit Listener(int idleMs) {
    server.SetIdleTimeout(idleMs);
    server.SetTimeout(60000);
    listening = server.Listen(QHostAddress::LocalHost, 0);
  }
  Daemon d;
  StatusServer server{d};
  bool listening = false;
};

// Waits (bounded) until the server has closed the client's connection.
void WaitClosed(QTcpSocket& s) {
  QDeadlineTimer deadline(10000);
  while (s.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired()) Spin(50);
}

}  // namespace

TEST(StatusSocket, PageOfAStoppedDaemon) {
  MvndProcess p(StatusConfig(false));
  ASSERT_TRUE(p.Started());
  const Reply r = Parse(p.Curl(QStringLiteral("/ping-daemon")));
  EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
  EXPECT_EQ(r.contentLength, r.body.size());
  EXPECT_TRUE(
      r.body.startsWith("<title>Mervane Zuri Debug Status</title>\r\n<body "
                        "bgcolor=\"#FFFFFF\">\r\n<p><b>Mervane Zuri Daemon "
                        "Status</b></p>\r\n<table width=\"400\""));
  EXPECT_TRUE(r.body.endsWith("</div></td></tr>\r\n</table>\r\n"));
  QStringList labels;
  const QStringList values = RowValues(r.body, &labels);
  ASSERT_EQ(labels.size(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(labels[i], QLatin1String(kLabels[i]));
  EXPECT_EQ(values[0], "stopped");
  EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d+\.\d+\.\d+$)")).match(values[1]).hasMatch());
  EXPECT_FALSE(values[2].isEmpty());  // written at start-up
  EXPECT_EQ(values[4], "1");
  EXPECT_EQ(values[5], "0");
}

TEST(StatusSocket, RunningAfterStart) {
  MvndProcess p(StatusConfig(true));
  ASSERT_TRUE(p.Started());
  QDeadlineTimer deadline(60000);
  QString status = StatusOf(p);
  while (status != QLatin1String("running") && !deadline.hasExpired()) {
    QThread::msleep(200);
    status = StatusOf(p);
  }
  EXPECT_EQ(status, "running");
}

TEST(StatusSocket, RequestLinesTable) {
  MvndProcess p(StatusConfig(false));
  ASSERT_TRUE(p.Started());
  const struct {
    QByteArray request;
    bool answered;
  } cases[] = {
      {"GET /ping-daemon HTTP/1.1\r\n\r\n", true},
      {"POST /ping-daemon HTTP/1.1\r\n\r\n", true},
      {"GET /ping-daemon\r\n", true},
      {"GET /PING-DAEMON HTTP/1.1\r\n\r\n", false},
      {"GET /ping-daemon?x HTTP/1.1\r\n\r\n", false},
      {"GET  /ping-daemon HTTP/1.1\r\n\r\n", false},
      {"GET\r\n\r\n", false},
      {"\r\n", false},
  };
  for (const auto& c : cases) {
    const QByteArray got = p.Exchange({c.request});
    if (c.answered)
      EXPECT_TRUE(got.startsWith("HTTP/1.1 200 OK\r\n")) << c.request.constData();
    else
      EXPECT_TRUE(got.isEmpty()) << c.request.constData() << " got " << got.constData();
  }
}

TEST(StatusSocket, RequestLineSplitOverPacketsIsAnswered) {
  MvndProcess p(StatusConfig(false));
  ASSERT_TRUE(p.Started());
  const Reply r = Parse(p.Exchange({"GET /ping-", "daemon HTTP/1.1", "\r\n\r\n"}, 300));
  EXPECT_EQ(r.status, "HTTP/1.1 200 OK");
  EXPECT_EQ(r.contentLength, r.body.size());
}

TEST(StatusSocket, IdleClientDoesNotBlockAnother) {
  MvndProcess p(StatusConfig(false));
  ASSERT_TRUE(p.Started());
  QTcpSocket idle;
  idle.connectToHost(QHostAddress::LocalHost, p.Port());
  ASSERT_TRUE(idle.waitForConnected(10000));
  idle.write("GET /ping");  // half a request line, then nothing
  idle.waitForBytesWritten(5000);
  EXPECT_EQ(Parse(p.Curl(QStringLiteral("/ping-daemon"))).status, "HTTP/1.1 200 OK");
  EXPECT_EQ(idle.state(), QAbstractSocket::ConnectedState);
}

// In process: an idle connection and an endless request line are both dropped.
TEST(StatusSocket, IdleAndOverlongConnectionsAreClosed) {
  Daemon d;
  StatusServer server(d);
  server.SetTimeout(300);
  ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0));
  QTcpSocket idle, longLine;
  idle.connectToHost(QHostAddress::LocalHost, server.Port());
  longLine.connectToHost(QHostAddress::LocalHost, server.Port());
  Spin(100);
  longLine.write(QByteArray(StatusServer::kMaxRequestLine + 100, 'x'));
  QDeadlineTimer deadline(30000);
  while ((idle.state() != QAbstractSocket::UnconnectedState ||
          longLine.state() != QAbstractSocket::UnconnectedState) &&
         !deadline.hasExpired())
    Spin(50);
  EXPECT_EQ(idle.state(), QAbstractSocket::UnconnectedState);
  EXPECT_EQ(longLine.state(), QAbstractSocket::UnconnectedState);
  EXPECT_TRUE(idle.readAll().isEmpty());
  EXPECT_TRUE(longLine.readAll().isEmpty());
}

// The real mvnd with 200 clients that connect and send nothing: the page is still
// answered at once, and once they are gone the daemon holds no more descriptors or
// memory than before.
TEST(StatusSocket, IdleClientsCannotLockThePage) {
  MvndProcess p(StatusConfig(false));
  ASSERT_TRUE(p.Started());
  ASSERT_EQ(Parse(p.Curl(QStringLiteral("/ping-daemon"))).status, "HTTP/1.1 200 OK");
  const int fdsBefore = OpenDescriptors(p.Pid());
  const qint64 rssBefore = ResidentKb(p.Pid());
  ASSERT_GT(fdsBefore, 0);
  ASSERT_GT(rssBefore, 0);

  Sockets idle = Connect(p.Port(), 200);
  Spin(300);
  QElapsedTimer took;
  took.start();
  EXPECT_EQ(Parse(p.Curl(QStringLiteral("/ping-daemon"))).status, "HTTP/1.1 200 OK");
  EXPECT_LT(took.elapsed(), 1000);

  for (auto& s : idle) s->abort();
  idle.clear();
  QDeadlineTimer deadline(10000);
  while (OpenDescriptors(p.Pid()) > fdsBefore + 5 && !deadline.hasExpired()) Spin(100);
  EXPECT_LE(OpenDescriptors(p.Pid()), fdsBefore + 5);
  EXPECT_LE(ResidentKb(p.Pid()), rssBefore + 10 * 1024);
}

// In process: a full listener ends its oldest connection that has sent nothing; a
// connection that has sent part of its request is kept.
TEST(StatusSocket, FullListenerEndsTheOldestSilentConnection) {
  Listener l(60000);
  ASSERT_TRUE(l.listening);
  const quint16 port = l.server.Port();
  Sockets talker = Connect(port, 1);
  talker[0]->write("GET /pi");
  talker[0]->waitForBytesWritten(5000);
  Spin(100);
  Sockets silent = Connect(port, StatusServer::kMaxConnections - 1);
  Spin(200);
  Sockets late = Connect(port, 1);
  WaitClosed(*silent[0]);
  EXPECT_EQ(silent[0]->state(), QAbstractSocket::UnconnectedState);
  for (size_t i = 1; i < silent.size(); ++i)
    EXPECT_EQ(silent[i]->state(), QAbstractSocket::ConnectedState) << i;
  EXPECT_EQ(late[0]->state(), QAbstractSocket::ConnectedState);

  // The talker finishes its request and is answered.
  talker[0]->write("ng-daemon HTTP/1.1\r\n\r\n");
  QByteArray got;
  QDeadlineTimer deadline(10000);
  while (!got.contains("</table>") && !deadline.hasExpired()) {
    Spin(50);
    got += talker[0]->readAll();
  }
  EXPECT_EQ(Parse(got).status, "HTTP/1.1 200 OK");
}

// In process: a connection that sends nothing ends after the idle time; one that has
// sent a part of its line keeps the whole request time.
TEST(StatusSocket, SilentConnectionEndsAfterTheIdleTime) {
  Listener l(300);
  ASSERT_TRUE(l.listening);
  Sockets s = Connect(l.server.Port(), 2);
  s[1]->write("GET");
  s[1]->waitForBytesWritten(5000);
  WaitClosed(*s[0]);
  EXPECT_EQ(s[0]->state(), QAbstractSocket::UnconnectedState);
  Spin(500);
  EXPECT_EQ(s[1]->state(), QAbstractSocket::ConnectedState);
}

// In process: a flood of connections queued before the listener accepts any (the
// clients' handshakes are the kernel's) still leaves room for a ping, which is answered.
TEST(StatusSocket, PingIsAnsweredBehindAFloodOfConnections) {
  constexpr int kFlood = 1000;
  mvnz::process::raiseDescriptorLimit();
  struct rlimit lim {};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &lim), 0);
  if (lim.rlim_cur < 2 * kFlood + 100) GTEST_SKIP() << "too few descriptors for the flood";
  Listener l(60000);
  ASSERT_TRUE(l.listening);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(l.server.Port());
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  struct Flood {
    std::vector<int> fds;
    ~Flood() {
      for (int fd : fds) ::close(fd);
    }
  } flood;
  for (int i = 0; i < kFlood; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0) << i;
    flood.fds.push_back(fd);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);  // completes meanwhile
  }
  QTcpSocket ping;
  ping.connectToHost(QHostAddress::LocalHost, l.server.Port());
  ping.write("GET /ping-daemon HTTP/1.1\r\n\r\n");
  QByteArray got;
  QDeadlineTimer deadline(10000);
  while (!got.contains("</table>") && !deadline.hasExpired()) {
    Spin(50);
    got += ping.readAll();
  }
  EXPECT_EQ(Parse(got).status, "HTTP/1.1 200 OK");
}
