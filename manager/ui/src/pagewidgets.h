#pragma once
// Small builders shared by the main window's pages: named controls with their tool
// tips, the bevelled panels, the file format's numbers, the refusal of a field's
// value with its box, and the directory boxes that take a dropped folder.
#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QFocusEvent>
#include <QLineEdit>
#include <QToolButton>
#include <optional>

#include "controls/vistrel.h"
#include "manager/ui/pictures.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui::pagewidgets {

template <typename W>
W* named(W* w, const char* name, const char* tip = nullptr) {
  w->setObjectName(QLatin1String(name));
  if (tip) w->setToolTip(QString::fromUtf8(tip));
  return w;
}

inline QLineEdit* textBox(QWidget* parent, const char* name, const char* tip) {
  return named(new QLineEdit(parent), name, tip);
}

inline QToolButton* pictureButton(QWidget* parent, const char* name, const char* tip) {
  auto* b = named(new QToolButton(parent), name, tip);
  b->setText(QStringLiteral("..."));
  b->setIcon(pictures::forKey(QStringLiteral("picMenu")));
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

inline controls::vistrel* panel(QWidget* parent, const char* name) {
  auto* p = named(new controls::vistrel(parent), name);
  p->setText(QString());
  p->setMinimumSize(0, 0);
  p->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  return p;
}

// Shows a field check's box, sets the field to then and gives it the focus back;
// checking is set meanwhile so the focus moves do not start the check again.
inline void refuse(bool& checking, QLineEdit* box, const QString& text, const QString& title,
                   const QString& then) {
  checking = true;
  prompts::message(text, title, prompts::Icon::Exclamation);
  box->setText(then);
  box->setFocus(Qt::OtherFocusReason);
  checking = false;
}

// True for a focus loss that leaves the field (not to a pop-up menu or another window).
inline bool leavesField(const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

// A folder chooser's result for a box: a chooser opened on an empty box starts at
// "C:"; cancelling it must leave the box empty.
inline QString chosenFolder(const QString& before, const QString& result) {
  return before.isEmpty() && result == QLatin1String("C:") ? QString() : result;
}

// The first path of a dragged file list; "" when the data holds none.
inline QString firstDroppedPath(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  return urls.isEmpty() || !urls.first().isLocalFile() ? QString() : urls.first().toLocalFile();
}

// Lets a directory box take a dropped file list: while one is dragged over it the drop
// is offered (as a copy when its first path is a folder one may enter); on the drop
// that path becomes the box's text, and its change handler stores it. Dragged data
// without a file list, and anything dragged onto a disabled box, is refused. The
// program's current directory is never changed.
class PathDrop : public QObject {
 public:
  explicit PathDrop(QLineEdit* box) : QObject(box), box_(box) {
    box->setAcceptDrops(true);
    box->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != box_) return false;
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QString path = firstDroppedPath(drag->mimeData());
        if (path.isEmpty() || !box_->isEnabled()) {
          drag->ignore();
        } else if (const QFileInfo folder(path); folder.isDir() && folder.isExecutable()) {
          drag->setDropAction(Qt::CopyAction);
          drag->accept();
        } else {
          drag->acceptProposedAction();
        }
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = firstDroppedPath(drop->mimeData());
        if (path.isEmpty() || !box_->isEnabled()) {
          drop->ignore();
          return true;
        }
        box_->setText(path);
        drop->acceptProposedAction();
        return true;
      }
      default:
        return false;
    }
  }

 private:
  QLineEdit* box_;
};

}  // namespace mvnz::manager::ui::pagewidgets
