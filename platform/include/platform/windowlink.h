#pragma once
// A program's main window reached by name: where a window would be found by its
// caption, the program listens on a local socket in the runtime folder named after
// the program and its major.minor version. Another process finds the window by
// connecting and brings it to the front by sending "raise".
//
// Protocol, one request per connection: the client writes "raise\n"; the window's
// program raises its window and answers "ok\n", then closes.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace mvnz::windowlink {

// runtime folder/"<program>-<version>.window"
QString socketPath(const QString& program, const QString& version);

// True when a program listens at path (a connection is accepted within timeoutMs).
bool exists(const QString& path, int timeoutMs = 1000);
// Asks the window at path to come to the front; true when it answered "ok".
bool raise(const QString& path, int timeoutMs = 2000);

// The window side: listens at path and calls onRaise for each "raise" request.
class Listener : public QObject {
 public:
  Listener(const QString& path, std::function<void()> onRaise, QObject* parent = nullptr);
  ~Listener() override;
  // False when the socket could not be opened; error says why.
  bool listen(QString* error = nullptr);

 private:
  QString path_;
  std::function<void()> onRaise_;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace mvnz::windowlink
