#include "controls/panehook.h"

#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QThread>
#include <QVariant>
#include <QWidget>

namespace mvnz::controls {

namespace {

// Handles are process-wide; widgets live on the user-interface thread only.
struct HandleTable {
  QHash<qint32, QPointer<QWidget>> widgets;
  qint32 next = 0x10000;
};

HandleTable& handles() {
  static HandleTable table;
  return table;
}

const char* const kHandleProperty = "mvnzWindowHandle";

QByteArray windowKey(qint32 hwnd) { return QByteArray::number(hwnd); }
QByteArray countKey(qint32 hwnd) { return "C" + QByteArray::number(hwnd); }
QByteArray clientCountKey(qint32 hwnd, qint32 msg) {
  return QByteArray::number(hwnd) + "#" + QByteArray::number(msg) + "C";
}
QByteArray clientKey(qint32 hwnd, qint32 msg, int i) {
  return QByteArray::number(hwnd) + "#" + QByteArray::number(msg) + "#" + QByteArray::number(i);
}

qlonglong readInt(const QObject* w, const QByteArray& name) {
  return w->property(name.constData()).toLongLong();
}
void writeInt(QObject* w, const QByteArray& name, qlonglong value) {
  w->setProperty(name.constData(), value);
}
void removeProperty(QObject* w, const QByteArray& name) {
  w->setProperty(name.constData(), QVariant());
}

quintptr address(const cZephContainer* client) { return reinterpret_cast<quintptr>(client); }

// The entry (1 to count) of message msg of window w that holds client; 0 when none.
int findClient(const QObject* w, qint32 hwnd, qint32 msg, qlonglong count,
               const cZephContainer* client) {
  for (int i = 1; i <= count; ++i)
    if (quintptr(readInt(w, clientKey(hwnd, msg, i))) == address(client)) return i;
  return 0;
}

// The window's own handling, which the hook stands in front of.
bool callPrevious(QWidget* w, QEvent* event) {
  return event ? static_cast<QObject*>(w)->event(event) : false;
}

class HookFilter : public QObject {
 public:
  HookFilter(qint32 hwnd, QObject* parent) : QObject(parent), hwnd_(hwnd) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const qint32 msg = qint32(event->type());
    if (readInt(watched, clientCountKey(hwnd_, msg)) < 1) return false;  // normal delivery
    HookedWindowProc(hwnd_, msg, event);
    return true;
  }

 private:
  qint32 hwnd_;
};

}  // namespace

qint32 windowHandleOf(QWidget* widget) {
  if (!widget) return 0;
  const QVariant known = widget->property(kHandleProperty);
  if (known.isValid()) return known.toInt();
  HandleTable& t = handles();
  const qint32 h = t.next;
  t.next += 4;
  t.widgets.insert(h, widget);
  widget->setProperty(kHandleProperty, h);
  QObject::connect(widget, &QObject::destroyed, [h] { handles().widgets.remove(h); });
  return h;
}

QWidget* windowFromHandle(qint32 hwnd) {
  const auto it = handles().widgets.constFind(hwnd);
  return it == handles().widgets.constEnd() ? nullptr : it->data();
}

HookError RaiseHookError(int number) {
  HookError e;
  e.number = number;
  e.code = 0x80040000u | quint32(number);
  e.source = QStringLiteral("panehost.WindowProc");
  switch (number) {
    case kErrCantSubclass:
      e.description = QStringLiteral("Can't subclass window");
      break;
    case kErrAlreadyHandled:
      e.description = QStringLiteral("Message already handled by another class");
      break;
    case kErrInvalidWindow:
      e.description = QStringLiteral("Invalid window");
      break;
    case kErrExternalWindow:
      e.description = QStringLiteral("Can't modify external window");
      break;
    default:
      break;
  }
  return e;
}

bool IsOwnProcessWindow(qint32 hwnd) {
  // Every handle names a widget of this process; a widget of another thread
  // cannot carry an event filter of this one.
  QWidget* w = windowFromHandle(hwnd);
  return w && w->thread() == QThread::currentThread();
}

std::optional<HookError> HookMessage(cZephContainer* client, qint32 hwnd, qint32 msg) {
  QWidget* w = windowFromHandle(hwnd);
  if (!w) return RaiseHookError(kErrInvalidWindow);
  if (!IsOwnProcessWindow(hwnd)) return RaiseHookError(kErrExternalWindow);

  // The duplicate check comes before anything is stored, so a refused hook
  // leaves the window's counts as they were.
  const QByteArray clients = clientCountKey(hwnd, msg);
  const qlonglong count = readInt(w, clients);
  if (findClient(w, hwnd, msg, count, client)) return RaiseHookError(kErrAlreadyHandled);

  const qlonglong hooks = readInt(w, countKey(hwnd));
  if (hooks != 0) {
    writeInt(w, countKey(hwnd), hooks + 1);
  } else {
    auto* filter = new HookFilter(hwnd, w);
    w->installEventFilter(filter);
    writeInt(w, windowKey(hwnd), qlonglong(reinterpret_cast<quintptr>(filter)));
    writeInt(w, countKey(hwnd), 1);
  }
  writeInt(w, clients, count + 1);
  writeInt(w, clientKey(hwnd, msg, int(count + 1)), qlonglong(address(client)));
  return std::nullopt;
}

void UnhookMessage(cZephContainer* client, qint32 hwnd, qint32 msg) {
  QWidget* w = windowFromHandle(hwnd);
  if (!w) return;
  const QByteArray clients = clientCountKey(hwnd, msg);
  const qlonglong count = readInt(w, clients);
  const int found = findClient(w, hwnd, msg, count, client);
  if (!found) return;

  for (int i = found; i < count; ++i)
    writeInt(w, clientKey(hwnd, msg, i), readInt(w, clientKey(hwnd, msg, i + 1)));
  removeProperty(w, clientKey(hwnd, msg, int(count)));
  if (count - 1 > 0)
    writeInt(w, clients, count - 1);
  else
    removeProperty(w, clients);

  const qlonglong hooks = readInt(w, countKey(hwnd));
  if (hooks <= 1) {
    auto* filter = reinterpret_cast<QObject*>(quintptr(readInt(w, windowKey(hwnd))));
    if (filter) {
      w->removeEventFilter(filter);
      delete filter;
    }
    removeProperty(w, windowKey(hwnd));
    removeProperty(w, countKey(hwnd));
  } else {
    writeInt(w, countKey(hwnd), hooks - 1);
  }
}

qintptr HookedWindowProc(qint32 hwnd, qint32 msg, QEvent* event) {
  QWidget* w = windowFromHandle(hwnd);
  if (!w) return 0;
  const qlonglong count = readInt(w, clientCountKey(hwnd, msg));
  if (count < 1) return callPrevious(w, event);

  qintptr result = 0;
  bool previousCalled = false;
  const QPointer<QWidget> alive(w);  // a client may close the window
  for (int i = 1; i <= count && alive; ++i) {
    auto* client = reinterpret_cast<cZephContainer*>(quintptr(readInt(w, clientKey(hwnd, msg, i))));
    if (!client) {
      if (!previousCalled) {
        result = callPrevious(w, event);
        previousCalled = true;
      }
      continue;
    }
    if (i == 1 && client->MsgResponse() == emrPreprocess && !previousCalled) {
      callPrevious(w, event);
      previousCalled = true;
    }
    result = client->WindowProc(hwnd, msg, event);
    if (!alive) break;
    if (i == count && client->MsgResponse() == emrPostProcess && !previousCalled) {
      result = callPrevious(w, event);
      previousCalled = true;
    }
  }
  return result;
}

}  // namespace mvnz::controls
