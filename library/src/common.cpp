// Plug-in folder scan, known plug-in names, process list and platform utilities.
#include "library/common.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>

#include "library/catalogue.h"
#include "platform/activation.h"
#include "platform/process.h"

namespace mvnz {

QStringList KnownPluginNames;
QStringList PluginNames;
short PluginCount = 0;
QStringList ProcessList;
short ProcessCount = 0;

namespace {

// Why the known plug-in file fi (base name base) in folder is not taken, or empty;
// taken holds the names this listing took before it.
QString PluginRefusal(const QFileInfo& fi, const QString& base, const QString& folder,
                      const QStringList& taken) {
  if (taken.contains(base, Qt::CaseInsensitive))
    return QStringLiteral("it names the plug-in [%1] of an earlier file").arg(base);
  return activation::unsafePluginReason(fi.filePath(), folder);
}

}  // namespace

void InitKnownPlugins() {
  KnownPluginNames = {QString()};
  for (const catalogue::Command& c : catalogue::PluginCommands())
    KnownPluginNames.append(QLatin1StringView(c.plugin).toString());
}

void ListPluginFiles(QString& folder, QStringList* refused) {
  if (folder.endsWith('/')) folder.chop(1);
  const QString listed = folder.isEmpty() ? QStringLiteral("/") : folder;
  // Normal files only (no hidden ones), in an order that does not depend on the
  // file system: by name without regard to case, ties by exact name.
  QFileInfoList files =
      QDir(listed).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
  std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
    const int c = a.fileName().compare(b.fileName(), Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.fileName() < b.fileName();
  });
  QStringList taken;
  for (const QFileInfo& fi : files) {
    const QString name = fi.fileName();
    if (!name.endsWith(".so", Qt::CaseInsensitive) || name.size() <= 3) continue;
    const QString base = name.left(name.size() - 3);
    bool known = false;
    for (qsizetype i = 1; i < KnownPluginNames.size() && !known; ++i)
      known = KnownPluginNames[i].compare(base, Qt::CaseInsensitive) == 0;
    if (known) {
      if (const QString why = PluginRefusal(fi, base, listed, taken); !why.isEmpty()) {
        if (refused)
          refused->append(QStringLiteral("Plug-in not loaded [%1]: %2").arg(fi.filePath(), why));
      } else if (PluginCount < SHRT_MAX) {
        PluginNames.resize(PluginCount);
        PluginNames.append(base);
        taken.append(base);
        ++PluginCount;
      }
    }
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
  }
}

void BuildProcessList() {
  ProcessList = process::runningExecutables();
  if (ProcessList.size() > SHRT_MAX) ProcessList.resize(SHRT_MAX);
  ProcessCount = static_cast<short>(ProcessList.size());
}

bool IsAlreadyRunning(const QString& exeName) {
  // A program named "X.exe" is the program "X" here.
  QString name = exeName;
  if (name.endsWith(".exe", Qt::CaseInsensitive)) name.chop(4);
  if (name.isEmpty()) return false;
  BuildProcessList();
  int count = 0;
  for (const QString& p : ProcessList)
    if (p.contains(name, Qt::CaseInsensitive)) ++count;
  return count >= 2;
}

bool IsMdacInstalled() { return true; }

long GetPlatformId() { return 2; }

QString StripLastChar(const QString& s) { return s.left(s.size() - 1); }

}  // namespace mvnz
