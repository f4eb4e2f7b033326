#pragma once
// The regular-expression list editor frmRegExp (one expression per line, joined into
// the page's filter field on Ok and checked with the system's engine) and the tester
// frmRegExpTest (one expression against a test text, with the daemon's engine and
// options, optionally replacing the match).
#include <QDialog>

#include "manager/ui/roziroruner_page.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace mvnz::manager::ui {

class RegExpEditor : public QDialog {
 public:
  // Edits the list of the page's field (txtFilter or txtReject): shown one per line.
  RegExpEditor(FilterList list, QLineEdit* field, QWidget* parent = nullptr);
  QPlainTextEdit* expressions() const { return rtFilter_; }
  // Ok: the joined list goes into the field; the editor closes unless an expression is
  // invalid, which a box names (the field keeps the joined text).
  void save();

 private:
  QLineEdit* field_;
  QPlainTextEdit* rtFilter_;
};

class RegExpTester : public QDialog {
 public:
  explicit RegExpTester(QWidget* parent = nullptr);
  // "&Test" and "&Replace": the outcome goes to txtResult; an engine error shows a box
  // and leaves txtResult as it was.
  void test();
  void replace();
  QLineEdit* subjectBox() const { return txtString_; }
  QLineEdit* patternBox() const { return txtRegExpTest_; }
  QLineEdit* replacementBox() const { return txtReplace_; }
  QLineEdit* resultBox() const { return txtResult_; }

 private:
  QLineEdit *txtString_, *txtRegExpTest_, *txtReplace_, *txtOptions_, *txtResult_;
};

// The editor on the page's list field, modal.
void EditRegExpList(FilterList list, QLineEdit* field, QWidget* parent);
// The tester, modal, empty.
void ShowRegExpTester(QWidget* parent);

}  // namespace mvnz::manager::ui
