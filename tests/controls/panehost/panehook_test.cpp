// Message hooks on widgets: clients in hook order, the window's own handling
// before, after or not at all, and the bookkeeping in the window's properties.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <memory>

#include "controls/panehook.h"

using namespace mvnz::controls;

namespace {

const QEvent::Type kMsg = QEvent::Type(QEvent::User + 7);
const QEvent::Type kOther = QEvent::Type(QEvent::User + 8);

// A window whose own handling of the test messages is recorded.
class Window : public QWidget {
 public:
  explicit Window(QStringList* log) : log_(log) {}
  bool event(QEvent* e) override {
    if (e->type() == kMsg || e->type() == kOther) {
      log_->append(QStringLiteral("window"));
      return true;
    }
    return QWidget::event(e);
  }

 private:
  QStringList* log_;
};

class Client : public cZephContainer {
 public:
  Client(QString name, EWindowMessages response, QStringList* log)
      : name_(std::move(name)), response_(response), log_(log) {}
  EWindowMessages MsgResponse() const override { return response_; }
  qintptr WindowProc(qint32, qint32, QEvent*) override {
    log_->append(name_);
    return 7;
  }

 private:
  QString name_;
  EWindowMessages response_;
  QStringList* log_;
};

// The dynamic properties that the hook left on a window.
QStringList hookProperties(QWidget* w) {
  QStringList out;
  for (const QByteArray& n : w->dynamicPropertyNames())
    if (n != "mvnzWindowHandle") out.append(QString::fromLatin1(n));
  return out;
}

struct HookFixture : ::testing::Test {
  QStringList log;
  Window window{&log};
  qint32 hwnd = windowHandleOf(&window);

  void send(QEvent::Type type = kMsg) {
    QEvent e(type);
    QCoreApplication::sendEvent(&window, &e);
  }
};

}  // namespace

TEST_F(HookFixture, ResponsesOrderTheWindowsOwnHandling) {
  struct Case {
    EWindowMessages first, second;
    QStringList expected;
  } cases[] = {
      {emrPreprocess, emrConsume, {"window", "a", "b"}},
      {emrConsume, emrPostProcess, {"a", "b", "window"}},
      {emrConsume, emrConsume, {"a", "b"}},
      // Only the first decides on before, only the last on after.
      {emrPostProcess, emrPreprocess, {"a", "b"}},
      {emrPreprocess, emrPostProcess, {"window", "a", "b"}},
  };
  for (const Case& c : cases) {
    Client a("a", c.first, &log), b("b", c.second, &log);
    ASSERT_FALSE(HookMessage(&a, hwnd, kMsg));
    ASSERT_FALSE(HookMessage(&b, hwnd, kMsg));
    log.clear();
    send();
    EXPECT_EQ(log, c.expected) << c.first << "/" << c.second;
    UnhookMessage(&a, hwnd, kMsg);
    UnhookMessage(&b, hwnd, kMsg);
  }
}

TEST_F(HookFixture, ResultComesFromTheLastClientOrTheWindowAfterThem) {
  Client a("a", emrConsume, &log);
  ASSERT_FALSE(HookMessage(&a, hwnd, kMsg));
  QEvent e(kMsg);
  EXPECT_EQ(HookedWindowProc(hwnd, kMsg, &e), 7);
  UnhookMessage(&a, hwnd, kMsg);
  Client p("p", emrPostProcess, &log);
  ASSERT_FALSE(HookMessage(&p, hwnd, kMsg));
  EXPECT_EQ(HookedWindowProc(hwnd, kMsg, &e), 1);  // the window's "handled"
  UnhookMessage(&p, hwnd, kMsg);
}

TEST_F(HookFixture, UnhookedMessageGoesStraightToTheWindow) {
  Client a("a", emrConsume, &log);
  ASSERT_FALSE(HookMessage(&a, hwnd, kMsg));
  send(kOther);
  EXPECT_EQ(log, QStringList{"window"});
  UnhookMessage(&a, hwnd, kMsg);
}

TEST_F(HookFixture, InvalidWindowFailsBeforeAnythingIsStored) {
  Client a("a", emrConsume, &log);
  auto gone = std::make_unique<QWidget>();
  const qint32 dead = windowHandleOf(gone.get());
  gone.reset();
  for (const qint32 h : {qint32(0), qint32(12345), dead}) {
    const auto err = HookMessage(&a, h, kMsg);
    ASSERT_TRUE(err);
    EXPECT_EQ(err->number, 13083);
    EXPECT_EQ(err->code, 0x8004331Bu);
    EXPECT_EQ(err->description, "Invalid window");
    EXPECT_EQ(err->source, "panehost.WindowProc");
  }
  EXPECT_EQ(RaiseHookError(13081).description, "Can't subclass window");
  EXPECT_EQ(RaiseHookError(13084).description, "Can't modify external window");
  EXPECT_EQ(RaiseHookError(13084).code, 0x8004331Cu);
}

TEST_F(HookFixture, SameClientTwiceIsRefusedAndCountsStay) {
  Client a("a", emrConsume, &log);
  ASSERT_FALSE(HookMessage(&a, hwnd, kMsg));
  const auto err = HookMessage(&a, hwnd, kMsg);
  ASSERT_TRUE(err);
  EXPECT_EQ(err->number, 13082);
  EXPECT_EQ(err->description, "Message already handled by another class");
  const QByteArray h = QByteArray::number(hwnd);
  EXPECT_EQ(window.property("C" + h).toInt(), 1);
  EXPECT_EQ(window.property(h + "#" + QByteArray::number(kMsg) + "C").toInt(), 1);
  // One unhook therefore restores the window completely.
  UnhookMessage(&a, hwnd, kMsg);
  EXPECT_TRUE(hookProperties(&window).isEmpty()) << hookProperties(&window).join(",").toStdString();
  log.clear();
  send();
  EXPECT_EQ(log, QStringList{"window"});
}

TEST_F(HookFixture, UnhookKeepsOtherClientsInOrderAndLastOneRestores) {
  Client a("a", emrConsume, &log), b("b", emrConsume, &log), c("c", emrConsume, &log);
  Client stranger("x", emrConsume, &log);
  for (Client* cl : {&a, &b, &c}) ASSERT_FALSE(HookMessage(cl, hwnd, kMsg));
  ASSERT_FALSE(HookMessage(&a, hwnd, kOther));

  UnhookMessage(&stranger, hwnd, kMsg);  // not hooked: nothing changes
  UnhookMessage(&b, hwnd, kMsg);
  log.clear();
  send();
  EXPECT_EQ(log, (QStringList{"a", "c"}));

  UnhookMessage(&a, hwnd, kMsg);
  UnhookMessage(&c, hwnd, kMsg);
  EXPECT_FALSE(hookProperties(&window).isEmpty());  // kOther is still hooked
  log.clear();
  send();
  EXPECT_EQ(log, QStringList{"window"});

  UnhookMessage(&a, hwnd, kOther);
  EXPECT_TRUE(hookProperties(&window).isEmpty()) << hookProperties(&window).join(",").toStdString();
  log.clear();
  send(kOther);
  EXPECT_EQ(log, QStringList{"window"});
}

TEST_F(HookFixture, ClientThatClosesTheWindowEndsTheDispatch) {
  auto* w = new Window(&log);
  const qint32 h = windowHandleOf(w);
  struct Closer : cZephContainer {
    QWidget* w;
    explicit Closer(QWidget* target) : w(target) {}
    EWindowMessages MsgResponse() const override { return emrPostProcess; }
    qintptr WindowProc(qint32, qint32, QEvent*) override {
      delete w;
      return 0;
    }
  } closer(w);
  ASSERT_FALSE(HookMessage(&closer, h, kMsg));
  QEvent e(kMsg);
  EXPECT_EQ(HookedWindowProc(h, kMsg, &e), 0);
  EXPECT_EQ(windowFromHandle(h), nullptr);
  EXPECT_TRUE(log.isEmpty());
}
