#include "daemon/windows/logwindows.h"
#include <cmath>

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>

#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/windows/buffersizedialog.h"
#include "daemon/windows/logwindow.h"
#include "daemon/windows/messagebar.h"
#include "daemon/windows/windowsettings.h"
#include "platform/prompts.h"

namespace mvnz::mvnd {

namespace {

constexpr int kTwips = 15;

int Px(int twips) { return int(std::lround(double(twips) / kTwips)); }

}  // namespace

struct LogWindows::Impl {
  explicit Impl(Daemon& daemon) : d(daemon) {}
  Daemon& d;
  QPointer<LogWindow> log;
  QPointer<frmMessage> bar;
  QPointer<QWidget> mainWindow;
};

LogWindows::LogWindows(Daemon& d, QObject* parent) : QObject(parent), m(new Impl(d)) {
  m->log = new LogWindow(d);
  m->bar = new frmMessage(d);
  QObject::connect(m->log, &LogWindow::buffersizeRequested, this,
                   [this] { ShowBuffersizeDialog(); });
  // Start-up fits the time column to a time text and its icon, plus 20.
  QTableWidget* grid = m->log->lvLogwindow;
  const int text =
      QFontMetrics(grid->font()).horizontalAdvance(QStringLiteral("88-88-8888 88:88.88"));
  grid->setColumnWidth(0, text + grid->iconSize().width() + 12 + 20);
}

LogWindows::~LogWindows() {
  // The main window owns the log window once it has taken it; the bar is ours.
  if (m->log && !m->log->parent()) delete m->log;
  delete m->bar;
}

LogWindow* LogWindows::logWindow() const { return m->log; }
frmMessage* LogWindows::messageBar() const { return m->bar; }
void LogWindows::setMainWindow(QWidget* mainWindow) { m->mainWindow = mainWindow; }
void LogWindows::setMessageBarMenu(QMenu* menu) {
  if (m->bar) m->bar->setMenu(menu);
}

void LogWindows::ClearLogWindow() {
  if (m->log) m->log->ClearRows();
  if (m->bar) m->bar->SetErrorCount(m->d.run.ErrorCount);
}

void LogWindows::RemoveOldestLogRow() {
  if (m->log) m->log->RemoveOldestRow();
}

void LogWindows::AddLogWindowLine(const QString& timeText, const QString& text, int level) {
  if (m->log) m->log->AddLogWindowLine(timeText, text, level, false);
}

void LogWindows::RefillLogSelector(const QStringList& entries) {
  if (m->log) m->log->RefillSelector(entries);
}

void LogWindows::ShowLastMessage(const QString& text, int level, qint64 errors) {
  if (m->bar) m->bar->ShowMessage(text, level, errors);
}

void LogWindows::LoadDaemonSettings() {
  const WindowSettings s = ReadWindowSettings(DaemonSettingsKey(m->d.settings));
  if (QWidget* w = m->mainWindow) {
    w->move(Px(*s.LogWindowLeft), Px(*s.LogWindowTop));
    w->resize(Px(s.LogWindowWidth), Px(s.LogWindowHeight));
  }
  if (frmMessage* bar = m->bar) {
    bar->setLeft(*s.MessageWindowLeft);
    bar->setTop(s.MessageWindowTop);
    bar->setWidth(s.MessageWindowWidth);
  }
  SetMessageBarOnTop(s.MessageWindowOnTop);
  SetMessageBarShown(s.MessageWindowStatus);
  if (m->bar) {
    m->bar->lblMessage->setText(QString());
    // The instance number is known from the first reload on.
    m->bar->picID->setPixmap(InstancePicture(m->d.settings.SettingsKeySuffix.toInt()));
  }
  // The menus' check marks follow MessageBarShown and MessageWindowOnTop.
  m->d.ui().StateChanged();
}

void LogWindows::SaveDaemonSettings(bool silent) {
  const QString key = DaemonSettingsKey(m->d.settings);
  // Values without a window to read them from are stored as they were.
  WindowSettings s = ReadWindowSettings(key);
  s.LogWindowTop.reset();
  s.LogWindowLeft.reset();
  s.MessageWindowLeft.reset();
  s.LogColumnWidth1 = 150;
  if (m->log) {
    s.LogColumnWidth1 = m->log->lvLogwindow->columnWidth(0);
    s.LogColumnWidth2 = m->log->lvLogwindow->columnWidth(1);
  }
  s.BufferSize = m->d.settings.BufferSize;
  if (QWidget* w = m->mainWindow) {
    // A minimised window has no place worth restoring.
    if (!w->isMinimized()) {
      s.LogWindowTop = w->frameGeometry().y() * kTwips;
      s.LogWindowLeft = w->frameGeometry().x() * kTwips;
    }
    s.LogWindowWidth = w->width() * kTwips;
    s.LogWindowHeight = w->height() * kTwips;
  }
  if (frmMessage* bar = m->bar) {
    s.MessageWindowLeft = bar->Left();
    s.MessageWindowTop = bar->Top();
    s.MessageWindowWidth = bar->Width();
  }
  s.MessageWindowStatus = m->d.view.MessageBarShown;
  s.MessageWindowOnTop = m->d.view.MessageWindowOnTop;
  WriteWindowSettings(key, s);
  if (!silent)
    prompts::message(QStringLiteral("Settings have been saved!"), QStringLiteral("Settings Saved"),
                     prompts::Icon::Information);
  WriteLogLine(m->d, QStringLiteral("S"), QStringLiteral("Configuration saved"), 0);
}

void LogWindows::ShowBuffersizeDialog() {
  frmBuffersizeSetup dialog(m->d, m->mainWindow);
  dialog.txtBuffer->setText(QString::number(m->d.settings.BufferSize));
  dialog.exec();
}

void LogWindows::SetMessageBarShown(bool shown) {
  if (m->bar) {
    if (shown)
      m->bar->show();
    else
      m->bar->hide();
  }
  m->d.view.MessageBarShown = shown;
}

void LogWindows::SetMessageBarOnTop(bool onTop) {
  if (m->bar) m->bar->SetOnTop(onTop);
  m->d.view.MessageWindowOnTop = onTop;
}

void LogWindows::ClearErrorCounter() {
  m->d.run.ErrorCount = 0;
  if (m->bar) m->bar->SetErrorCount(0);
}

}  // namespace mvnz::mvnd
