#include "dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "library/catalogue.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::assignvalue {
namespace {

using P = catalogue::param::AssignValue;

using plugin::CommandDialog;

struct FunctionRows {
  const char* name;
  const char* captions[3];
};

// The function list in its order, with the captions of operand rows 1 to 3; an empty
// caption hides its row. Row 4 has no caption for any function.
const FunctionRows kFunctions[] = {
    {"InitVariable", {"New Value of Variable :", "", ""}},
    {"SubString",
     {"Start of SubString :", "Length of SubString :", "String to Perform Function on :"}},
    {"StringLength", {"String :", "", ""}},
    {"FindString",
     {"Start at Position :", "Search for String :", "String to Perform Function on :"}},
    {"TrimString", {"String to Perform Function on :", "", ""}},
    {"UpperCase", {"String :", "", ""}},
    {"LowerCase", {"String :", "", ""}},
    {"ReplaceChar",
     {"Search for Char(s) :", "Replace With String :", "String to Perform Function on :"}},
    {"ReplaceString",
     {"Search for String :", "Replace With String :", "String to Perform Function on :"}},
    {"ReplaceSpace", {"String to Perform Function on :", "Replace String :", ""}},
    {"StripChar", {"Char(s) to Strip :", "String to Perform Function on :", ""}},
    {"Add", {"Value-1 :", "Value-2 :", ""}},
    {"Subtract", {"Value-1 :", "Value-2 :", ""}},
    {"Multiply", {"Value-1 :", "Value-2 :", ""}},
    {"Divide", {"Value-1 :", "Value-2 :", ""}},
};

// Compared without regard to case, as the action compares the function name, so a
// command written in another case still shows its operand rows.
const FunctionRows* findFunction(const QString& text) {
  for (const FunctionRows& f : kFunctions)
    if (text.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

// Operand rows (from row 1) that a function stores.
int operandRows(const QString& text) {
  const FunctionRows* f = findFunction(text);
  if (!f) return 0;
  int n = 0;
  while (n < 3 && *f->captions[n]) ++n;
  return n;
}

// Dialog height by the number of rows shown, in twips (15 twips per pixel).
int heightForRows(int rows) { return (2895 + 600 * rows) / 15; }

class AssignValueDialog final : public CommandDialog {
 public:
  AssignValueDialog()
      : CommandDialog(QStringLiteral("Assign Value"), QStringLiteral("Command: AssignValue")) {
    auto* scope = new QHBoxLayout;
    local_ = new QRadioButton(QStringLiteral("Local"), this);
    local_->setObjectName(QStringLiteral("optLocal"));
    global_ = new QRadioButton(QStringLiteral("Global"), this);
    global_->setObjectName(QStringLiteral("optGlobal"));
    scope->addWidget(local_);
    scope->addWidget(global_);
    scope->addStretch(1);
    grid()->addLayout(scope, 0, 0, 1, 3);

    number_ = addCombo(QStringLiteral("lblVarNum"), QStringLiteral("Var Number :"),
                       QStringLiteral("cmbVarNum"), 1);
    function_ = addCombo(QStringLiteral("lblFunction"), QStringLiteral("Function :"),
                         QStringLiteral("cmbVarFunction"), 2);
    for (int n = 1; n <= 15; ++n) number_->addItem(QString::number(n));
    for (const FunctionRows& f : kFunctions) function_->addItem(QLatin1String(f.name));
    for (QComboBox* c : {number_, function_}) {
      c->setCurrentIndex(-1);
      c->setEditText(QString());
    }

    for (int k = 0; k < 4; ++k) {
      const QString n = QString::number(k + 1);
      boxes_[k] = addParameterBox(QStringLiteral("lblData") + n, QStringLiteral("Data%1:").arg(n),
                                  QStringLiteral("txtData") + n, QStringLiteral("picPopup") + n,
                                  Browse::File, QStringLiteral("cmdBrowse") + n);
      labels_[k] = findChild<QLabel*>(QStringLiteral("lblData") + n);
      extras_[k] = {findChild<QWidget*>(QStringLiteral("picPopup") + n),
                    findChild<QWidget*>(QStringLiteral("cmdBrowse") + n)};
    }
    verbose_ =
        addCheckBox(QStringLiteral("chkDisableVerbose"), QStringLiteral("Disable Verbose Logging"));
    setRequired({number_->lineEdit(), function_->lineEdit()});
    // A function chosen from the list or typed: new captions, empty operands.
    connect(function_, &QComboBox::editTextChanged, this, [this] { FunctionChanged(); });
    FunctionChanged();
  }

  void Fill(const QStringList& data) {
    // The scope compares without regard to case, as the action does: a "GLOBAL"
    // command stays global when it is saved again.
    if (plugin::Param(data, P::Scope).compare(QLatin1String("Global"), Qt::CaseInsensitive) == 0)
      global_->setChecked(true);
    else
      local_->setChecked(true);
    if (!plugin::Param(data, P::Number).isEmpty())
      number_->setEditText(plugin::Param(data, P::Number));
    const QString function = plugin::Param(data, P::Function);
    if (!function.isEmpty()) function_->setEditText(function);
    // The operands after the function, so its handler does not wipe them.
    for (int k = 0; k < 4; ++k)
      if (!plugin::Param(data, P::Data1 + k).isEmpty())
        boxes_[k]->setText(plugin::Param(data, P::Data1 + k));
    FillCheck(verbose_, data, P::DisableVerbose);
    if (!findFunction(function)) function_->setEditText(QStringLiteral("InitVariable"));
  }

 protected:
  QStringList Collect() const override {
    QStringList d(8);
    d[0] = local_->isChecked()    ? QStringLiteral("Local")
           : global_->isChecked() ? QStringLiteral("Global")
                                  : QStringLiteral("USER");
    d[1] = number_->currentText();
    d[2] = function_->currentText();
    // Only the rows the function uses; a hidden row's text is not stored.
    const int rows = operandRows(d[2]);
    for (int k = 0; k < rows; ++k) d[3 + k] = boxes_[k]->text();
    d[7] = CheckText(verbose_);
    return d;
  }

 private:
  QComboBox* addCombo(const QString& labelName, const QString& text, const QString& name, int row) {
    auto* label = new QLabel(text, this);
    label->setObjectName(labelName);
    auto* combo = new QComboBox(this);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    auto* line = new QHBoxLayout;
    line->addWidget(label);
    line->addWidget(combo, 1);
    grid()->addLayout(line, row, 0, 1, 3);
    return combo;
  }

  void FunctionChanged() {
    const FunctionRows* f = findFunction(function_->currentText());
    int shown = 0;
    for (int k = 0; k < 4; ++k) {
      const QString caption = f && k < 3 ? QLatin1String(f->captions[k]) : QString();
      labels_[k]->setText(caption);
      boxes_[k]->clear();
      const bool show = !caption.isEmpty();
      labels_[k]->setVisible(show);
      boxes_[k]->setVisible(show);
      for (QWidget* w : extras_[k])
        if (w) w->setVisible(show);
      if (show && shown == k) ++shown;
    }
    layout()->activate();
    resize(width(), heightForRows(shown));
  }

  QRadioButton* local_;
  QRadioButton* global_;
  QComboBox* number_;
  QComboBox* function_;
  QLineEdit* boxes_[4];
  QLabel* labels_[4];
  std::array<QWidget*, 2> extras_[4];
  QCheckBox* verbose_;
};

}  // namespace

void ShowAssignValueDialog(const QStringList& data) {
  AssignValueDialog dlg;
  dlg.Fill(data);
  dlg.exec();
}

}  // namespace mvnz::assignvalue
