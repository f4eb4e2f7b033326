#include "plugins/popup.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include "library/tokens.h"

namespace mvnz::plugin {
namespace {

using Item = PopupMenu::Item;
using Submenu = PopupMenu::Submenu;

using tokens::Family;
using tokens::Token;

Item single(const char* name, Token t) {
  const QString token = tokens::Text(t);
  return Item{QString::fromLatin1(name), -1, token, token};
}

// Fifteen items "<Xn>" of one array, tokens from the index.
QList<Item> array(const char* name, Family f) {
  QList<Item> items;
  for (int i = 0; i < tokens::kFamilySize; ++i) {
    const QString token = tokens::Text(f, i + 1);
    items.append(Item{QString::fromLatin1(name), i, token, token});
  }
  return items;
}

Submenu separator(const char* name) {
  Submenu s;
  s.objectName = QString::fromLatin1(name);
  s.separator = true;
  return s;
}

Submenu submenu(const char* name, const char* caption, QList<Item> items,
                QList<Submenu> children = {}) {
  Submenu s;
  s.objectName = QString::fromLatin1(name);
  s.caption = QString::fromLatin1(caption);
  s.items = std::move(items);
  s.children = std::move(children);
  return s;
}

QList<Submenu> buildStructure() {
  return {
      submenu("mnuVariablesFile", "File...",
              {single("mnuVariablesInputPathFileName", Token::ScanPathFileName),
               single("mnuVariablesFileName", Token::FileName),
               single("mnuVariablesFileNameExt", Token::FileNameExt),
               single("mnuFileFileNameNoExt", Token::FileNameNoExt)}),
      submenu("mnuDirectory", "Directory...",
              {single("mnuVariablesInputdir", Token::ScanDir),
               single("mnuVariablesInputPath", Token::ScanPath),
               single("mnuVariablesSubDir", Token::SubDir)}),
      submenu("mnuFileInfo", "FileInfo...",
              {single("mnuCommandsFileFileSize", Token::FileSize),
               single("mnuCommandsFileTimeStamp", Token::FileTimeStamp),
               single("mnuFileOwner", Token::FileOwner),
               single("mnuCommandsTotalFileNumber", Token::TotalFileNumber),
               single("mnuCommandsCurrentFileNumber", Token::CurrentFileNumber)}),
      separator("mnuParamBreak1"),
      submenu("mnuLocals", "Locals...", {},
              {submenu("mnuLocalsConstants", "Constants...",
                       array("mnuLocalsConstantsLC", Family::LocalConstant)),
               submenu("mnuLocalsVariables", "Variables...",
                       array("mnuLocalsVariablesLV", Family::LocalVariable))}),
      submenu("mnuGlobals", "Globals...", {},
              {submenu("mnuGlobalsConstants", "Constants...",
                       array("mnuGlobalsConstantsGC", Family::GlobalConstant)),
               submenu("mnuGlobalsVariables", "Variables...",
                       array("mnuGlobalsConstantsGV", Family::GlobalVariable))}),
      separator("mnuParamBreak2"),
      submenu(
          "mnuCommandsDate", "Date...",
          {single("mnuCommandsDateDate", Token::DayMonthNameYear),
           single("mnuCommandsDateDD", Token::Day), single("mnuCommandsDateMMM", Token::MonthName),
           single("mnuCommandsDateMM", Token::Month), single("mnuCommandsDateYYYY", Token::Year),
           single("mnuDateYY", Token::Year2), single("mnuDateWeek", Token::WeekNumber),
           single("mnuDateWeekday", Token::DayOfWeek)}),
      submenu(
          "mnuCommandsTime", "Time...",
          {single("mnuCommandsTimeTime", Token::Time), single("mnuCommandsTimeHH", Token::Hour),
           single("mnuCommandsTimeMM", Token::Minute), single("mnuCommandsTimeSS", Token::Second)}),
      submenu("mnuFS", "RoziRoruner...",
              {single("mnuFSname", Token::RoziRorunerName),
               single("mnuFSdesc", Token::RoziRorunerDescription)}),
  };
}

Item* findIn(QList<Submenu>& menus, const QString& name, int index) {
  for (Submenu& m : menus) {
    for (Item& it : m.items)
      if (it.objectName == name && it.index == index) return &it;
    if (Item* it = findIn(m.children, name, index)) return it;
  }
  return nullptr;
}

QString actionName(const Item& it) {
  return it.index < 0 ? it.objectName : it.objectName + QStringLiteral("_%1").arg(it.index);
}

std::unique_ptr<PopupMenu>& popUpInstance() {
  static std::unique_ptr<PopupMenu> p;
  return p;
}

}  // namespace

PopupMenu::PopupMenu() : menus_(buildStructure()) {}
PopupMenu::~PopupMenu() = default;

Item* PopupMenu::findMutable(const QString& objectName, int index) {
  return findIn(menus_, objectName, index);
}

const Item* PopupMenu::find(const QString& objectName, int index) const {
  return findIn(const_cast<QList<Submenu>&>(menus_), objectName, index);
}

void PopupMenu::setLocalConstant(int n, const QString& value) {
  if (Item* it = findMutable(QStringLiteral("mnuLocalsConstantsLC"), n - 1)) {
    it->caption = tokens::Text(Family::LocalConstant, n) + QLatin1Char(' ') + value;
    if (QAction* a = menu_ ? action(it->objectName, it->index) : nullptr) a->setText(it->caption);
  }
}

void PopupMenu::setGlobalConstant(int n, const QString& value) {
  if (Item* it = findMutable(QStringLiteral("mnuGlobalsConstantsGC"), n - 1)) {
    it->caption = tokens::Text(Family::GlobalConstant, n) + QLatin1Char(' ') + value;
    if (QAction* a = menu_ ? action(it->objectName, it->index) : nullptr) a->setText(it->caption);
  }
}

void PopupMenu::typeToken(QLineEdit* target, const QString& token) {
  if (target) target->insert(token);
}

QMenu* PopupMenu::menu() {
  if (menu_) return menu_.get();
  menu_ = std::make_unique<QMenu>(QStringLiteral("Command"));
  menu_->setObjectName(QStringLiteral("mnuCommand"));
  std::function<void(QMenu*, const QList<Submenu>&)> fill = [&](QMenu* parent,
                                                                const QList<Submenu>& menus) {
    for (const Submenu& m : menus) {
      if (m.separator) {
        parent->addSeparator()->setObjectName(m.objectName);
        continue;
      }
      QMenu* sub = parent->addMenu(m.caption);
      sub->setObjectName(m.objectName);
      fill(sub, m.children);
      for (const Item& it : m.items) {
        QAction* a = sub->addAction(it.caption);
        a->setObjectName(actionName(it));
        // The token comes from the item, never from its caption.
        const QString token = it.token;
        QObject::connect(a, &QAction::triggered, a, [this, token] { typeToken(target_, token); });
      }
    }
  };
  fill(menu_.get(), menus_);
  return menu_.get();
}

QAction* PopupMenu::action(const QString& objectName, int index) {
  const Item* it = find(objectName, index);
  if (!it) return nullptr;
  return menu()->findChild<QAction*>(actionName(*it));
}

void PopupMenu::popup(QLineEdit* target, const QPoint& globalPos) {
  target_ = target;
  menu()->popup(globalPos);
}

PopupMenu& PopUp() {
  auto& p = popUpInstance();
  if (!p) p = std::make_unique<PopupMenu>();
  return *p;
}

bool PopUpLoaded() { return popUpInstance() != nullptr; }

void UnloadPopUp() { popUpInstance().reset(); }

}  // namespace mvnz::plugin
