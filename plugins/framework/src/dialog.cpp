#include "plugins/dialog.h"

#include <dlfcn.h>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "platform/prompts.h"
#include "plugins/framework.h"
#include "plugins/popup.h"

namespace mvnz::plugin {
namespace {

// The folder of the plug-in library this code is linked into.
QString libraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&libraryFolder), &info) && info.dli_fname)
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
  return {};
}

// The start of an empty box's browse, and the text that means "nothing chosen".
const QString kBrowseRoot = QStringLiteral("/");

}  // namespace

QString BrowseForFile(const QString& kind, const QString& defaultPath, QWidget* owner) {
  QString filter, title;
  if (kind == QLatin1String("PROG")) {
    filter = QStringLiteral("Program files (*.exe *.com *.bat *.cmd)");
    title = QStringLiteral("Select Program File");
  } else {
    filter = QStringLiteral("All files (*)");
    title = QStringLiteral("Select File");
  }
  QFileDialog dlg(owner, title, libraryFolder(), filter);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return defaultPath;
  return dlg.selectedFiles().constFirst();
}

QString BrowseForFolder(const QString& title, const QString& defaultPath, QWidget* owner) {
  QFileDialog dlg(owner, title, defaultPath);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setOption(QFileDialog::ShowDirsOnly);
  dlg.setFileMode(QFileDialog::Directory);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return defaultPath;
  const QString chosen = dlg.selectedFiles().constFirst();
  return chosen.isEmpty() ? defaultPath : chosen;
}

PopupButton::PopupButton(QLineEdit* target, QWidget* parent) : QWidget(parent), target_(target) {
  setToolTip(QStringLiteral("click to select command/variable"));
  setFixedSize(18, 18);
  setCursor(Qt::PointingHandCursor);
}

void PopupButton::mousePressEvent(QMouseEvent* event) {
  target_->setFocus(Qt::MouseFocusReason);
  PopUp().popup(target_, event->globalPosition().toPoint());
  event->accept();
}

void PopupButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::WindowText));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.drawText(rect(), Qt::AlignCenter, QStringLiteral("<>"));
}

CommandDialog::CommandDialog(const QString& caption, const QString& header, int headerBorderStyle,
                             QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Edit Command: ") + caption);
  setModal(true);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(controls::makeHeaderPanel(header, this, static_cast<qint16>(headerBorderStyle)));
  grid_ = new QGridLayout;
  outer->addLayout(grid_);
  outer->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
  ok->setObjectName(QStringLiteral("cmdSave"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  outer->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &CommandDialog::Save);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(460, sizeHint().height());
}

QLineEdit* CommandDialog::addParameterBox(const QString& labelName, const QString& labelText,
                                          const QString& boxName, const QString& popupName,
                                          Browse browse, const QString& browseName) {
  // Below every row the grid holds, the dialog's own ones too.
  const int row = grid_->rowCount() + 1;
  auto* label = new QLabel(labelText, this);
  label->setObjectName(labelName);
  grid_->addWidget(label, row - 1, 0, 1, 3);
  auto* box = new QLineEdit(this);
  box->setObjectName(boxName);
  grid_->addWidget(box, row, 0);
  if (!popupName.isEmpty()) {
    auto* pop = new PopupButton(box, this);
    pop->setObjectName(popupName);
    grid_->addWidget(pop, row, 1);
  }
  if (browse != Browse::None) {
    auto* b = new QPushButton(QStringLiteral("..."), this);
    b->setObjectName(browseName);
    b->setFixedWidth(32);
    grid_->addWidget(b, row, 2);
    connect(b, &QPushButton::clicked, this, [this, box, browse] { BrowseInto(box, browse); });
  }
  return box;
}

QCheckBox* CommandDialog::addCheckBox(const QString& name, const QString& text) {
  auto* c = new QCheckBox(text, this);
  c->setObjectName(name);
  grid_->addWidget(c, grid_->rowCount(), 0, 1, 3);
  return c;
}

void CommandDialog::FillBox(QLineEdit* box, const QStringList& data, int index) {
  box->setText(Param(data, index));
}

void CommandDialog::FillCheck(QCheckBox* box, const QStringList& data, int index) {
  const QString t = Param(data, index);
  if (t.isEmpty()) return;
  box->setChecked(Val(t) != 0);
}

QString CommandDialog::CheckText(const QCheckBox* box) {
  return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void CommandDialog::BrowseInto(QLineEdit* box, Browse browse) {
  const bool wasEmpty = box->text().isEmpty();
  const QString start = wasEmpty ? kBrowseRoot : box->text();
  const QString chosen = browse == Browse::Folder
                             ? BrowseForFolder(QStringLiteral("Browse Directory"), start, this)
                             : BrowseForFile(QStringLiteral("FILE"), start, this);
  box->setText(wasEmpty && chosen == kBrowseRoot ? QString() : chosen);
}

void CommandDialog::Save() {
  for (QLineEdit* box : required_)
    if (box->text().isEmpty()) {
      prompts::beep();
      return;
    }
  StoreDialogData(Collect());
  accept();
}

namespace {

class FolderDialog final : public CommandDialog {
 public:
  FolderDialog(const QString& caption, const QString& header) : CommandDialog(caption, header) {
    box_ = addParameterBox(QStringLiteral("lblMessage"), QStringLiteral("Directory:"),
                           QStringLiteral("txtDirectory"), QStringLiteral("picShowPopup2"),
                           Browse::Folder, QStringLiteral("cmdBrowseDir"));
    setRequired({box_});
  }
  QLineEdit* box_;

 protected:
  QStringList Collect() const override { return {box_->text()}; }
};

}  // namespace

void ShowFolderDialog(const QString& caption, const QString& header, const QStringList& data) {
  FolderDialog dlg(caption, header);
  CommandDialog::FillBox(dlg.box_, data, 1);
  dlg.exec();
}

}  // namespace mvnz::plugin
