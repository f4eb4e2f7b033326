// The last-message bar: moving, sizing, the right-click menu and its contents.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>

#include "controls/panehost.h"
#include "daemon/logging.h"
#include "daemon/windows/messagebar.h"
#include "windowsfixture.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

// Sends one mouse event to w at a local pixel position.
void Mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
           Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Press(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
  Mouse(w, QEvent::MouseButtonPress, at, b, b);
}
void Drag(QWidget* w, QPoint to, Qt::MouseButtons held = Qt::LeftButton) {
  Mouse(w, QEvent::MouseMove, to, Qt::NoButton, held);
}
void Release(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
  Mouse(w, QEvent::MouseButtonRelease, at, b, Qt::NoButton);
}

struct BarFixture : WindowsFixture {
  BarFixture() {
    windows->SetMessageBarShown(true);
    bar().setLeft(3000);
    bar().setTop(1500);
    bar().setWidth(6000);
  }
  QPoint Pos() const { return bar().pos(); }
};

}  // namespace

TEST(MessageBar, DraggingMovesTheBarOnEverySurface) {
  BarFixture f;
  frmMessage& b = f.bar();
  // The message text, the container and the form itself all move the bar.
  for (QWidget* surface : {static_cast<QWidget*>(b.lblMessage), static_cast<QWidget*>(b.ZephMb),
                           static_cast<QWidget*>(&b)}) {
    SCOPED_TRACE(surface->objectName().toStdString());
    // A point of the surface itself (not on a child of it).
    const QPoint at = surface == b.ZephMb ? QPoint(b.lblError->geometry().left() - 2, 2)
                      : surface == &b     ? QPoint(1, 1)
                                          : QPoint(5, 5);
    ASSERT_TRUE(surface != b.ZephMb || b.ZephMb->childAt(at) == nullptr);
    const QPoint start = f.Pos();
    Press(surface, at);
    Drag(surface, at + QPoint(20, 7));
    EXPECT_EQ(f.Pos(), start + QPoint(20, 7));
    Release(surface, at);
    EXPECT_EQ(b.DragStartX, -1);
    EXPECT_EQ(b.DragStartY, -1);
    // Released: moving the mouse no longer moves the bar.
    Drag(surface, at + QPoint(40, 40), Qt::NoButton);
    EXPECT_EQ(f.Pos(), start + QPoint(20, 7));
  }
}

TEST(MessageBar, ADragFollowsTheMouseOnTheScreen) {
  BarFixture f;
  frmMessage& b = f.bar();
  const QPoint start = f.Pos();
  const QPoint g0 = b.lblMessage->mapToGlobal(QPoint(5, 5));
  Press(b.lblMessage, {5, 5});
  // Two moves that were queued before the bar moved: both carry points of the
  // label at its old place; their screen positions are what counts.
  for (const QPoint step : {QPoint(20, 7), QPoint(30, 10)}) {
    QMouseEvent e(QEvent::MouseMove, QPointF(QPoint(5, 5) + step), QPointF(g0 + step), Qt::NoButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b.lblMessage, &e);
  }
  EXPECT_EQ(f.Pos(), start + QPoint(30, 10));
  Release(b.lblMessage, {5, 5});
  // A press on one of the container's pictures starts no move.
  Press(b.ZephMb, b.picError->geometry().center());
  EXPECT_EQ(b.DragStartX, -1);
  Drag(b.ZephMb, b.picError->geometry().center() + QPoint(9, 9));
  EXPECT_EQ(f.Pos(), start + QPoint(30, 10));
}

TEST(MessageBar, RightClickOpensTheMenuAndEndsTheMove) {
  BarFixture f;
  frmMessage& b = f.bar();
  QMenu menu(QStringLiteral("MessageBar"));
  menu.addAction(QStringLiteral("Always On Top"));
  f.windows->setMessageBarMenu(&menu);
  QSignalSpy asked(&b, &frmMessage::menuRequested);
  const QPoint start = f.Pos();
  Press(b.lblMessage, {5, 5}, Qt::RightButton);
  Release(b.lblMessage, {5, 5}, Qt::RightButton);
  EXPECT_EQ(asked.count(), 1);
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(f.Pos(), start);
  EXPECT_EQ(b.DragStartX, -1);
  menu.hide();
  // A left release opens nothing.
  Press(b.lblMessage, {5, 5});
  Release(b.lblMessage, {5, 5});
  EXPECT_EQ(asked.count(), 1);
}

TEST(MessageBar, TheGripSizesButNeverBelowTheMinimum) {
  BarFixture f;
  frmMessage& b = f.bar();
  const QPoint start = f.Pos();
  const QPoint grip(3, 3);
  Press(b.picResize, grip);
  Drag(b.picResize, grip + QPoint(40, 9));
  EXPECT_EQ(b.Width(), 6000 + 40 * 15);
  EXPECT_EQ(f.Pos(), start);  // the grip does not move the bar
  // The grip has moved with the bar's right end; shrinking stops at 2000 twips.
  Drag(b.picResize, grip + QPoint(-200, 0));
  EXPECT_EQ(b.Width(), 6600 - 200 * 15);
  Drag(b.picResize, grip + QPoint(-150, 0));
  EXPECT_EQ(b.Width(), 3600);  // 3600 - 2250 < 2000: refused
  Drag(b.picResize, grip + QPoint(-106, 0));
  EXPECT_EQ(b.Width(), 2010);
  Release(b.picResize, grip);
  Drag(b.picResize, grip + QPoint(50, 0), Qt::NoButton);
  EXPECT_EQ(b.Width(), 2010);
  EXPECT_EQ(f.Pos(), start);
  // The children follow the width.
  EXPECT_EQ(b.ZephMb->Width(), 2010 - 60);
  EXPECT_EQ(b.picResize->x() * 15, 2010 - 60 - 150);
}

TEST(MessageBar, ShowsTheNewestLineOnlyWhileShown) {
  BarFixture f;
  frmMessage& b = f.bar();
  const struct {
    const char* source;
    int level;
    int index;
    const char* text;
    QRgb color;
  } cases[] = {
      {"S", 0, -1, "[SYS] msg", qRgb(0, 100, 0)}, {"M", 1, 1, "[FS2] msg", qRgb(100, 100, 0)},
      {"M", 2, 0, "[FS1] msg", qRgb(100, 0, 0)},  {"S", 3, -1, "[SYS] msg", qRgb(0, 0, 100)},
      {"D", 3, 0, "[SYS] msg", qRgb(0, 0, 100)},  // other sources keep the text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WriteLogLine(f.d, QString::fromLatin1(c.source), QStringLiteral("msg"), c.level, {}, c.index);
    EXPECT_EQ(b.lblMessage->text(), c.text);
    EXPECT_EQ(b.lblMessage->palette().color(QPalette::WindowText).rgb(), c.color);
    EXPECT_FALSE(b.picStatus->pixmap().isNull());
  }
  EXPECT_EQ(b.lblError->text(), "1");

  f.windows->SetMessageBarShown(false);
  EXPECT_FALSE(f.d.view.MessageBarShown);
  EXPECT_FALSE(b.isVisible());
  WriteLogLine(f.d, QStringLiteral("S"), QStringLiteral("hidden"), 2);
  EXPECT_EQ(b.lblMessage->text(), "[SYS] msg");
  EXPECT_EQ(b.lblError->text(), "1");
  f.windows->SetMessageBarShown(true);
  WriteLogLine(f.d, QStringLiteral("S"), QStringLiteral("next"), 0);
  EXPECT_EQ(b.lblMessage->text(), "[SYS] next");
  EXPECT_EQ(b.lblError->text(), "2");

  f.windows->ClearErrorCounter();
  EXPECT_EQ(f.d.run.ErrorCount, 0);
  EXPECT_EQ(b.lblError->text(), "0");
}

TEST(MessageBar, OnTopKeepsPlaceAndSize) {
  BarFixture f;
  frmMessage& b = f.bar();
  const QRect before = b.geometry();
  f.windows->SetMessageBarOnTop(true);
  EXPECT_TRUE(b.OnTop());
  EXPECT_TRUE(f.d.view.MessageWindowOnTop);
  EXPECT_TRUE(b.isVisible());
  EXPECT_EQ(b.geometry(), before);
  f.windows->SetMessageBarOnTop(false);
  EXPECT_FALSE(b.OnTop());
  EXPECT_FALSE(f.d.view.MessageWindowOnTop);
  EXPECT_EQ(b.geometry(), before);
}
