#include "deployer/removal.h"

#include <sys/stat.h>

#include <QFile>

#include "deployer/modreg.h"
#include "library/childrun.h"
#include "library/exitstatus.h"
#include "platform/fileops.h"

namespace mvnz::deployer {

namespace {

using Kind = Summary::Kind;

const QString kSep = QStringLiteral("\\");

// Deletes path\name for each direct subkey of path, listed before the first deletion.
void DeleteSubKeys(const QString& path) {
  for (const QString& name : EnumRegSubKeys(path)) DeleteRegKey(path + kSep + name);
}

}  // namespace

bool Summary::anyFailed() const {
  return std::any_of(lines.begin(), lines.end(),
                     [](const Line& l) { return l.kind == Kind::Failed; });
}

QString Summary::Text() const {
  const struct {
    Kind kind;
    const char* heading;
  } groups[] = {
      {Kind::Removed, "Removed:"}, {Kind::Failed, "Not removed:"}, {Kind::Skipped, "Left alone:"}};
  QStringList parts;
  for (const auto& g : groups) {
    QStringList group;
    for (const Line& l : lines)
      if (l.kind == g.kind) group << QStringLiteral("  ") + l.text;
    if (!group.isEmpty()) parts << QLatin1String(g.heading) + QStringLiteral("\r\n") +
                                       group.join(QStringLiteral("\r\n"));
  }
  return parts.isEmpty() ? QStringLiteral("Nothing was removed.")
                         : parts.join(QStringLiteral("\r\n\r\n"));
}

void RemoveService(const QString& programFolder, int limitMs, Summary& summary) {
  const ChildRun run = RunChild(programFolder, QStringLiteral("svcwright"),
                                {QStringLiteral("-remove")}, limitMs, ChildOutput::Forward);
  switch (run.state) {
    case ChildRun::State::NotStarted:
      summary.add(Kind::Failed, QStringLiteral("the service: %1").arg(run.errorText));
      return;
    case ChildRun::State::Crashed:
      summary.add(Kind::Failed, QStringLiteral("the service: %1 ended abnormally").arg(run.program));
      return;
    case ChildRun::State::StillRunning:
      summary.add(Kind::Failed,
                  QStringLiteral("the service: %1 -remove is still running after %2 s")
                      .arg(run.program)
                      .arg(limitMs / 1000.0));
      return;
    case ChildRun::State::Exited:
      break;
  }
  if (run.exitCode == kExitOk)
    summary.add(Kind::Removed, QStringLiteral("the service"));
  else if (run.exitCode == kExitNotInstalled)
    summary.add(Kind::Skipped, QStringLiteral("the service: not installed"));
  else
    summary.add(Kind::Failed, QStringLiteral("the service: %1 -remove ended with status %2")
                                  .arg(run.program)
                                  .arg(run.exitCode));
}

void RemoveConfigFile(const QString& path, Summary& summary) {
  struct stat st {};
  if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
    summary.add(Kind::Skipped, QStringLiteral("the configuration file %1: not there").arg(path));
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    summary.add(Kind::Failed,
                QStringLiteral("the configuration file %1: not a regular file").arg(path));
    return;
  }
  // The read-only rule: no write permission bit means the file is kept, also for root.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    summary.add(Kind::Failed, QStringLiteral("the configuration file %1: read-only").arg(path));
    return;
  }
  const fileops::Outcome out = fileops::deleteFile(path);
  if (out.ok())
    summary.add(Kind::Removed, QStringLiteral("the configuration file %1").arg(path));
  else
    summary.add(Kind::Failed,
                QStringLiteral("the configuration file %1: %2").arg(path, out.errorText));
}

void RemoveRegistryKeys(Summary& summary) {
  const QString product = QLatin1String(kProductKey);
  if (!RegKeyExists(product)) {
    summary.add(Kind::Skipped, QStringLiteral("the registry keys %1: not there").arg(product));
    return;
  }
  // Bottom-up, one level at a time, as a store that deletes only childless keys
  // would need; each deletion takes the whole tree below it.
  for (const char* area : {"Daemon", "Manager", "Plugins"})
    DeleteSubKeys(product + kSep + QLatin1String(area));
  DeleteSubKeys(product);
  DeleteRegKey(product);
  if (RegKeyExists(product))
    summary.add(Kind::Failed, QStringLiteral("the registry keys %1").arg(product));
  else
    summary.add(Kind::Removed, QStringLiteral("the registry keys %1").arg(product));
}

}  // namespace mvnz::deployer
