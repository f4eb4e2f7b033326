#pragma once
// Fake programs in a temporary program folder, and a prompt service that answers
// from a script.
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/prompts.h"

namespace mvnz::install::test {

// folder/name: a shell script that records its arguments and exits with status.
// Held, it stays running until Release().
class FakeProgram {
 public:
  FakeProgram(const QString& folder, const QString& name, int status, bool held = false);
  // The arguments of its last run; empty when it never ran.
  QStringList Args() const;
  bool Ran() const;
  void Release() const;
  // Releases it and runs events until its last run has ended and been reaped; false
  // when it did not end in time.
  bool ReleaseAndWaitReaped() const;
  QString folder, path;
};

// A fresh program folder below the test's root.
QString ProgramFolder(const QString& name);
// Copies a built program (from the build's bin folder) into folder.
QString CopyProgram(const QString& name, const QString& folder);

// Records every prompt; Yes/No questions take the next scripted answer (Yes when
// the script is empty), other boxes Ok.
class ScriptedPrompts : public prompts::Recorder {
 public:
  prompts::Answer show(const QString& text, const QString& title, prompts::Icon icon,
                       prompts::Buttons buttons) override;
  QStringList Titles() const;
  QList<prompts::Answer> script;
};

// Installs a ScriptedPrompts for the life of the object.
struct PromptsScope {
  PromptsScope();
  ~PromptsScope();
  std::shared_ptr<ScriptedPrompts> prompts;
  std::shared_ptr<prompts::Service> previous;
};

}  // namespace mvnz::install::test
