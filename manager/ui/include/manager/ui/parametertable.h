#pragma once
// The built-in commands' property dialogs until their own dialogs exist: one plain
// table of the command's thirty parameters, stored only on OK.
#include <QDialog>

#include "manager/properties.h"

class QTableWidget;

namespace mvnz::manager::ui {

class ParameterTableDialog : public QDialog {
 public:
  ParameterTableDialog(const jobfile::CommandEntry& command, QWidget* parent = nullptr);
  Parameters parameters() const;
  QTableWidget* table() const { return table_; }

 private:
  QTableWidget* table_;
};

class ParameterTableDialogs : public BuiltinDialogs {
 public:
  explicit ParameterTableDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  std::optional<Parameters> edit(BuiltinDialog which, Session& session,
                                 const jobfile::CommandEntry& command) override;

 private:
  QWidget* owner_;
};

}  // namespace mvnz::manager::ui
