#pragma once
// Message hooks on the widgets of this process.
//
// Any number of clients can each ask for one message (a QEvent type) of one
// window. The first hook on a window installs one event filter on it; the
// bookkeeping lives in dynamic properties of the window itself, so the module
// keeps no state between calls:
//
//   "<hwnd>"              the window's hook record (address of its filter)
//   "C<hwnd>"             number of hooks (window, message, client) on the window
//   "<hwnd>#<msg>C"       number of clients of that message
//   "<hwnd>#<msg>#<i>"    the i-th client (1-based, in hook order), by address
//
// The window's own event handling plays the part of the previous window
// procedure: each hooked message reaches every client in hook order; the first
// client may ask for the window's handling before them (emrPreprocess), the
// last one after them (emrPostProcess); with emrConsume the window never sees
// the message. The window's handling runs at most once per message.
//
// Windows are named by 32-bit handles that windowHandleOf() hands out; a handle
// whose widget has gone no longer names a window.
#include <QString>
#include <QtGlobal>
#include <optional>

class QEvent;
class QWidget;

namespace mvnz::controls {

enum EWindowMessages : qint32 { emrConsume = 0, emrPostProcess = 1, emrPreprocess = 2 };

// The client interface. Its own members do nothing; clients override them.
class cZephContainer {
 public:
  virtual ~cZephContainer() = default;
  virtual EWindowMessages MsgResponse() const { return emrConsume; }
  virtual void setMsgResponse(EWindowMessages) {}
  // Receives a hooked message; the result is the answer of the window's handling.
  virtual qintptr WindowProc(qint32 hWnd, qint32 iMsg, QEvent* event) {
    (void)hWnd, (void)iMsg, (void)event;
    return 0;
  }
};

inline constexpr int kErrCantSubclass = 13081;
inline constexpr int kErrAlreadyHandled = 13082;
inline constexpr int kErrInvalidWindow = 13083;
inline constexpr int kErrExternalWindow = 13084;

struct HookError {
  int number = 0;    // 13081 to 13084
  quint32 code = 0;  // number combined with the object-error base &H80040000
  QString source;    // "panehost.WindowProc"
  QString description;
};

// The handle of a widget (assigned on first use, stable for the widget's life).
qint32 windowHandleOf(QWidget* widget);
// The widget of a handle; nullptr when the handle names no live widget.
QWidget* windowFromHandle(qint32 hwnd);

HookError RaiseHookError(int number);
bool IsOwnProcessWindow(qint32 hwnd);

// Adds client to message msg of window hwnd; nullopt on success.
std::optional<HookError> HookMessage(cZephContainer* client, qint32 hwnd, qint32 msg);
// Removes client from message msg of hwnd; the last hook of a window removes the
// filter and every property of the hook. A client that is not hooked there
// changes nothing.
void UnhookMessage(cZephContainer* client, qint32 hwnd, qint32 msg);
// Hands one message of a hooked window to its clients (the installed filter
// calls it); returns the result of the last client or of the window's handling.
qintptr HookedWindowProc(qint32 hwnd, qint32 msg, QEvent* event);

}  // namespace mvnz::controls
