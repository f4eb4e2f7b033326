#include "manager/ui/commanddialogs.h"

#include <QButtonGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "dialogparts.h"
#include "manager/script.h"
#include "manager/session.h"
#include "manager/ui/choosers.h"
#include "manager/ui/erroractiondialog.h"
#include "manager/ui/imagelists.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui {

using namespace dialogparts;

namespace {

// Parameter 1 as given, 2..30 empty.
Parameters onlyFirst(const QString& data1) {
  Parameters out;
  out[1] = data1;
  return out;
}

struct RescheduleOption {
  char letter;
  const char* name;
  const char* caption;
};
constexpr RescheduleOption kRescheduleOptions[] = {
    {'I', "optInterval", "Interval (sec.)"},
    {'M', "optAddMinutes", "Plus n Minutes"},
    {'H', "optAddHours", "Plus n Hours"},
    {'D', "optAddDays", "Plus n Days"},
    {'W', "optWeek", "Plus n Weeks"},
    {'N', "optMonth", "Plus n Months"},
    {'T', "optTomorrow", "Tomorrow at hh:mm"},
    {'S', "optDateTime", "At dd-mmm-yyyy hh:mm"},
};

}  // namespace

RescheduleDialog::RescheduleDialog(const jobfile::CommandEntry& command, const DialogAids& aids,
                                   QWidget* parent)
    : QDialog(parent),
      value_(makeBox(QStringLiteral("txtInterval"), {}, this)),
      picSelect_(tokensButton(this, "picSelect", aids.variables, value_)) {
  startDialog(this, QStringLiteral("frmCommandReschedule"),
              QStringLiteral("Edit Command: Reschedule"));
  auto* group = new QButtonGroup(this);
  auto* grid = new QGridLayout;
  for (const RescheduleOption& o : kRescheduleOptions) {
    auto* button = new QRadioButton(QString::fromLatin1(o.caption), this);
    button->setObjectName(QString::fromLatin1(o.name));
    group->addButton(button);
    grid->addWidget(button, int(options_.size()) % 4, int(options_.size()) / 4);
    options_.append(button);
  }
  options_.front()->setChecked(true);
  // A letter that is none of the eight selects nothing, so the first kind stays.
  if (const std::optional<ReschedulePieces> stored = SplitReschedule(command.Data[1])) {
    if (QRadioButton* b = option(stored->letter)) b->setChecked(true);
    value_->setText(stored->value);
  }
  auto* valueRow = new QHBoxLayout;
  valueRow->addWidget(makeLabel(QStringLiteral("Label1"), QStringLiteral("Value :"), this));
  valueRow->addWidget(value_);
  valueRow->addWidget(picSelect_);
  auto* fields = new QVBoxLayout;
  fields->addLayout(grid);
  fields->addLayout(valueRow);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("Command: Reschedule"), this));
  layout->addLayout(besidePicture(this, "Picture1", aids.picture, fields));
  layout->addLayout(makeButtons(this, [this] { accept(); }));
}

QRadioButton* RescheduleDialog::option(const QString& letter) const {
  for (qsizetype i = 0; i < options_.size(); ++i)
    if (letter == QLatin1Char(kRescheduleOptions[i].letter)) return options_[i];
  return nullptr;
}

Parameters RescheduleDialog::parameters() const {
  for (qsizetype i = 0; i < options_.size(); ++i)
    if (options_[i]->isChecked())
      return onlyFirst(QLatin1Char(kRescheduleOptions[i].letter) + QStringLiteral(",") +
                       value_->text());
  // The group always has one checked; keep the first kind should that ever fail.
  return onlyFirst(QStringLiteral("I,") + value_->text());
}

LoadConfigDialog::LoadConfigDialog(const jobfile::CommandEntry& command,
                                   std::function<QString()> choose, const DialogAids& aids,
                                   QWidget* parent)
    : QDialog(parent),
      path_(makeBox(QStringLiteral("txtConfigFile"), command.Data[1], this)),
      choose_(std::move(choose)),
      picShowPopup2_(tokensButton(this, "picShowPopup2", aids.variables, path_)) {
  startDialog(this, QStringLiteral("frmCommandLoadConfig"),
              QStringLiteral("Edit Command: Load Config"));
  path_->setAcceptDrops(true);
  path_->installEventFilter(this);
  connect(path_, &QLineEdit::returnPressed, this, &QDialog::accept);
  auto* browse = new QPushButton(QStringLiteral("..."), this);
  browse->setObjectName(QStringLiteral("cmdLoadConfig"));
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = choose_ ? choose_() : QString();
    if (!chosen.isEmpty()) path_->setText(chosen);
  });
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path_);
  pathRow->addWidget(browse);
  pathRow->addWidget(picShowPopup2_);
  auto* fields = new QVBoxLayout;
  fields->addWidget(makeLabel(QStringLiteral("lblMessage"),
                              QStringLiteral("Mervane Zuri Configuration File :"), this));
  fields->addLayout(pathRow);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("Command: LoadConfig"), this));
  layout->addLayout(besidePicture(this, "Picture1", aids.picture, fields));
  layout->addLayout(makeButtons(this, [this] { accept(); }));
  resize(460, sizeHint().height());
}

Parameters LoadConfigDialog::parameters() const { return onlyFirst(path_->text()); }

namespace {

// The first local file a drag carries, or "" when it carries none.
QString firstDroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  return urls.isEmpty() || !urls.front().isLocalFile() ? QString() : urls.front().toLocalFile();
}

}  // namespace

// Files may be dropped on the path box; a folder may not. The box takes the first
// file's full path and ignores the rest.
bool LoadConfigDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched != path_) return QDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      const QString file = firstDroppedFile(drag->mimeData());
      if (!file.isEmpty() && !QFileInfo(file).isDir() &&
          (drag->possibleActions() & Qt::CopyAction)) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QString file = firstDroppedFile(drop->mimeData());
      if (!file.isEmpty()) {
        path_->setText(QFileInfo(file).absoluteFilePath());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
      } else {
        drop->ignore();
      }
      return true;
    }
    default:
      return QDialog::eventFilter(watched, event);
  }
}

// What joins a command's name and parameters in the configuration file.
const QString kFieldSeparator = QStringLiteral("]~[");

QString CommentRefusal(const QString& text) {
  if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
    return QStringLiteral("A comment cannot hold a line break.");
  if (text.contains(kFieldSeparator))
    return QStringLiteral("A comment cannot hold \"") + kFieldSeparator + QStringLiteral("\".");
  return {};
}

CommentDialog::CommentDialog(const jobfile::CommandEntry& command, const DialogAids& aids,
                             QWidget* parent)
    : QDialog(parent), text_(makeBox(QStringLiteral("txtComment"), command.Data[1], this)) {
  startDialog(this, QStringLiteral("frmCommandComment"), QStringLiteral("Edit Command: Comment"));
  connect(text_, &QLineEdit::returnPressed, this, &CommentDialog::save);
  auto* fields = new QVBoxLayout;
  fields->addWidget(makeLabel(QStringLiteral("lblMessage"), QStringLiteral("Comment :"), this));
  fields->addWidget(text_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("Command: Comment"), this));
  layout->addLayout(besidePicture(this, "Picture1", aids.picture, fields));
  layout->addLayout(makeButtons(this, [this] { save(); }));
  text_->selectAll();
  resize(420, sizeHint().height());
}

void CommentDialog::save() {
  const QString refusal = CommentRefusal(text_->text());
  if (!refusal.isEmpty()) {
    prompts::message(refusal, windowTitle(), prompts::Icon::Exclamation);
    text_->setFocus();
    return;
  }
  accept();
}

Parameters CommentDialog::parameters() const { return onlyFirst(text_->text()); }

std::optional<Parameters> CommandDialogs::edit(BuiltinDialog which, Session& session,
                                               const jobfile::CommandEntry& command) {
  DialogAids aids;
  aids.variables = variables_;
  if (images_) aids.picture = images_->large(script::CommandImage(session.catalog, command.Name));
  switch (which) {
    case BuiltinDialog::Reschedule: {
      RescheduleDialog dialog(command, aids, owner_);
      if (dialog.exec() != QDialog::Accepted) return std::nullopt;
      return dialog.parameters();
    }
    case BuiltinDialog::Comment: {
      CommentDialog dialog(command, aids, owner_);
      if (dialog.exec() != QDialog::Accepted) return std::nullopt;
      return dialog.parameters();
    }
    case BuiltinDialog::LoadConfig: {
      LoadConfigDialog dialog(command, chooseConfig_, aids, owner_);
      if (dialog.exec() != QDialog::Accepted) return std::nullopt;
      return dialog.parameters();
    }
    case BuiltinDialog::ErrorAction: {
      ErrorActionContext context;
      for (const jobfile::RoziRoruner& r : session.model.RoziRoruners) context.roziRoruners << r.Name;
      context.current = session.CurrentRoziRoruner;
      context.parent = session.parentIndex.value(session.CurrentRoziRoruner, kNoParent);
      context.chooseFolder = [this](const QString& title, const QString& start) {
        return SelectFolder(owner_, title, start);
      };
      context.variables = variables_;
      ErrorActionDialog dialog(command, std::move(context), owner_);
      if (dialog.exec() != QDialog::Accepted) return std::nullopt;
      return dialog.parameters();
    }
  }
  return std::nullopt;
}

}  // namespace mvnz::manager::ui
