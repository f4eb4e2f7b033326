#include "manager/ui/constantsdialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "manager/session.h"
#include "manager/ui/choosers.h"
#include "pagewidgets.h"

namespace mvnz::manager::ui {

namespace {

// The local ones belong to the RoziRoruner the dialog was opened on, and to no other.
jobfile::Constants* constantsOf(Session& s, ConstantsDialog::Scope scope, const ShownRoziRoruner& shown) {
  if (scope == ConstantsDialog::Scope::Global) return &s.model.Globals.GlobalConstants;
  jobfile::RoziRoruner* r = s.record(shown);
  return r ? &r->LocalConstants : nullptr;
}

QString* initialOf(Session& s, ConstantsDialog::Scope scope, const ShownRoziRoruner& shown) {
  if (scope == ConstantsDialog::Scope::Global) return &s.model.Globals.InitialGlobalsValue;
  jobfile::RoziRoruner* r = s.record(shown);
  return r ? &r->InitialLocalsValue : nullptr;
}

// Selects a box's whole text whenever it gets the focus.
class SelectOnFocus : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn)
      if (auto* box = qobject_cast<QLineEdit*>(watched)) QTimer::singleShot(0, box, [box] { box->selectAll(); });
    return false;
  }
};

}  // namespace

ConstantsDialog::ConstantsDialog(Scope scope, Session& session, QWidget* parent)
    : QDialog(parent), scope_(scope), session_(session), shown_(session.shown()) {
  const bool local = scope == Scope::Local;
  setObjectName(local ? QStringLiteral("frmLocalConstants") : QStringLiteral("frmGlobalConstants"));
  setWindowTitle(local ? QString::fromUtf8("RoziRoruner \xC2\xB7 Local Constants") : QStringLiteral("Global Constants"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(
      local ? QStringLiteral("Define Local Constants") : QStringLiteral("Define Global Constants"), this));

  auto* focus = new SelectOnFocus(this);
  const jobfile::Constants* values = constantsOf(session_, scope_, shown_);
  auto* grid = new QGridLayout;
  for (int k = 0; k < jobfile::kConstantCount; ++k) {
    const QString value = values ? (*values)[k + 1] : QString();
    edited_ << value;
    auto* label = new QLabel(QStringLiteral("Constant-%1 :").arg(k + 1), this);
    label->setObjectName(QStringLiteral("lblConstant_%1").arg(k));
    auto* box = new QLineEdit(value, this);
    box->setObjectName(QStringLiteral("txtConstant_%1").arg(k));
    box->installEventFilter(focus);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 36);  // room for a path
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setObjectName(QStringLiteral("cmdBrowseConstant_%1").arg(k));
    grid->addWidget(label, k, 0);
    grid->addWidget(box, k, 1);
    grid->addWidget(browse, k, 2);
    txtConstant_ << box;
    connect(box, &QLineEdit::textChanged, this, [this, k](const QString& t) { edited_[k] = t; });
    connect(browse, &QPushButton::clicked, this, [this, k] { this->browse(k); });
  }
  layout->addLayout(grid);

  auto* initialRow = new QHBoxLayout;
  auto* initialLabel = new QLabel(local ? QStringLiteral("Preset Local Variables to :")
                                        : QStringLiteral("Preset Global Variables to :"),
                                  this);
  initialLabel->setObjectName(QStringLiteral("lblInitialLocals"));
  const QString* initialValue = initialOf(session_, scope_, shown_);
  initial_ = new QLineEdit(initialValue ? *initialValue : QStringLiteral("0"), this);
  initial_->setObjectName(local ? QStringLiteral("txtInitialLocals") : QStringLiteral("txtInitialGlobalValue"));
  initial_->installEventFilter(focus);
  connect(initial_, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (QString* v = initialOf(session_, scope_, shown_)) *v = t;
  });
  initialRow->addWidget(initialLabel);
  initialRow->addWidget(initial_, 1);
  layout->addLayout(initialRow);

  auto* buttons = new QHBoxLayout;
  const struct {
    const char* name;
    const char* caption;
  } bs[] = {{"cmdClearAll", "Clear &All"}, {"cmdOk", "&Ok"}, {"cmdCancel", "&Cancel"}};
  for (const auto& b : bs) {
    auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
    button->setObjectName(QLatin1String(b.name));
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  connect(findChild<QPushButton*>(QStringLiteral("cmdClearAll")), &QPushButton::clicked, this,
          &ConstantsDialog::clearAll);
  connect(findChild<QPushButton*>(QStringLiteral("cmdOk")), &QPushButton::clicked, this, [this] {
    apply();
    accept();
  });
  connect(findChild<QPushButton*>(QStringLiteral("cmdCancel")), &QPushButton::clicked, this, &QDialog::reject);
}

void ConstantsDialog::clearAll() {
  for (QLineEdit* box : txtConstant_) box->clear();
}

void ConstantsDialog::apply() {
  jobfile::Constants* values = constantsOf(session_, scope_, shown_);
  if (!values) return;
  for (int n = 1; n <= jobfile::kConstantCount; ++n) (*values)[n] = edited_[n - 1];
}

void ConstantsDialog::browse(int k) {
  QLineEdit* box = txtConstant_[k];
  const QString before = box->text();
  const QString result =
      SelectFolder(this, QStringLiteral("Select Directory:"), before.isEmpty() ? QStringLiteral("C:") : before);
  box->setText(pagewidgets::chosenFolder(before, result));
}

void ShowLocalConstants(Session& session, QWidget* parent) {
  if (!session.current()) return;
  ConstantsDialog(ConstantsDialog::Scope::Local, session, parent).exec();
}

void ShowGlobalConstants(Session& session, QWidget* parent) {
  ConstantsDialog(ConstantsDialog::Scope::Global, session, parent).exec();
}

}  // namespace mvnz::manager::ui
