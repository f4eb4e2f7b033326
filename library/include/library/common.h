#pragma once
// Plug-in folder scan, known plug-in names, process list and small platform utilities.
#include <QString>
#include <QStringList>

namespace mvnz {

// Entries 1..14 hold the known plug-in names; entry 0 stays empty.
extern QStringList KnownPluginNames;
extern QStringList PluginNames;  // accepted plug-in base names, 0..PluginCount-1
extern short PluginCount;
extern QStringList ProcessList;
extern short ProcessCount;

void InitKnownPlugins();
// Appends accepted "*.so" plug-in names of folder; strips a trailing "/" in place.
// Hidden files are never taken; a file that is unsafe to load (see
// activation::unsafePluginReason) or names a plug-in an earlier file already gave
// is left out, with a line saying why appended to *refused.
void ListPluginFiles(QString& folder, QStringList* refused = nullptr);
void BuildProcessList();
bool IsAlreadyRunning(const QString& exeName);
bool IsMdacInstalled();
long GetPlatformId();
QString StripLastChar(const QString& s);

}  // namespace mvnz
