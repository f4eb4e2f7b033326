// The update check in the window, against a local server on 127.0.0.1: the menu
// command's boxes, the offer frmWebUpdate with both versions, Disable WebUpdate kept
// in step with AUTOCHECK, and no download button for an address the browser must
// not get.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include "fixture.h"
#include "library/regwrap.h"
#include "manager/identity.h"
#include "manager/session.h"
#include "manager/ui/manager.h"
#include "manager/ui/splash.h"
#include "manager/webupdate.h"
#include "platform/prompts.h"
#include "platform/registry.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

const QString kKey = QLatin1String(kManagerKey);

// Answers every request with body and closes.
struct Server {
  QTcpServer server;
  QByteArray body;
  explicit Server(QByteArray b) : body(std::move(b)) {
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
      while (QTcpSocket* s = server.nextPendingConnection())
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
          if (!s->readAll().endsWith("\r\n\r\n")) return;
          s->write("HTTP/1.1 200 OK\r\n\r\n" + body);
          s->disconnectFromHost();
        });
    });
    SaveRegString(kKey, "UpdateServer", "127.0.0.1:" + QString::number(server.serverPort()));
  }
  ~Server() { registry::deleteKeyTree(kKey); }
};

struct Rig {
  Session s;
  std::unique_ptr<ui::Manager> m;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  Rig() {
    prompts::install(boxes);
    s.VersionText = VersionText();
    m = std::make_unique<ui::Manager>(s);
  }
  ~Rig() { prompts::install(nullptr); }
  QAction* autoCheck() { return m->window().action("AUTOCHECK"); }
};

// Runs step on frmWebUpdate once it is up (it must close it); true when it ran.
bool withOffer(const std::function<void(QDialog*)>& step) {
  bool ran = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (ran || !d || d->objectName() != "frmWebUpdate") return;
    ran = true;
    step(d);
    if (d->isVisible()) {
      ADD_FAILURE() << "frmWebUpdate still open";
      d->reject();
    }
  });
  poll.start(10);
  QTest::qWaitFor([&] { return ran; }, 5000);
  return ran;
}

QString text(QDialog* d, const char* name) {
  auto* l = d->findChild<QLabel*>(name);
  return l ? l->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

}  // namespace

TEST(WebUpdateWindow, CheckNowAnswersWhenThereIsNothingNew) {
  Rig r;
  Server srv("version:" + RunningUpdateVersion().toLatin1() + "|url:https://dl.example/|");
  r.m->window().dispatch("UPDATENOW");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !r.boxes->entries.isEmpty(); }, 5000));
  EXPECT_EQ(r.boxes->entries[0].text, "There are no updates available!");
  EXPECT_EQ(r.boxes->entries[0].title, "Web Update");
  EXPECT_EQ(r.boxes->entries[0].icon, prompts::Icon::Information);
}

// The offer also says on the splash, which may still be up at start-up, what it is.
TEST(WebUpdateWindow, OfferShowsBothVersionsAndDisableFollowsAutoCheck) {
  Rig r;
  Server srv("VERSION:2.0.1|URL:https://dl.example/mz.tar.gz|");
  ui::StartupWindow splash("Version");
  splash.showProgressOf(r.s);
  splash.show();
  r.s.prefs.AutoCheckUpdates = true;
  r.autoCheck()->setChecked(true);
  r.m->startWebUpdate(false);
  ASSERT_TRUE(withOffer([&](QDialog* d) {
    EXPECT_EQ(splash.findChild<QLabel*>("lblStartup")->text(), "Checking for new version.....");
    EXPECT_EQ(d->windowTitle(), "Mervane Zuri WebUpdate");
    EXPECT_EQ(text(d, "Label1"), "A new version of Mervane Zuri is available!");
    EXPECT_EQ(text(d, "lblCurrent"), RunningUpdateVersion());
    EXPECT_EQ(text(d, "lblNew"), "2.0.1");
    auto* disable = d->findChild<QCheckBox*>("chkDisable");
    ASSERT_NE(disable, nullptr);
    EXPECT_FALSE(disable->isChecked());
    disable->click();
    EXPECT_FALSE(r.s.prefs.AutoCheckUpdates);
    EXPECT_FALSE(r.autoCheck()->isChecked());
    EXPECT_TRUE(d->findChild<QPushButton*>("cmdUpdate")->isEnabled());
    d->findChild<QPushButton*>("cmdCancel")->click();
  }));
  EXPECT_EQ(r.boxes->beeps, 1);  // the offer announces itself
  EXPECT_TRUE(r.boxes->entries.isEmpty());
}

// A version of any length is read as its first five characters: the offer stays on
// the screen with its buttons.
TEST(WebUpdateWindow, AVeryLongVersionKeepsTheOfferOnTheScreen) {
  Rig r;
  Server srv("version:" + QByteArray(3000, '9') + "|url:https://dl.example/|");
  r.m->window().show();
  r.m->startWebUpdate(false);
  ASSERT_TRUE(withOffer([&](QDialog* d) {
    EXPECT_EQ(text(d, "lblNew"), "99999");
    const QRect screen = d->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(d->frameGeometry())) << d->frameGeometry().width() << " wide";
    auto* cancel = d->findChild<QPushButton*>("cmdCancel");
    EXPECT_TRUE(screen.contains(QRect(cancel->mapToGlobal(QPoint(0, 0)), cancel->size())));
    QTest::mouseClick(cancel, Qt::LeftButton);
  }));
}

TEST(WebUpdateWindow, UnsafeAddressLeavesNothingToDownload) {
  for (const char* url : {"file:///etc/passwd", "xterm -e sh", "--new-window", ""}) {
    SCOPED_TRACE(url);
    Rig r;
    Server srv(QByteArray("version:0.0.1|url:") + url + "|");
    r.m->window().dispatch("UPDATENOW");
    ASSERT_TRUE(withOffer([&](QDialog* d) {
      EXPECT_EQ(text(d, "lblNew"), "0.0.1");
      auto* update = d->findChild<QPushButton*>("cmdUpdate");
      ASSERT_NE(update, nullptr);
      EXPECT_FALSE(update->isEnabled());
      d->findChild<QPushButton*>("cmdCancel")->click();
    }));
  }
}
