#pragma once
// What a user would see drawn wrongly in a shown window: two visible widgets side by
// side that overlap, a widget reaching out of its parent, a text that does not fit
// its widget (wider, or taller, than the widget draws it).
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>

#include "controls/vistrel.h"

namespace mvnz::test {

namespace layoutcheck {

// Widgets that arrange their own parts: what lies inside them is theirs, not the
// window's layout.
inline bool ownsItsParts(const QWidget* w) {
  return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QCalendarWidget*>(w) ||
         qobject_cast<const QMenuBar*>(w) || qobject_cast<const QToolBar*>(w) ||
         qobject_cast<const QTabBar*>(w) || qobject_cast<const QLineEdit*>(w);
}

// The panel's caption, text and flood bars lie on one another by design.
inline bool panelPart(const QWidget* w) {
  return qobject_cast<const controls::vistrel*>(w->parentWidget()) &&
         (w->objectName() == QLatin1String("lblCaption") ||
          w->objectName() == QLatin1String("lblText") ||
          w->objectName().startsWith(QLatin1String("Flooder")));
}

// An empty label without a background draws nothing: it can lie under anything.
inline bool blank(const QWidget* w) {
  auto* l = qobject_cast<const QLabel*>(w);
  return l && l->text().isEmpty() && l->pixmap().isNull() && !l->autoFillBackground();
}

inline QString nameOf(const QWidget* w) {
  QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                           : w->objectName();
  for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
    if (!p->objectName().isEmpty()) return p->objectName() + u'/' + name;
  return name;
}

inline QString sizeText(const QSize& s) {
  return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

// The size a widget needs to show its text whole; an invalid size for one without.
inline QSize textNeed(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) {
    if (l->text().isEmpty() || !l->pixmap().isNull()) return {};
    if (l->wordWrap()) return {l->width(), l->heightForWidth(l->width())};
    return l->sizeHint();
  }
  if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w))
    return w->sizeHint();
  if (auto* b = qobject_cast<const QPushButton*>(w)) {
    if (b->text().isEmpty()) return {};
    // The text and the style's margins, without the style's least button width.
    const QSize text = b->fontMetrics().size(Qt::TextShowMnemonic, b->text());
    const int margins = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                        2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
    const int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
    return {text.width() + icon + margins, text.height() + 2};
  }
  if (qobject_cast<const QToolButton*>(w)) return w->sizeHint();
  if (auto* g = qobject_cast<const QGroupBox*>(w))
    return g->title().isEmpty() ? QSize() : g->minimumSizeHint();
  if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
      qobject_cast<const QAbstractSpinBox*>(w))
    return {0, w->minimumSizeHint().height()};
  return {};
}

inline void walk(const QWidget* parent, QStringList& faults) {
  QList<const QWidget*> shown;
  for (const QObject* o : parent->children()) {
    auto* w = qobject_cast<const QWidget*>(o);
    if (w && !w->isWindow() && w->isVisible() && !blank(w)) shown << w;
  }
  for (int i = 0; i < shown.size(); ++i) {
    const QWidget* w = shown[i];
    if (!parent->rect().contains(w->geometry()))
      faults << nameOf(w) + QStringLiteral(" reaches out of ") + nameOf(parent);
    for (int j = i + 1; j < shown.size(); ++j)
      if (w->geometry().intersects(shown[j]->geometry()) && !(panelPart(w) && panelPart(shown[j])))
        faults << nameOf(w) + QStringLiteral(" overlaps ") + nameOf(shown[j]);
    const QSize need = textNeed(w);
    if (need.isValid() && (need.width() > w->width() || need.height() > w->height()))
      faults << nameOf(w) + QStringLiteral(" cuts its text: ") + sizeText(w->size()) +
                    QStringLiteral(" for ") + sizeText(need);
    if (!ownsItsParts(w)) walk(w, faults);
  }
}

}  // namespace layoutcheck

// One line per fault of the shown window, naming the widgets; empty when none.
inline QStringList LayoutFaults(const QWidget* window) {
  QStringList faults;
  layoutcheck::walk(window, faults);
  return faults;
}

}  // namespace mvnz::test
