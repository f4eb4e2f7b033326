#include "installsupport.h"

#include <QDir>
#include <QFile>

#include "testenv.h"

namespace mvnz::install::test {

namespace {
void MakeExecutable(const QString& path) {
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                  QFile::ReadGroup | QFile::ExeGroup);
}
}  // namespace

FakeProgram::FakeProgram(const QString& folder_, const QString& name, int status, bool held)
    : folder(folder_), path(QDir(folder_).filePath(name)) {
  QFile::remove(QDir(folder).filePath("args." + name));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  QString script = QStringLiteral("#!/bin/sh\nd='%1'\nrm -f \"$d/args.%2\"\necho $$ > \"$d/pid.%2\"\n"
                                  "printf '%s\\n' \"$@\" > \"$d/args.%2.tmp\"\n"
                                  "mv \"$d/args.%2.tmp\" \"$d/args.%2\"\n")
                       .arg(folder, name);
  if (held)
    // Also ends when the test's folder is gone, so no fake outlives its test.
    script += QStringLiteral("while [ ! -e \"$d/release.%1\" ] && [ -d \"$d\" ]; do sleep 0.05; done\n")
                  .arg(name);
  if (status != 0) script += QStringLiteral("echo 'fake %1 says why' >&2\n").arg(name);
  script += QStringLiteral("exit %1\n").arg(status);
  f.write(script.toUtf8());
  f.close();
  MakeExecutable(path);
  QFile::remove(QDir(folder).filePath("release." + name));
}

QStringList FakeProgram::Args() const {
  QFile f(QDir(folder).filePath("args." + path.section('/', -1)));
  if (!f.open(QIODevice::ReadOnly)) return {};
  QString all = QString::fromUtf8(f.readAll());
  if (all.endsWith('\n')) all.chop(1);
  return all.split('\n');
}

bool FakeProgram::Ran() const {
  return QFile::exists(QDir(folder).filePath("args." + path.section('/', -1)));
}

void FakeProgram::Release() const {
  QFile f(QDir(folder).filePath("release." + path.section('/', -1)));
  f.open(QIODevice::WriteOnly);
}

bool FakeProgram::ReleaseAndWaitReaped() const {
  Release();
  const QString pidFile = QDir(folder).filePath("pid." + path.section('/', -1));
  const qint64 pid = mvnz::test::readFile(pidFile).trimmed().toLongLong();
  return pid > 0 && mvnz::test::waitReaped(pid);
}

QString ProgramFolder(const QString& name) { return mvnz::test::makeDir("programs/" + name); }

QString CopyProgram(const QString& name, const QString& folder) {
  const QString target = QDir(folder).filePath(name);
  QFile::remove(target);
  QFile::copy(QStringLiteral(MVNZ_BIN_DIR "/") + name, target);
  MakeExecutable(target);
  return target;
}

prompts::Answer ScriptedPrompts::show(const QString& text, const QString& title,
                                      prompts::Icon icon, prompts::Buttons buttons) {
  entries.append(Entry{text, title, icon, buttons});
  if (buttons != prompts::Buttons::YesNo) return prompts::Answer::Ok;
  return script.isEmpty() ? prompts::Answer::Yes : script.takeFirst();
}

QStringList ScriptedPrompts::Titles() const {
  QStringList t;
  for (const Entry& e : entries) t << e.title;
  return t;
}

PromptsScope::PromptsScope() : prompts(std::make_shared<ScriptedPrompts>()) {
  previous = mvnz::prompts::install(prompts);
}

PromptsScope::~PromptsScope() { mvnz::prompts::install(previous); }

}  // namespace mvnz::install::test
