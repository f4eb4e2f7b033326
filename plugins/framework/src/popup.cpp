#include "plugins/popup.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace mvnz::plugin {
namespace {

using Item = PopupMenu::Item;
using Submenu = PopupMenu::Submenu;

Item single(const char* name, const char* token) {
  return Item{QString::fromLatin1(name), -1, QString::fromLatin1(token),
              QString::fromLatin1(token)};
}

// Fifteen items "<Xn>" of one array, tokens from the index.
QList<Item> array(const char* name, const char* prefix) {
  QList<Item> items;
  for (int i = 0; i < 15; ++i) {
    const QString token = QStringLiteral("<%1%2>").arg(QLatin1String(prefix)).arg(i + 1);
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
              {single("mnuVariablesInputPathFileName", "<ScanPathFileName>"),
               single("mnuVariablesFileName", "<FileName>"),
               single("mnuVariablesFileNameExt", "<FileNameExt>"),
               single("mnuFileFileNameNoExt", "<FileNameNoExt>")}),
      submenu("mnuDirectory", "Directory...",
              {single("mnuVariablesInputdir", "<ScanDir>"),
               single("mnuVariablesInputPath", "<ScanPath>"),
               single("mnuVariablesSubDir", "<SubDir>")}),
      submenu("mnuFileInfo", "FileInfo...",
              {single("mnuCommandsFileFileSize", "<FileSize>"),
               single("mnuCommandsFileTimeStamp", "<FileTimeStamp>"),
               single("mnuFileOwner", "<FileOwner>"),
               single("mnuCommandsTotalFileNumber", "<TotalFileNumber>"),
               single("mnuCommandsCurrentFileNumber", "<CurrentFileNumber>")}),
      separator("mnuParamBreak1"),
      submenu("mnuLocals", "Locals...", {},
              {submenu("mnuLocalsConstants", "Constants...", array("mnuLocalsConstantsLC", "LC")),
               submenu("mnuLocalsVariables", "Variables...", array("mnuLocalsVariablesLV", "LV"))}),
      submenu(
          "mnuGlobals", "Globals...", {},
          {submenu("mnuGlobalsConstants", "Constants...", array("mnuGlobalsConstantsGC", "GC")),
           submenu("mnuGlobalsVariables", "Variables...", array("mnuGlobalsConstantsGV", "GV"))}),
      separator("mnuParamBreak2"),
      submenu("mnuCommandsDate", "Date...",
              {single("mnuCommandsDateDate", "<dd-mmm-yyyy>"), single("mnuCommandsDateDD", "<dd>"),
               single("mnuCommandsDateMMM", "<mmm>"), single("mnuCommandsDateMM", "<date_mm>"),
               single("mnuCommandsDateYYYY", "<yyyy>"), single("mnuDateYY", "<yy>"),
               single("mnuDateWeek", "<weeknum>"), single("mnuDateWeekday", "<dayofweek>")}),
      submenu("mnuCommandsTime", "Time...",
              {single("mnuCommandsTimeTime", "<hh:mm:ss>"), single("mnuCommandsTimeHH", "<hh>"),
               single("mnuCommandsTimeMM", "<mm>"), single("mnuCommandsTimeSS", "<ss>")}),
      submenu("mnuFS", "RoziRoruner...",
              {single("mnuFSname", "<RoziRorunerName>"),
               single("mnuFSdesc", "<RoziRorunerDescription>")}),
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
    it->caption = QStringLiteral("<LC%1> ").arg(n) + value;
    if (QAction* a = menu_ ? action(it->objectName, it->index) : nullptr) a->setText(it->caption);
  }
}

void PopupMenu::setGlobalConstant(int n, const QString& value) {
  if (Item* it = findMutable(QStringLiteral("mnuGlobalsConstantsGC"), n - 1)) {
    it->caption = QStringLiteral("<GC%1> ").arg(n) + value;
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
