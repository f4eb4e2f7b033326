#pragma once
// What every plug-in library carries besides its action: the module state (once per
// library: the framework is linked statically into each plug-in, built with hidden
// visibility), the shared members of Setup, logging to the daemon and the log-line
// helpers.
//
// A plug-in derives from SetupBase, describes itself in a Descriptor, implements
// RunAction (and ShowDialog when it has a command dialog) and exports its factory:
//
//   class RelocateSetup final : public mvnz::plugin::SetupBase { ... };
//   MVNZ_PLUGIN_FACTORY(RelocateSetup)
#include <QString>
#include <QStringList>
#include <functional>

#include "library/contract.h"
#include "library/numbers.h"

namespace mvnz::plugin {

// How Props and the constants methods behave for a plug-in.
enum class DialogKind {
  Dialog,            // Props tests the module name and shows the command dialog
  NoDialog,          // Props tests the module name, shows nothing; constants ignored
  NoDialogNoModule,  // Props only clears the data count; constants ignored
};

struct Descriptor {
  ModType module;  // name, icons and category, as Init stores them
  QString info;    // the Info text
  QString author;  // the Author text
  DialogKind dialog = DialogKind::Dialog;
  // Highest Data index the dialog fills from; Props with a shorter Data array gives
  // error 9 before any dialog is shown.
  int dialogDataIndices = 0;
};

// All state behind the members of Setup, once per plug-in library per process,
// shared by every object of that library.
struct ModuleState {
  QString info;
  QString author;
  bool autoLog = false;
  bool error = false;
  QList<ModType> modules;  // element i holds module i + 1
  short dataCount = 0;
  QStringList data;  // the data list, indices 0..; empty until the first OK
  VarType localVar[16];
  VarType globalVar[16];
};
ModuleState& State();

// Sends one line to the daemon's log through "mvnd.MVNdcom", with the current local
// time as "dd-mmm-yyyy hh:nn.ss". Any failure drops the line silently.
void LogToDaemon(const QString& message, short level);
// The plug-ins' time text of a moment: "dd-mmm-yyyy hh:nn.ss", English months.
QString PluginTimeText(const class QDateTime& when);

// Log-line helpers of the actions.
void LogProgress(const QString& line);  // level 0, only while AutoLog is on
void LogWarning(const QString& line);   // level 1
void LogError(const QString& line);     // level 2; sets the Error flag

// A Descriptor with the usual icon names: "il_" + word + ".ico", "is_" + word +
// ".ico", "icl_"/"ics_" + lower-case category + ".ico".
Descriptor MakeDescriptor(const QString& name, const QString& iconWord, const QString& cat,
                          const QString& info, DialogKind dialog, int dialogDataIndices);

// Parameter i of a Data array, or "" when the array is shorter.
QString Param(const QStringList& data, int i);
// Stores the fields a dialog's OK saved: data list 0..n+1 with elements 1..n filled.
void StoreDialogData(const QStringList& values);

// Creates every missing level of path, each tested at the "/" that ends it and the
// last one at the end of path; a level that appears concurrently counts as there.
// onCreated is called with each level this call made. On the first level that cannot
// be made it returns false with the reason in *why; levels made before stay.
bool CreateFolderLevels(const QString& path, const std::function<void(const QString&)>& onCreated,
                        QString* why);

class SetupBase : public Setup {
 public:
  SetupBase() = default;
  ~SetupBase() override;

  void* queryInterface(const char* iid) noexcept override;

  void Init() noexcept override;
  void SetAutoLog(bool vNewValue) noexcept override;
  QString Info() const noexcept override;
  QString Author() const noexcept override;
  bool Error() const noexcept override;
  QString Version() const noexcept override;
  short ModuleCount() const noexcept override;
  int ModuleInfo(short index, ModType* out) const noexcept override;
  short DataCount() const noexcept override;
  int Data(short index, QString* out) const noexcept override;
  int LocalVar(short index, VarType* out) const noexcept override;
  int GlobalVar(short index, VarType* out) const noexcept override;
  int SetLocalConstants(const QStringList& value) noexcept override;
  int SetGlobalConstants(const QStringList& value) noexcept override;
  int Props(QString& module, const QStringList& data) noexcept override;
  int RunP(QString& module, const QStringList& data) noexcept override;

 protected:
  virtual const Descriptor& descriptor() const = 0;
  // The action routine; reports through the log helpers and the Error flag.
  virtual void RunAction(const QStringList& data) = 0;
  // Fills the command dialog from data and shows it modal; OK calls StoreDialogData.
  virtual void ShowDialog(const QStringList& data) { (void)data; }
  // The keyword: the module name in upper case.
  QString Keyword() const;
};

}  // namespace mvnz::plugin

// The one export of a plug-in library.
#define MVNZ_PLUGIN_FACTORY(Class)                                      \
  MVNZ_EXPORT mvnz::Object* mvnzCreateObject(int abiVersion) noexcept { \
    if (abiVersion != mvnz::kObjectAbiVersion) return nullptr;          \
    try {                                                               \
      return new Class();                                               \
    } catch (...) {                                                     \
      return nullptr;                                                   \
    }                                                                   \
  }
