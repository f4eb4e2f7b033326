// The script editor's drag and drop: a module from the palette onto the script, a
// command onto another command, with the drop target highlighted and the tree
// scrolled while the pointer holds in a zone at its top or bottom edge.
//
// The drag is the editor's own rather than the platform's: the pressed tree keeps
// the mouse while the button is held (the implicit grab), positions are taken
// globally, and the script tree is found under the pointer.
// Only a command line is ever a drop target, and only while a command line (of the
// script or a module of the palette) is dragged.
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

#include "manager/ui/manager.h"
#include "manager/ui/scripteditor.h"

namespace mvnz::manager::ui {

namespace {

constexpr int kScrollZone = 20;  // pixels at the top and the bottom of the script tree
constexpr int kCommandLine = 1;
constexpr int kParameterLine = 2;

int NodeKind(const QString& key) {
  if (key.startsWith(u'C')) return kCommandLine;
  if (key.startsWith(u'P')) return kParameterLine;
  return 0;
}

int NodeKind(const QTreeWidgetItem* item) { return item ? NodeKind(LineKey(item)) : 0; }

}  // namespace

bool ScriptEditor::dragEvent(QTreeWidget* tree, QEvent* event) {
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  const QPoint global = mouse->globalPosition().toPoint();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (mouse->button() == Qt::LeftButton) pressLine(tree, mouse);
      return false;  // the tree selects the line as usual
    case QEvent::MouseMove:
      if (!drag_.source) return false;
      if (!(mouse->buttons() & Qt::LeftButton)) {
        endDrag();
        return false;
      }
      if (!drag_.active &&
          (global - drag_.pressedAt).manhattanLength() >= QApplication::startDragDistance())
        startDrag();
      if (!drag_.active) return false;
      dragMove(global);
      return true;  // the trees neither drag-select nor scroll by themselves
    case QEvent::MouseButtonRelease: {
      const bool was = drag_.active;
      if (was && mouse->button() == Qt::LeftButton && overScript(global)) dropAt(global);
      endDrag();
      return was;
    }
    default:
      return false;
  }
}

void ScriptEditor::pressLine(QTreeWidget* tree, const QMouseEvent* event) {
  endDrag();
  const QTreeWidgetItem* line = tree->itemAt(event->position().toPoint());
  if (!line) return;
  drag_.source = tree;
  drag_.key = LineKey(line);
  drag_.number = script::CommandNumber(drag_.key);
  drag_.kind = NodeKind(drag_.key);
  drag_.icon = dragIcon(drag_.key, line->text(0));
  drag_.pressedAt = event->globalPosition().toPoint();
}

QIcon ScriptEditor::dragIcon(const QString& key, const QString& text) const {
  const Catalog& catalog = m_.session().catalog;
  if (const int row = catalog.find(text); row > 0) return m_.images().large(catalog.rows()[row].IconIndex);
  if (drag_.source == tvCommandScript &&
      (key.contains(u"_!") || key.contains(u"_COMMENT", Qt::CaseInsensitive)))
    return m_.images().large(script::kDisabledImage);
  return {};
}

void ScriptEditor::startDrag() {
  // The pressed line becomes the selected one: the palette's is what AddCommand takes.
  if (QTreeWidgetItem* line = FindNode(drag_.source, drag_.key)) drag_.source->setCurrentItem(line);
  drag_.active = true;
  QApplication::setOverrideCursor(QCursor(Qt::ForbiddenCursor));
}

void ScriptEditor::dragMove(const QPoint& global) {
  dragAt_ = global;
  showDragCursor(global);
  const QWidget* view = tvCommandScript->viewport();
  const int y = view->mapFromGlobal(global).y();
  if (!overScript(global)) {
    Timer1->stop();
  } else if (y < kScrollZone) {
    scrollUp_ = true;
    Timer1->start();
  } else if (y >= view->height() - kScrollZone) {
    scrollUp_ = false;
    Timer1->start();
  } else {
    Timer1->stop();
  }
  highlightAt(global);
}

void ScriptEditor::showDragCursor(const QPoint& global) {
  // The dragged command's own picture over the script tree, the no-drop one elsewhere.
  const bool own = overScript(global) && !drag_.icon.isNull();
  QApplication::changeOverrideCursor(own ? QCursor(drag_.icon.pixmap(32, 32))
                                         : QCursor(Qt::ForbiddenCursor));
}

void ScriptEditor::scrollTick() {
  if (!drag_.active) {
    Timer1->stop();
    return;
  }
  tvCommandScript->verticalScrollBar()->triggerAction(
      scrollUp_ ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
  highlightAt(dragAt_);
}

void ScriptEditor::highlightAt(const QPoint& global) {
  QTreeWidgetItem* line = scriptLineAt(global);
  const bool target = drag_.kind == kCommandLine && NodeKind(line) == kCommandLine;
  setHighlight(target ? line : nullptr);
}

void ScriptEditor::setHighlight(QTreeWidgetItem* item) {
  if (item == highlight_) return;
  const QSignalBlocker block(tvCommandScript);  // not an edit of the line
  if (highlight_) {
    highlight_->setData(0, Qt::BackgroundRole, QVariant());
    highlight_->setData(0, Qt::ForegroundRole, QVariant());
  }
  highlight_ = item;
  if (highlight_) {
    highlight_->setBackground(0, tvCommandScript->palette().highlight());
    highlight_->setForeground(0, tvCommandScript->palette().highlightedText());
  }
}

bool ScriptEditor::overScript(const QPoint& global) const {
  return tvCommandScript->isVisible() &&
         tvCommandScript->rect().contains(tvCommandScript->mapFromGlobal(global));
}

QTreeWidgetItem* ScriptEditor::scriptLineAt(const QPoint& global) const {
  if (!overScript(global)) return nullptr;
  return tvCommandScript->itemAt(tvCommandScript->viewport()->mapFromGlobal(global));
}

void ScriptEditor::dropAt(const QPoint& global) {
  highlightAt(global);
  const int target = highlight_ ? script::CommandNumber(LineKey(highlight_)) : 0;
  jobfile::RoziRoruner* r = current();
  if (!r) return;
  if (drag_.source == tvCommandList) {
    const int before = script::CommandCount(*r);
    AddCommand();
    const int count = script::CommandCount(*r);
    // Moved only when a command was added, else the last one would move.
    if (count > before && target >= 1) MoveCommand(count, target);
  } else if (drag_.kind == kCommandLine && target >= 1 && target != drag_.number) {
    MoveCommand(drag_.number, target);
  }
}

void ScriptEditor::endDrag() {
  if (drag_.active) QApplication::restoreOverrideCursor();
  drag_ = {};
  setHighlight(nullptr);
  Timer1->stop();
}

}  // namespace mvnz::manager::ui
