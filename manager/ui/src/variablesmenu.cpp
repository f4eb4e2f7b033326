#include "manager/ui/variablesmenu.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPoint>
#include <QWidget>

#include "library/tokens.h"
#include "manager/session.h"

namespace mvnz::manager::ui {

namespace {

using tokens::Family;
using tokens::Token;

struct Entry {
  const char* objectName;
  Token token;
};

const Entry kFileItems[] = {{"mnuVariablesInputPathFileName", Token::ScanPathFileName},
                            {"mnuVariablesFileName", Token::FileName},
                            {"mnuVariablesFileNameExt", Token::FileNameExt},
                            {"mnuFileFileNameNoExt", Token::FileNameNoExt}};
const Entry kDirItems[] = {{"mnuVariablesInputdir", Token::ScanDir},
                           {"mnuVariablesInputPath", Token::ScanPath},
                           {"mnuVariablesSubDir", Token::SubDir}};
const Entry kInfoItems[] = {{"mnuCommandsFileFileSize", Token::FileSize},
                            {"mnuCommandsFileTimeStamp", Token::FileTimeStamp},
                            {"mnuFileOwner", Token::FileOwner},
                            {"mnuCommandsTotalFileNumber", Token::TotalFileNumber},
                            {"mnuCommandsCurrentFileNumber", Token::CurrentFileNumber}};
const Entry kDateItems[] = {{"mnuCommandsDateDate", Token::DayMonthNameYear},
                            {"mnuCommandsDateDD", Token::Day},
                            {"mnuCommandsDateMMM", Token::MonthName},
                            {"mnuCommandsDateMM", Token::Month},
                            {"mnuCommandsDateYYYY", Token::Year},
                            {"mnuDateYY", Token::Year2},
                            {"mnuDateWeek", Token::WeekNumber},
                            {"mnuDateWeekday", Token::DayOfWeek}};
const Entry kTimeItems[] = {{"mnuCommandsTimeTime", Token::Time},
                            {"mnuCommandsTimeHH", Token::Hour},
                            {"mnuCommandsTimeMM", Token::Minute},
                            {"mnuCommandsTimeSS", Token::Second}};
const Entry kTimeItems2[] = {{"mnuCommandsTimeHH2", Token::Hour},
                             {"mnuCommandsTimeMM2", Token::Minute},
                             {"mnuCommandsTimeSS2", Token::Second}};
const Entry kRoziRorunerItems[] = {{"mnuFSname", Token::RoziRorunerName},
                                   {"mnuFSdesc", Token::RoziRorunerDescription}};

QMenu* submenu(QMenu* parent, const char* objectName, const char* title) {
  QMenu* m = parent->addMenu(QString::fromUtf8(title));
  m->setObjectName(QLatin1String(objectName));
  return m;
}

QString constantCaption(Family f, int n, const QString& value) {
  return tokens::Text(f, n) + u' ' + value;
}

}  // namespace

VariablesMenu::VariablesMenu(Session& session, QWidget* owner) : QObject(owner), session_(session) {
  build(owner);
}

QAction* VariablesMenu::tokenItem(QMenu* menu, const QString& objectName, const QString& token) {
  QAction* a = menu->addAction(token);
  a->setObjectName(objectName);
  a->setData(token);  // the token is typed from here, whatever the caption shows
  connect(a, &QAction::triggered, this, [this, token] { insertToken(token); });
  return a;
}

void VariablesMenu::build(QWidget* owner) {
  auto entries = [this](QMenu* m, std::span<const Entry> items, const char* suffix = "") {
    for (const Entry& e : items) tokenItem(m, QLatin1String(e.objectName) + QLatin1String(suffix), tokens::Text(e.token));
  };
  auto family = [this](QMenu* m, const char* objectName, Family f) {
    for (int n = 1; n <= tokens::kFamilySize; ++n)
      tokenItem(m, QStringLiteral("%1_%2").arg(QLatin1String(objectName)).arg(n - 1), tokens::Text(f, n));
  };

  mnuCommand_ = new QMenu(QStringLiteral("Command"), owner);
  mnuCommand_->setObjectName(QStringLiteral("mnuCommand"));
  entries(submenu(mnuCommand_, "mnuVariablesFile", "File..."), kFileItems);
  entries(submenu(mnuCommand_, "mnuDirectory", "Directory..."), kDirItems);
  entries(submenu(mnuCommand_, "mnuFileInfo", "FileInfo..."), kInfoItems);
  mnuCommand_->addSeparator()->setObjectName(QStringLiteral("mnuParamBreak1"));
  QMenu* locals = submenu(mnuCommand_, "mnuLocals", "Locals...");
  family(submenu(locals, "mnuLocalsConstants", "Constants..."), "mnuLocalsConstantsLC", Family::LocalConstant);
  family(submenu(locals, "mnuLocalsVariables", "Variables..."), "mnuLocalsVariablesLV", Family::LocalVariable);
  QMenu* globals = submenu(mnuCommand_, "mnuGlobals", "Globals...");
  family(submenu(globals, "mnuGlobalsConstants", "Constants..."), "mnuGlobalsConstantsGC", Family::GlobalConstant);
  family(submenu(globals, "mnuGlobalsVariables", "Variables..."), "mnuGlobalsConstantsGV", Family::GlobalVariable);
  mnuCommand_->addSeparator()->setObjectName(QStringLiteral("mnuParamBreak2"));
  entries(submenu(mnuCommand_, "mnuCommandsDate", "Date..."), kDateItems);
  entries(submenu(mnuCommand_, "mnuCommandsTime", "Time..."), kTimeItems);
  mnuCommand_->addSeparator()->setObjectName(QStringLiteral("br10"));
  entries(submenu(mnuCommand_, "mnuFS", "RoziRoruner..."), kRoziRorunerItems);

  mnuScanDir_ = new QMenu(QStringLiteral("ScanDirectory"), owner);
  mnuScanDir_->setObjectName(QStringLiteral("mnuScanDir"));
  family(submenu(mnuScanDir_, "mnuLC", "Local Constants"), "mnuLCdata", Family::LocalConstant);
  family(submenu(mnuScanDir_, "mnuGC", "Global Constants"), "mnuGCdata", Family::GlobalConstant);
  mnuScanDir_->addSeparator()->setObjectName(QStringLiteral("br2"));
  family(submenu(mnuScanDir_, "mnuGV", "Global Variables"), "mnuGVdata", Family::GlobalVariable);
  mnuScanDir_->addSeparator()->setObjectName(QStringLiteral("br0"));
  entries(submenu(mnuScanDir_, "mnuDate2", "Date"), kDateItems, "2");
  entries(submenu(mnuScanDir_, "mnuTime", "Time"), kTimeItems2);

  mnuStableTimer_ = new QMenu(QStringLiteral("StableTimer"), owner);
  mnuStableTimer_->setObjectName(QStringLiteral("mnuStableTimer"));
  QAction* def = mnuStableTimer_->addAction(QStringLiteral("Default"));
  def->setObjectName(QStringLiteral("mnuSTdefault"));
  mnuStableTimer_->addSeparator()->setObjectName(QStringLiteral("br3"));
  mnuSTnoTimestamp_ = mnuStableTimer_->addAction(QStringLiteral("Disable Timestamp-Check"));
  mnuSTnoTimestamp_->setObjectName(QStringLiteral("mnuSTnoTimestamp"));
  mnuSTnoTimestamp_->setCheckable(true);
  connect(def, &QAction::triggered, this, [this] {
    mnuSTnoTimestamp_->setChecked(false);
    if (setStableTimer) setStableTimer(QStringLiteral("20"));
  });
  connect(mnuSTnoTimestamp_, &QAction::triggered, this, [this](bool checked) {
    if (setStableTimer) setStableTimer(checked ? QStringLiteral("-1") : QStringLiteral("20"));
  });
}

void VariablesMenu::RefreshLocalConstantCaptions() {
  const jobfile::RoziRoruner* r = session_.current();
  for (const char* name : {"mnuLocalsConstantsLC", "mnuLCdata", "mnuLCdat"})
    for (int n = 1; n <= tokens::kFamilySize; ++n)
      if (auto* a = parent()->findChild<QAction*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(n - 1)))
        a->setText(constantCaption(Family::LocalConstant, n, r ? r->LocalConstants[n] : QString()));
}

void VariablesMenu::RefreshGlobalConstantCaptions() {
  const jobfile::Constants& g = session_.model.Globals.GlobalConstants;
  for (const char* name : {"mnuGlobalsConstantsGC", "mnuGCdata", "mnuGCdat"})
    for (int n = 1; n <= tokens::kFamilySize; ++n)
      if (auto* a = parent()->findChild<QAction*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(n - 1)))
        a->setText(constantCaption(Family::GlobalConstant, n, g[n]));
}

void VariablesMenu::popup(QMenu* menu, QLineEdit* target, const QPoint& pos) {
  RefreshGlobalConstantCaptions();
  RefreshLocalConstantCaptions();
  target_ = target;
  if (target) target->setFocus(Qt::OtherFocusReason);
  menu->popup(pos);
}

void VariablesMenu::popupBelow(QMenu* menu, QLineEdit* target, const QWidget* button) {
  popup(menu, target, button->mapToGlobal(QPoint(0, button->height())));
}

void VariablesMenu::insertToken(const QString& token) {
  if (target_ && target_->isEnabled()) target_->insert(token);
}

}  // namespace mvnz::manager::ui
