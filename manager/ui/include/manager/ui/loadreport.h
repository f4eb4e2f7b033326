#pragma once
// The box that lists what a load of the configuration file passed over: every line
// that a save will not write back, each said as the daemon logs it.
#include <QDialog>

#include "manager/session.h"

class QPlainTextEdit;

namespace mvnz::manager::ui {

class LoadReportBox : public QDialog {
 public:
  // Nothing to list when the report passed over no line.
  explicit LoadReportBox(const LoadReport& report, QWidget* parent = nullptr);
  // One line of the list per line passed over.
  QPlainTextEdit* list() const { return lines_; }

 private:
  QPlainTextEdit* lines_;
};

// The sentence above the list.
QString LoadReportSentence(const LoadReport& report);

}  // namespace mvnz::manager::ui
