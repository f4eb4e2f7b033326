#pragma once
// A daemon with a loaded configuration whose UI port is the log windows.
#include <QStringList>
#include <memory>

#include "daemon/core.h"
#include "daemon/windows/logwindows.h"
#include "platform/prompts.h"

namespace mvnz::mvnd::test {

struct WindowsFixture {
  // RoziRoruners by name; "-Name" is a disabled one.
  explicit WindowsFixture(const QStringList& names = {QStringLiteral("Alpha"),
                                                      QStringLiteral("Inbox")});
  ~WindowsFixture();
  // Rows of the grid: the message column's texts, oldest first.
  QStringList GridTexts() const;
  LogWindow& log() const;
  frmMessage& bar() const;

  Daemon d;
  std::unique_ptr<LogWindows> windows;
  std::shared_ptr<prompts::Recorder> prompts;
  std::shared_ptr<prompts::Service> previousPrompts;
  QString configPath;
};

// Writes lines joined by CR LF.
void WriteConfig(const QString& path, const QStringList& lines);

}  // namespace mvnz::mvnd::test
