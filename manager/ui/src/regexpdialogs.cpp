#include "manager/ui/regexpdialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "manager/filters.h"
#include "pagewidgets.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui {

namespace {

QPushButton* makeButton(const char* name, const QString& text, QWidget* parent) {
  auto* b = pagewidgets::named(new QPushButton(text, parent), name);
  b->setAutoDefault(false);
  return b;
}

QLineEdit* makeBox(const char* name, QWidget* parent) { return pagewidgets::textBox(parent, name, nullptr); }

}  // namespace

RegExpEditor::RegExpEditor(FilterList list, QLineEdit* field, QWidget* parent)
    : QDialog(parent), field_(field), rtFilter_(new QPlainTextEdit(this)) {
  const bool input = list == FilterList::Input;
  setObjectName(QStringLiteral("frmRegExp"));
  setWindowTitle(input ? QStringLiteral("Regular Expressions \u00b7 Filter")
                       : QStringLiteral("Regular Expressions \u00b7 Reject"));
  setModal(true);
  auto* lblType = new QLabel(input ? QStringLiteral("Filter \u00b7 Regular Expression List")
                                   : QStringLiteral("Reject \u00b7 Regular Expression List"),
                             this);
  lblType->setObjectName(QStringLiteral("lblType"));
  rtFilter_->setObjectName(QStringLiteral("rtFilter"));
  rtFilter_->setLineWrapMode(QPlainTextEdit::NoWrap);
  rtFilter_->setFont(QFont(QStringLiteral("monospace")));
  rtFilter_->setPlainText(FilterLines(field_ ? field_->text() : QString()));

  QPushButton* test = makeButton("asxTest", QStringLiteral("&Test"), this);
  QPushButton* ok = makeButton("cmdOk", QStringLiteral("&Ok"), this);
  QPushButton* cancel = makeButton("cmdCancel", QStringLiteral("&Cancel"), this);
  connect(test, &QPushButton::clicked, this, [this] { ShowRegExpTester(this); });
  connect(ok, &QPushButton::clicked, this, &RegExpEditor::save);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(test);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("One regular-expression per line!"), this));
  layout->addWidget(lblType);
  layout->addWidget(rtFilter_, 1);
  layout->addLayout(buttons);
  resize(440, 320);
}

void RegExpEditor::save() {
  const QString joined = JoinFilterLines(rtFilter_->toPlainText());
  // The field's own change handling stores the list into the RoziRoruner.
  if (field_) field_->setText(joined);
  if (const std::optional<QString> invalid = FirstInvalidExpression(joined)) {
    prompts::message(QStringLiteral("Regular Expression: \n\n") + *invalid + QStringLiteral("\n\nis invalid!"),
                     QStringLiteral("Invalid Regular Expression"), prompts::Icon::Exclamation);
    rtFilter_->setFocus();
    return;
  }
  accept();
}

RegExpTester::RegExpTester(QWidget* parent)
    : QDialog(parent),
      txtString_(makeBox("txtString", this)),
      txtRegExpTest_(makeBox("txtRegExpTest", this)),
      txtReplace_(makeBox("txtReplace", this)),
      txtOptions_(makeBox("txtOptions", this)),
      txtResult_(makeBox("txtResult", this)) {
  setObjectName(QStringLiteral("frmRegExpTest"));
  setWindowTitle(QStringLiteral("Test Regular Expressions"));
  setModal(true);
  // Patterns are tried as the daemon tries its filters, without options: the box
  // stays for the layout but is not read.
  txtOptions_->setEnabled(false);
  txtOptions_->setToolTip(QStringLiteral("Filters are matched without options"));
  txtResult_->setReadOnly(true);

  auto* form = new QFormLayout;
  const struct {
    const char* label;
    const char* name;
    QLineEdit* box;
  } rows[] = {{"Test String :", "lblString", txtString_},
              {"Regular Expression :", "lblRegExpTest", txtRegExpTest_},
              {"Replace String :", "lblReplace", txtReplace_},
              {"Options :", "lblOptions", txtOptions_},
              {"Result :", "lblResult", txtResult_}};
  for (const auto& r : rows) {
    auto* label = new QLabel(QLatin1String(r.label), this);
    label->setObjectName(QLatin1String(r.name));
    label->setBuddy(r.box);
    form->addRow(label, r.box);
  }
  QPushButton* test = makeButton("asxTest", QStringLiteral("&Test"), this);
  QPushButton* replace = makeButton("asxReplace", QStringLiteral("&Replace"), this);
  QPushButton* ok = makeButton("cmdOk", QStringLiteral("&Ok"), this);
  connect(test, &QPushButton::clicked, this, &RegExpTester::test);
  connect(replace, &QPushButton::clicked, this, &RegExpTester::replace);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(test);
  buttons->addWidget(replace);
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QString(), this));
  layout->addLayout(form);
  layout->addLayout(buttons);
  resize(460, sizeHint().height());
}

namespace {

void showOutcome(QLineEdit* result, const RegExprTestOutcome& outcome) {
  if (outcome.failed)
    prompts::message(outcome.text, QStringLiteral("ERROR"), prompts::Icon::Critical);
  else
    result->setText(outcome.text);
}

}  // namespace

void RegExpTester::test() { showOutcome(txtResult_, TestRegExpr(txtString_->text(), txtRegExpTest_->text())); }

void RegExpTester::replace() {
  showOutcome(txtResult_, ReplaceRegExpr(txtString_->text(), txtRegExpTest_->text(), txtReplace_->text()));
}

void EditRegExpList(FilterList list, QLineEdit* field, QWidget* parent) {
  RegExpEditor editor(list, field, parent);
  editor.exec();
}

void ShowRegExpTester(QWidget* parent) {
  RegExpTester tester(parent);
  tester.exec();
}

}  // namespace mvnz::manager::ui
