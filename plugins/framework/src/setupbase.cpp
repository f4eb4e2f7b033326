#include <QApplication>
#include <QDateTime>
#include <cstring>

#include "library/dates.h"
#include "library/transfer.h"
#include "library/version.h"
#include "platform/activation.h"
#include "platform/fileops.h"
#include "platform/prompts.h"
#include "plugins/framework.h"
#include "plugins/popup.h"

namespace mvnz::plugin {

ModuleState& State() {
  static ModuleState s;
  return s;
}

QString PluginTimeText(const QDateTime& when) { return FormatDate(when, kMessageTimeFormat); }

void LogToDaemon(const QString& message, short level) {
  try {
    std::unique_ptr<Object> o = activation::create(QString::fromLatin1(MVNdcom::kProgId));
    if (MVNdcom* log = interfaceCast<MVNdcom>(o.get()))
      log->SetMessage(level, message, PluginTimeText(QDateTime::currentDateTime()));
  } catch (...) {
    // The line is lost; the action goes on.
  }
}

void LogProgress(const QString& line) {
  if (State().autoLog) LogToDaemon(line, 0);
}

void LogWarning(const QString& line) { LogToDaemon(line, 1); }

void LogError(const QString& line) {
  State().error = true;
  LogToDaemon(line, 2);
}

Descriptor MakeDescriptor(const QString& name, const QString& iconWord, const QString& cat,
                          const QString& info, DialogKind dialog, int dialogDataIndices) {
  Descriptor d;
  const QString c = cat.toLower();
  d.module = ModType{name,
                     QStringLiteral("il_") + iconWord + QStringLiteral(".ico"),
                     QStringLiteral("is_") + iconWord + QStringLiteral(".ico"),
                     cat,
                     QStringLiteral("icl_") + c + QStringLiteral(".ico"),
                     QStringLiteral("ics_") + c + QStringLiteral(".ico")};
  d.info = info;
  d.author = QStringLiteral("Mervane Zuri developers");
  d.dialog = dialog;
  d.dialogDataIndices = dialogDataIndices;
  return d;
}

QString Param(const QStringList& data, int i) {
  return i >= 0 && i < data.size() ? data.at(i) : QString();
}

void StoreDialogData(const QStringList& values) {
  ModuleState& s = State();
  s.data = QStringList{QString()} + values + QStringList{QString()};
  s.dataCount = static_cast<short>(values.size());
}

bool CreateFolderLevels(const QString& path, const std::function<void(const QString&)>& onCreated,
                        QString* why) {
  if (path.isEmpty()) return true;  // no folder named: nothing to make
  const fileops::Outcome o = fileops::makeFolders(path, onCreated);
  if (!o.ok() && why) *why = o.errorText;
  return o.ok();
}

namespace {

int copySlot(const VarType* slot, short index, VarType* out) {
  if (index < 0 || index > 15) return kErrSubscript;
  if (out) *out = slot[index];
  return 0;
}

bool haveWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

}  // namespace

SetupBase::~SetupBase() {
  // Unload the library's forms; the module state stays.
  try {
    UnloadPopUp();
  } catch (...) {
  }
}

void* SetupBase::queryInterface(const char* iid) noexcept {
  if (iid && std::strcmp(iid, Setup::kInterfaceId) == 0) return static_cast<Setup*>(this);
  return nullptr;
}

QString SetupBase::Keyword() const { return descriptor().module.name.toUpper(); }

void SetupBase::Init() noexcept {
  ModuleState& s = State();
  const Descriptor& d = descriptor();
  s.info = d.info;
  s.author = d.author;
  s.modules = {d.module};
}

void SetupBase::SetAutoLog(bool vNewValue) noexcept { State().autoLog = vNewValue; }
QString SetupBase::Info() const noexcept { return State().info; }
QString SetupBase::Author() const noexcept { return State().author; }
bool SetupBase::Error() const noexcept { return State().error; }

QString SetupBase::Version() const noexcept {
  return QStringLiteral("%1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

short SetupBase::ModuleCount() const noexcept { return static_cast<short>(State().modules.size()); }

int SetupBase::ModuleInfo(short index, ModType* out) const noexcept {
  const ModuleState& s = State();
  if (index < 1 || index > s.modules.size()) return kErrSubscript;
  if (out) *out = s.modules.at(index - 1);
  return 0;
}

short SetupBase::DataCount() const noexcept { return State().dataCount; }

int SetupBase::Data(short index, QString* out) const noexcept {
  const ModuleState& s = State();
  if (index < 0 || index >= s.data.size()) return kErrSubscript;
  if (out) *out = s.data.at(index);
  return 0;
}

int SetupBase::LocalVar(short index, VarType* out) const noexcept {
  return copySlot(State().localVar, index, out);
}

int SetupBase::GlobalVar(short index, VarType* out) const noexcept {
  return copySlot(State().globalVar, index, out);
}

int SetupBase::SetLocalConstants(const QStringList& value) noexcept {
  if (descriptor().dialog != DialogKind::Dialog) return 0;
  if (value.size() < 16) return kErrSubscript;
  try {
    for (int n = 1; n <= 15; ++n) PopUp().setLocalConstant(n, value.at(n));
  } catch (...) {
  }
  return 0;
}

int SetupBase::SetGlobalConstants(const QStringList& value) noexcept {
  if (descriptor().dialog != DialogKind::Dialog) return 0;
  if (value.size() < 16) return kErrSubscript;
  try {
    for (int n = 1; n <= 15; ++n) PopUp().setGlobalConstant(n, value.at(n));
  } catch (...) {
  }
  return 0;
}

int SetupBase::Props(QString& module, const QStringList& data) noexcept {
  ModuleState& s = State();
  s.dataCount = 0;
  const Descriptor& d = descriptor();
  if (d.dialog == DialogKind::NoDialogNoModule) return 0;
  try {
    const QString upper = module.toUpper();
    if (upper != Keyword()) {
      prompts::message(QStringLiteral("Module [%1] is unknown!").arg(upper),
                       QStringLiteral("Unknown Module"), prompts::Icon::Exclamation,
                       prompts::Buttons::Ok);
      return 0;
    }
    if (d.dialog != DialogKind::Dialog) return 0;
    if (data.size() <= d.dialogDataIndices) return kErrSubscript;
    if (!haveWidgets()) return 0;  // a headless host has nothing to show a dialog in
    ShowDialog(data);
  } catch (...) {
    s.dataCount = 0;
  }
  return 0;
}

int SetupBase::RunP(QString& module, const QStringList& data) noexcept {
  ModuleState& s = State();
  for (int k = 0; k <= 14; ++k) {
    s.localVar[k] = VarType{};
    s.globalVar[k] = VarType{};
  }
  s.error = false;
  try {
    const QString upper = module.toUpper();
    if (upper == Keyword())
      RunAction(data);
    else
      LogWarning(QStringLiteral("WARNING: Module [%1] is unknown!").arg(upper));
  } catch (...) {
    s.error = true;
  }
  return 0;
}

}  // namespace mvnz::plugin
