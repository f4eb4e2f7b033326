#include "manager/ui/scripteditor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>
#include <optional>

#include "controls/panehost.h"
#include "controls/propertybag.h"
#include "library/numbers.h"
#include "library/regwrap.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/properties.h"
#include "manager/services.h"
#include "manager/ui/commanddialogs.h"
#include "manager/ui/constantsdialog.h"
#include "manager/ui/manager.h"
#include "manager/ui/pictures.h"
#include "pagewidgets.h"
#include "platform/prompts.h"
#include "platform/registry.h"

namespace mvnz::manager::ui {

namespace {

struct ButtonSpec {
  const char* key;
  const char* tip;  // the picture is the key's
  bool separatorBefore;
};

constexpr ButtonSpec kButtons[] = {
    {"close", "Exit CommandScript", true},
    {"small", "Small Icons", false},
    {"large", "Large Icons", false},
    {"up", "Move Command Up", true},
    {"down", "Move Command Down", false},
    {"comment", "Toggle Comment", false},
    {"clear", "Delete Command", false},
    {"clearall", "Clear CommandScript", true},
    {"save", "Save To Disk", false},
    {"load", "Load From Disk", false},
    {"locals", "Local Constants", true},
    {"globals", "Global Constants", false},
    {"daemon", "start daemon", true},
};

constexpr int kMinimumWidth = 553;   // 8295 twips
constexpr int kMinimumHeight = 463;  // 6945 twips
constexpr int kScrollInterval = 100;  // ms per line while a drag holds in a scroll zone
// Both trees' pictures and indentation (100 and 250 twips) for the two icon sizes.
constexpr int kSmallIcon = 16, kLargeIcon = 32;
constexpr int kSmallIndent = 100, kLargeIndent = 250;
// Palette edges read back from the registry beyond this (twips) are not a place on
// any screen.
constexpr double kMaxListTwips = 1e6;

bool IsCommandLine(const QString& key) { return key.startsWith(u'C'); }

}  // namespace

QString LineKey(const QTreeWidgetItem* item) {
  return item ? item->data(0, kNodeKeyRole).toString() : QString();
}

ScriptEditor::ScriptEditor(Manager& manager, QWidget* parent) : QWidget(parent), m_(manager) {
  setObjectName(QStringLiteral("frmCommandScript"));
  setWindowTitle(QStringLiteral("Command Script"));
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  // Loaded once and then only shown and hidden: the first opening is maximised, later
  // ones keep whatever state the user left it in.
  setWindowState(windowState() | Qt::WindowMaximized);
  buildToolbars();

  ZephContainer = new controls::ZephContainer(this);
  ZephContainer->setObjectName(QStringLiteral("ZephContainer"));
  ZephContainer->setBorderStyle(controls::eBorderStyles::Frame);
  ZephContainer->setCaption(QStringLiteral("Command Script"));
  ZephContainer->setAutoSizeChildrenType(controls::asUnevenHorz);
  ZephContainer->setSplitter(true);
  tvCommandList = new QTreeWidget(ZephContainer);
  tvCommandList->setObjectName(QStringLiteral("tvCommandList"));
  tvCommandScript = new QTreeWidget(ZephContainer);
  tvCommandScript->setObjectName(QStringLiteral("tvCommandScript"));
  for (QTreeWidget* t : {tvCommandList, tvCommandScript}) {
    t->setHeaderHidden(true);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
  }
  tvCommandScript->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::SelectedClicked);
  tvCommandScript->installEventFilter(this);
  tvCommandScript->viewport()->installEventFilter(this);
  tvCommandList->installEventFilter(this);
  tvCommandList->viewport()->installEventFilter(this);
  // Esc hides the window wherever the focus is in it (a tree would keep the key).
  auto* escape = new QAction(this);
  escape->setShortcut(Qt::Key_Escape);
  escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QAction::triggered, this, [this] { close(); });
  addAction(escape);
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kScrollInterval);
  connect(Timer1, &QTimer::timeout, this, [this] { scrollTick(); });
  // The palette left of the script; the container orders its children by their left
  // edges and arranges them at every resize once its properties are loaded.
  constexpr int tw = controls::kTwipsPerPixel;
  ZephContainer->setChildGeometry(tvCommandList, {0, 0, 200 * tw, 300 * tw});
  ZephContainer->setChildGeometry(tvCommandScript, {204 * tw, 0, 340 * tw, 300 * tw});
  ZephContainer->setAutoSizeChildren(true);
  controls::PropertyBag bag;
  ZephContainer->WriteProperties(bag);
  ZephContainer->ReadProperties(bag);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Toolbar);
  layout->addWidget(Toolbar1);
  layout->addWidget(ZephContainer, 1);

  connect(tvCommandList, &QTreeWidget::itemDoubleClicked, this, [this] { AddCommand(); });
  connect(tvCommandScript, &QTreeWidget::itemSelectionChanged, this, [this] { setItemButtons(); });
  connect(tvCommandScript, &QTreeWidget::itemClicked, this, [this] { setItemButtons(); });
  connect(tvCommandScript, &QTreeWidget::itemDoubleClicked, this, [this] { CommandProperties(); });
  connect(tvCommandScript, &QTreeWidget::itemChanged, this,
          [this](QTreeWidgetItem* item) { commentEdited(item); });
  wireSession();
  BuildToolTree();
  refillRoziRorunerList();
  BuildScriptTree();
}

ScriptEditor::~ScriptEditor() = default;

void ScriptEditor::buildToolbars() {
  Toolbar = new QToolBar(this);
  Toolbar->setObjectName(QStringLiteral("Toolbar"));
  for (const ButtonSpec& b : kButtons) {
    if (b.separatorBefore) Toolbar->addSeparator();
    const QString key = QString::fromLatin1(b.key);
    QAction* a = Toolbar->addAction(pictures::forKey(key), QString());
    a->setObjectName(key);
    a->setToolTip(QString::fromLatin1(b.tip));
    connect(a, &QAction::triggered, this, [this, key] { dispatch(key); });
    buttons_.insert(key, a);
  }
  setCommand(QStringLiteral("close"), [this] {
    saveListExtent(true);
    hide();
  });
  setCommand(QStringLiteral("small"), [this] { setLargeIcons(false); });
  setCommand(QStringLiteral("large"), [this] { setLargeIcons(true); });
  setCommand(QStringLiteral("up"), [this] { CommandUp(); });
  setCommand(QStringLiteral("down"), [this] { CommandDown(); });
  setCommand(QStringLiteral("comment"), [this] { CommentCommand(); });
  setCommand(QStringLiteral("clear"), [this] { DeleteSelectedCommand(); });
  setCommand(QStringLiteral("clearall"), [this] { ClearScript(); });
  setCommand(QStringLiteral("save"), [this] { WriteConfigFile(m_.session(), false); });
  setCommand(QStringLiteral("load"), [this] { LoadConfigurationReported(m_.session()); });
  setCommand(QStringLiteral("daemon"), [] { StartDaemon(); });
  // The constants dialogs open over the editor, which stays open.
  setCommand(QStringLiteral("locals"), [this] { ShowLocalConstants(m_.session(), this); });
  setCommand(QStringLiteral("globals"), [this] { ShowGlobalConstants(m_.session(), this); });

  Toolbar1 = new QToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  auto* label = new QLabel(QStringLiteral("Select Roziroruner :"), Toolbar1);
  label->setObjectName(QStringLiteral("asxLabel1"));
  cmbRoziRorunerList = new QComboBox(Toolbar1);
  cmbRoziRorunerList->setObjectName(QStringLiteral("cmbRoziRorunerList"));
  cmbRoziRorunerList->setToolTip(QStringLiteral("available filescanners"));
  cmbRoziRorunerList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  cmbRoziRorunerList->setMinimumContentsLength(24);
  label->setBuddy(cmbRoziRorunerList);
  Toolbar1->addWidget(label);
  Toolbar1->addWidget(cmbRoziRorunerList);
  connect(cmbRoziRorunerList, &QComboBox::activated, this,
          [this](int index) { chooseRoziRoruner(index); });
}

void ScriptEditor::wireSession() {
  Session& s = m_.session();
  connect(&s, &Session::modelReplaced, this, [this] {
    refillRoziRorunerList();
    BuildScriptTree();
  });
  connect(&s, &Session::roziRorunersChanged, this, [this] {
    refillRoziRorunerList();
    BuildScriptTree();
  });
  connect(&s, &Session::prefsChanged, this, [this] {
    BuildToolTree();
    BuildScriptTree();
  });
  connect(&s, &Session::currentChanged, this, [this](int index) {
    const QSignalBlocker block(cmbRoziRorunerList);
    cmbRoziRorunerList->setCurrentIndex(index);
    BuildScriptTree();
  });
}

QAction* ScriptEditor::button(const QString& key) const { return buttons_.value(key); }

void ScriptEditor::setCommand(const QString& key, std::function<void()> fn) {
  commands_.insert(key, std::move(fn));
}

void ScriptEditor::dispatch(const QString& key) {
  const auto it = commands_.constFind(key);
  if (it != commands_.constEnd() && *it) (*it)();
}

jobfile::RoziRoruner* ScriptEditor::current() { return m_.session().record(shown_); }

void ScriptEditor::refillRoziRorunerList() {
  const QSignalBlocker block(cmbRoziRorunerList);
  cmbRoziRorunerList->clear();
  for (const auto& r : m_.session().model.RoziRoruners) cmbRoziRorunerList->addItem(r.Name);
  cmbRoziRorunerList->setCurrentIndex(m_.session().CurrentRoziRoruner);
  showCaption();
}

void ScriptEditor::chooseRoziRoruner(int index) {
  if (index < 0) return;
  m_.session().setCurrent(index);
  BuildScriptTree();
}

void ScriptEditor::showCaption() {
  const jobfile::RoziRoruner* r = current();
  if (!r) return;
  ZephContainer->setCaption(QStringLiteral("#") + m_.session().ConfigurationNumber +
                            QStringLiteral(" - ") + r->Description);
}

void ScriptEditor::applyIconSize(QTreeWidget* tree) {
  const bool large = m_.session().prefs.LargeScriptIcons;
  const int side = large ? kLargeIcon : kSmallIcon;
  tree->setIconSize(QSize(side, side));
  tree->setIndentation(
      int(std::lround(double(large ? kLargeIndent : kSmallIndent) / controls::kTwipsPerPixel)));
}

void ScriptEditor::BuildToolTree() {
  applyIconSize(tvCommandList);
  ui::BuildToolTree(tvCommandList, m_.session().catalog, m_.images(),
                    m_.session().prefs.LargeScriptIcons);
}

void ScriptEditor::addCommandLine(QTreeWidgetItem* root, int number,
                                  const jobfile::CommandEntry& command) {
  const bool large = m_.session().prefs.LargeScriptIcons;
  auto* line = new QTreeWidgetItem(root, {script::CommandText(command)});
  line->setData(0, kNodeKeyRole, script::CommandKey(number, command.Name));
  line->setIcon(0, m_.images().picture(script::CommandImage(m_.session().catalog, command.Name),
                                       large));
  if (script::IsComment(command.Name)) {
    line->setFlags(line->flags() | Qt::ItemIsEditable);
    return;
  }
  for (int k = 1; k <= jobfile::kParameterCount; ++k) {
    if (command.Data[k].isEmpty()) continue;
    auto* p = new QTreeWidgetItem(line, {command.Data[k]});
    p->setData(0, kNodeKeyRole, script::ParameterKey(number, k));
    p->setIcon(0, m_.images().picture(script::kParameterImage, large));
  }
}

void ScriptEditor::BuildScriptTree() {
  shown_ = m_.session().shown();
  {
    const QSignalBlocker block(tvCommandScript);
    const bool large = m_.session().prefs.LargeScriptIcons;
    applyIconSize(tvCommandScript);
    highlight_ = nullptr;  // its line goes with the others
    tvCommandScript->clear();
    auto* root = new QTreeWidgetItem(tvCommandScript, {QStringLiteral("Command Script")});
    root->setData(0, kNodeKeyRole, script::kRootKey);
    root->setIcon(0, m_.images().picture(script::kRootImage, large));
    if (const jobfile::RoziRoruner* r = current()) {
      for (int i = 1; i <= script::CommandCount(*r); ++i)
        addCommandLine(root, i, r->Commands[i - 1]);
    }
    root->setExpanded(true);
  }
  showCaption();
  setItemButtons();
  setClearAll();
}

void ScriptEditor::setClearAll() {
  const jobfile::RoziRoruner* r = current();
  buttons_.value(QStringLiteral("clearall"))->setEnabled(r && script::CommandCount(*r) >= 1);
}

void ScriptEditor::setItemButtons() {
  QTreeWidgetItem* item = tvCommandScript->currentItem();
  if (item && !item->isSelected()) item = nullptr;
  if (item && LineKey(item) == script::kRootKey) {
    const QSignalBlocker block(tvCommandScript);
    tvCommandScript->clearSelection();
    item = nullptr;
  }
  const jobfile::RoziRoruner* r = current();
  const bool line = item != nullptr && r != nullptr;
  const bool several = line && script::CommandCount(*r) >= 2;
  buttons_.value(QStringLiteral("comment"))->setEnabled(line);
  buttons_.value(QStringLiteral("clear"))->setEnabled(line);
  buttons_.value(QStringLiteral("up"))->setEnabled(several);
  buttons_.value(QStringLiteral("down"))->setEnabled(several);
}

void ScriptEditor::disableItemButtons() {
  for (const char* key : {"up", "down", "comment", "clear"})
    buttons_.value(QLatin1String(key))->setEnabled(false);
}

int ScriptEditor::selectedCommand() const {
  const QList<QTreeWidgetItem*> selected = tvCommandScript->selectedItems();
  return selected.isEmpty() ? 0 : script::CommandNumber(LineKey(selected.first()));
}

bool ScriptEditor::commandLineSelected() const {
  const QList<QTreeWidgetItem*> selected = tvCommandScript->selectedItems();
  return !selected.isEmpty() && IsCommandLine(LineKey(selected.first())) &&
         script::CommandNumber(LineKey(selected.first())) > 0;
}

bool ScriptEditor::selectCommand(int n) {
  if (n <= 0 || tvCommandScript->topLevelItemCount() == 0) return false;
  QTreeWidgetItem* root = tvCommandScript->topLevelItem(0);
  const QString prefix = QStringLiteral("C%1_").arg(n);
  for (int i = 0; i < root->childCount(); ++i) {
    QTreeWidgetItem* line = root->child(i);
    if (!LineKey(line).startsWith(prefix)) continue;
    tvCommandScript->setCurrentItem(line);
    tvCommandScript->scrollToItem(line);
    return true;
  }
  return false;
}

void ScriptEditor::apply(const script::Outcome& outcome) {
  if (!outcome.changed) return;
  BuildScriptTree();
  selectCommand(outcome.select);
}

void ScriptEditor::AddCommand() {
  jobfile::RoziRoruner* r = current();
  QTreeWidgetItem* chosen = tvCommandList->currentItem();
  if (!r || !chosen) return;
  // Only a module line of the palette adds a command, never a category.
  if (script::CommandNumber(LineKey(chosen)) == 0) return;
  if (!script::Append(*r, m_.session().catalog, chosen->text(0)).changed) return;
  // The new line is appended in place, so the other lines keep their state.
  addCommandLine(tvCommandScript->topLevelItem(0), script::CommandCount(*r), r->Commands.last());
  setClearAll();
}

void ScriptEditor::DeleteCommand(int number, bool confirm) {
  jobfile::RoziRoruner* r = current();
  if (!r || number < 1 || number > script::CommandCount(*r)) return;
  if (confirm &&
      prompts::message(QStringLiteral("Are you sure you want to remove command [") +
                           r->Commands[number - 1].Name + u']',
                       QStringLiteral("Remove Command"), prompts::Icon::None,
                       prompts::Buttons::YesNo) != prompts::Answer::Yes)
    return;
  const script::Outcome outcome = script::Remove(*r, number);
  if (!outcome.changed) return;
  removeLine(number);
  setClearAll();
  if (!selectCommand(outcome.select)) setItemButtons();
}

void ScriptEditor::removeLine(int number) {
  // Patched in place, so the other lines keep their expanded state: the command's
  // line goes with its parameter lines, and every line after it takes the number
  // one lower in its key.
  setHighlight(nullptr);
  const QSignalBlocker block(tvCommandScript);
  QTreeWidgetItem* root = tvCommandScript->topLevelItem(0);
  if (!root || number > root->childCount()) return;
  delete root->child(number - 1);
  const auto renumber = [](QTreeWidgetItem* line, int n) {
    const QString key = LineKey(line);
    line->setData(0, kNodeKeyRole, key.left(1) + QString::number(n) + key.mid(key.indexOf(u'_')));
  };
  for (int i = number - 1; i < root->childCount(); ++i) {
    QTreeWidgetItem* line = root->child(i);
    renumber(line, i + 1);
    for (int k = 0; k < line->childCount(); ++k) renumber(line->child(k), i + 1);
  }
}

void ScriptEditor::DeleteSelectedCommand() { DeleteCommand(selectedCommand(), true); }

void ScriptEditor::CommandUp() {
  if (jobfile::RoziRoruner* r = current()) apply(script::Up(*r, selectedCommand()));
}

void ScriptEditor::CommandDown() {
  if (jobfile::RoziRoruner* r = current()) apply(script::Down(*r, selectedCommand()));
}

void ScriptEditor::MoveCommand(int from, int before) {
  if (jobfile::RoziRoruner* r = current()) apply(script::Move(*r, from, before));
}

void ScriptEditor::CommentCommand() {
  if (jobfile::RoziRoruner* r = current()) apply(script::Toggle(*r, selectedCommand()));
}

void ScriptEditor::CopyCommand() {
  if (const jobfile::RoziRoruner* r = current()) script::Copy(*r, selectedCommand(), clip_);
}

void ScriptEditor::PasteCommand() {
  jobfile::RoziRoruner* r = current();
  if (!r) return;
  const int before = commandLineSelected() ? selectedCommand() : 1;
  apply(script::Paste(*r, m_.session().catalog, clip_, before));
}

void ScriptEditor::ClearScript() {
  jobfile::RoziRoruner* r = current();
  if (!r) return;
  if (prompts::message(QStringLiteral("Are you sure you want to clear the command-script?"),
                       QStringLiteral("Clear Command Script"), prompts::Icon::None,
                       prompts::Buttons::YesNo) != prompts::Answer::Yes)
    return;
  script::Clear(*r);
  BuildScriptTree();
}

void ScriptEditor::CommandProperties() {
  const int n = selectedCommand();
  const jobfile::RoziRoruner* r = current();
  if (!r || n < 1 || n > script::CommandCount(*r)) return;
  const QString name = r->Commands[n - 1].Name;
  if (script::IsComment(name)) {
    editComment(n);
    return;
  }
  const jobfile::CommandEntry before = r->Commands[n - 1];
  const bool stored = m_.ShowCommandProperties(QString::number(n), name);
  // A failure may still have stored some parameters (a plug-in that gave more than
  // thirty): the tree shows what the command now holds.
  r = current();
  if (!stored && (!r || n > script::CommandCount(*r) || r->Commands[n - 1] == before)) return;
  BuildScriptTree();
  selectCommand(n);
}

void ScriptEditor::editComment(int number) {
  const std::optional<Parameters> edited = m_.builtinDialogs().edit(
      BuiltinDialog::Comment, m_.session(), current()->Commands[number - 1]);
  // The dialog may have changed the model meanwhile: the command is looked up again.
  jobfile::RoziRoruner* r = current();
  if (!edited || !r || number > script::CommandCount(*r)) return;
  jobfile::CommandEntry& c = r->Commands[number - 1];
  if (!script::IsComment(c.Name)) return;
  for (int k = 1; k <= jobfile::kParameterCount; ++k) c.Data[k] = (*edited)[k];
  BuildScriptTree();
  selectCommand(number);
}

std::unique_ptr<QMenu> ScriptEditor::scriptMenu() {
  auto menu = std::make_unique<QMenu>(this);
  menu->setObjectName(QStringLiteral("mnuScript"));
  const bool command = commandLineSelected();
  auto add = [&](const char* caption, bool enabled, auto fn) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setEnabled(enabled);
    connect(a, &QAction::triggered, this, fn);
  };
  const int n = selectedCommand();
  add("Properties", command, [this] { CommandProperties(); });
  menu->addSeparator();
  add("Toggle Comment", true, [this] { CommentCommand(); });
  menu->addSeparator();
  add("Copy", command, [this] { CopyCommand(); });
  add("Paste", clip_.available, [this] { PasteCommand(); });
  menu->addSeparator();
  add("Delete", command, [this, n] { DeleteCommand(n, true); });
  menu->addSeparator();
  add("Up", true, [this] { CommandUp(); });
  add("Down", true, [this] { CommandDown(); });
  menu->addSeparator();
  add("Clear Script", true, [this] { ClearScript(); });
  return menu;
}

void ScriptEditor::commentEdited(QTreeWidgetItem* item) {
  jobfile::RoziRoruner* r = current();
  const QString key = LineKey(item);
  const int n = script::CommandNumber(key);
  if (!r || !IsCommandLine(key) || n < 1 || n > script::CommandCount(*r)) return;
  jobfile::CommandEntry& c = r->Commands[n - 1];
  if (!script::IsComment(c.Name)) return;
  // A text the file cannot carry would make every later save fail: refused, as the
  // comment dialog refuses it, and the line shows the comment it keeps.
  const QString refusal = CommentRefusal(item->text(0));
  if (refusal.isEmpty()) {
    c.Data[1] = item->text(0);
    return;
  }
  prompts::message(refusal, QStringLiteral("Edit Command: Comment"), prompts::Icon::Exclamation);
  const QSignalBlocker block(tvCommandScript);
  item->setText(0, c.Data[1]);
}

void ScriptEditor::setLargeIcons(bool large) {
  m_.session().prefs.LargeScriptIcons = large;
  BuildToolTree();
  BuildScriptTree();
}

void ScriptEditor::applyListExtent(bool withLeft) {
  const QString key = QString::fromLatin1(kManagerKey);
  // The stored number of a value, or nullopt when it is empty or no usable edge.
  const auto stored = [&key](const char* name) -> std::optional<int> {
    const QString text = GetRegString(key, QLatin1String(name));
    if (text.isEmpty()) return std::nullopt;
    const double v = LeadingNumber(text);
    if (!(std::abs(v) <= kMaxListTwips)) return std::nullopt;
    return static_cast<int>(v);
  };
  controls::panelayout::Geometry g = ZephContainer->childGeometry(tvCommandList);
  if (const auto left = withLeft ? stored("CSlistLeft") : std::nullopt) g.left = *left;
  // A width of nothing would hide the palette for good.
  if (const auto width = stored("CSlistWidth"); width && *width > 0) g.width = *width;
  ZephContainer->setChildGeometry(tvCommandList, g);
  ZephContainer->ArrangeChildren();
}

void ScriptEditor::saveListExtent(bool withLeft) {
  const controls::panelayout::Geometry g = ZephContainer->childGeometry(tvCommandList);
  const QString key = QString::fromLatin1(kManagerKey);
  if (withLeft) registry::writeValue(key, QStringLiteral("CSlistLeft"), QString::number(g.left));
  registry::writeValue(key, QStringLiteral("CSlistWidth"), QString::number(g.width));
}

bool ScriptEditor::scriptKey(QKeyEvent* event) {
  // The context menu from the keyboard, as the right button opens it: without it,
  // Copy and Paste could not be reached by keys.
  if (event->key() == Qt::Key_Menu ||
      (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
    showScriptMenuByKey();
    return true;
  }
  if (!commandLineSelected() || event->key() == Qt::Key_Escape) return false;
  QTreeWidgetItem* item = tvCommandScript->currentItem();
  // The edit key still opens a comment line for editing.
  if (event->key() == Qt::Key_F2 && item && (item->flags() & Qt::ItemIsEditable)) return false;
  if (event->key() == Qt::Key_Delete) DeleteCommand(selectedCommand(), false);
  return true;  // no other key acts on a command line
}

void ScriptEditor::showScriptMenuByKey() {
  QWidget* view = tvCommandScript->viewport();
  QTreeWidgetItem* line = tvCommandScript->currentItem();
  const QRect rect = line ? tvCommandScript->visualItemRect(line) : QRect();
  const QPoint at = rect.isValid() ? rect.bottomLeft() + QPoint(rect.height(), 0) : view->rect().center();
  scriptMenu()->exec(view->mapToGlobal(at));
}

bool ScriptEditor::eventFilter(QObject* watched, QEvent* event) {
  const bool mouse = event->type() == QEvent::MouseButtonPress ||
                     event->type() == QEvent::MouseMove ||
                     event->type() == QEvent::MouseButtonRelease;
  if (mouse && (watched == tvCommandList->viewport() || watched == tvCommandScript->viewport()) &&
      dragEvent(watched == tvCommandList->viewport() ? tvCommandList : tvCommandScript, event))
    return true;
  if (watched == tvCommandScript && event->type() == QEvent::KeyPress)
    return scriptKey(static_cast<QKeyEvent*>(event));
  // The item buttons act on the script's line: when the focus leaves the tree for
  // another control they are off, until a click on a line sets them again.
  if (watched == tvCommandScript && pagewidgets::leavesField(event)) disableItemButtons();
  if (watched == tvCommandList && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      AddCommand();
      return true;
    }
  }
  if (watched == tvCommandScript->viewport() && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    // The menu acts on the selected line; a right press does not change it.
    const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    scriptMenu()->exec(at);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void ScriptEditor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void ScriptEditor::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  tvCommandList->setFocus();  // the palette first: a module is chosen by its name
}

void ScriptEditor::closeEvent(QCloseEvent* event) {
  if (m_.session().Exiting) {
    event->accept();
    return;
  }
  saveListExtent(false);
  hide();
  event->ignore();
}

}  // namespace mvnz::manager::ui
