#pragma once
// The daemon's notification-area icon.
//
// TrayIcon keeps the icon record (picture and tooltip) and the add/modify/remove
// state; a backend shows it. State follows the calls, not the shell's result. The
// shell's mouse notifications arrive as message numbers (513..518) through
// Dispatch, which raises MouseDown/MouseUp/DblClick and drops every notification
// that arrives while a handler of an earlier one still runs (a pop-up menu or a
// modal box opened from the icon).
#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace mvnz::mvnd {

class TrayIcon : public QObject {
  Q_OBJECT

 public:
  // What the shell is handed on add and modify.
  struct Record {
    QIcon icon;
    QString tip;  // as the shell shows it
  };

  ~TrayIcon() override = default;

  int State() const { return state_; }  // 0 none/removed, 1 added, 2 modified
  void Remove();
  void Modify();
  void Add();
  void setIcon(const QIcon& icon) { icon_ = icon; }
  QIcon Icon() const { return icon_; }
  void setTooltip(const QString& text) { tooltip_ = text; }
  QString Tooltip() const { return tooltip_; }

  // The shell's record holds 64 characters with the terminator: a longer tooltip
  // shows its first 63.
  static constexpr int kTipLength = 63;
  static QString ShownTip(const QString& tooltip) { return tooltip.left(kTipLength); }

  void Dispatch(int message);

  // Whether the desktop has a notification area at all.
  virtual bool HasShell() const { return false; }

 signals:
  void MouseDown(int button);  // 1 left, 2 right
  void MouseUp(int button);
  void DblClick(int button);

 protected:
  virtual void ShellAdd(const Record& record) = 0;
  virtual void ShellModify(const Record& record) = 0;
  virtual void ShellRemove(const Record& record) = 0;

 private:
  Record Fill() const { return {icon_, ShownTip(tooltip_)}; }

  Record record_;
  QIcon icon_;
  QString tooltip_;
  int state_ = 0;
  bool busy_ = false;
};

// A tray that shows nothing: where no notification area exists (headless, Xvfb).
class NullTrayIcon : public TrayIcon {
 protected:
  void ShellAdd(const Record&) override {}
  void ShellModify(const Record&) override {}
  void ShellRemove(const Record&) override {}
};

// A tray on a desktop. Every log line and script line steps the icon, so changes
// are handed to the desktop at most once per interval; the last one always arrives.
// Adding an icon that is shown fails in the shell (nothing happens); adding one the
// desktop has lost brings it back.
class ThrottledTrayIcon : public TrayIcon {
 public:
  explicit ThrottledTrayIcon(int intervalMs = 200);

 protected:
  virtual bool Shown() const = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void Apply(const Record& record) = 0;  // picture and tip to the desktop

  void ShellAdd(const Record& record) final;
  void ShellModify(const Record& record) final;
  void ShellRemove(const Record& record) final;

 private:
  void Flush();
  QTimer* throttle_;
  Record pending_;
  bool dirty_ = false;
};

// The desktop's notification area when it has one, else the null tray.
std::unique_ptr<TrayIcon> MakeTrayIcon();

}  // namespace mvnz::mvnd
