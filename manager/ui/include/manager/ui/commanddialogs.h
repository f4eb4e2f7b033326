#pragma once
// The property dialogs of the built-in commands Reschedule, LoadConfig and Comment.
// Each edits parameter 1 of one command; on OK parameter 1 holds the new text and
// parameters 2..30 are empty. Each shows its command's picture (Picture1); the
// picture buttons of Reschedule and LoadConfig open the tokens menu for the box.
#include <QDialog>
#include <QIcon>
#include <functional>

#include "manager/properties.h"

class QLineEdit;
class QRadioButton;
class QToolButton;

namespace mvnz::manager::ui {

class ImageLists;
class VariablesMenu;

// What a built-in dialog shows beside its fields: its command's picture and the
// tokens menu of its picture button (either may be missing).
struct DialogAids {
  QIcon picture;
  VariablesMenu* variables = nullptr;
};

class RescheduleDialog : public QDialog {
 public:
  explicit RescheduleDialog(const jobfile::CommandEntry& command, const DialogAids& aids = {},
                            QWidget* parent = nullptr);
  // The parameters to store: valid after the dialog was accepted.
  Parameters parameters() const;
  // The option of a kind letter ("I" ... "S", exactly), or nullptr.
  QRadioButton* option(const QString& letter) const;
  QLineEdit* valueBox() const { return value_; }

 private:
  QList<QRadioButton*> options_;
  QLineEdit* value_;
  QToolButton* picSelect_;
};

class LoadConfigDialog : public QDialog {
 public:
  // choose: the configuration-file chooser; "" means cancelled.
  LoadConfigDialog(const jobfile::CommandEntry& command, std::function<QString()> choose,
                   const DialogAids& aids = {}, QWidget* parent = nullptr);
  Parameters parameters() const;
  QLineEdit* pathBox() const { return path_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* path_;
  std::function<QString()> choose_;
  QToolButton* picShowPopup2_;
};

class CommentDialog : public QDialog {
 public:
  explicit CommentDialog(const jobfile::CommandEntry& command, const DialogAids& aids = {},
                         QWidget* parent = nullptr);
  Parameters parameters() const;
  QLineEdit* textBox() const { return text_; }
  // Saves unless the text holds a line break or the configuration's field separator,
  // which would split the stored command; then a box says so and the dialog stays.
  void save();

 private:
  QLineEdit* text_;
};

// The text a comment may not hold, or "" when it is acceptable.
QString CommentRefusal(const QString& text);

// The built-in dialogs installed in the manager.
class CommandDialogs : public BuiltinDialogs {
 public:
  // chooseConfig: the configuration-file chooser; variables: the tokens menu the
  // dialogs' boxes open; images: the pictures of the commands (either may be null).
  CommandDialogs(QWidget* owner, std::function<QString()> chooseConfig,
                 VariablesMenu* variables = nullptr, const ImageLists* images = nullptr)
      : owner_(owner),
        chooseConfig_(std::move(chooseConfig)),
        variables_(variables),
        images_(images) {}
  std::optional<Parameters> edit(BuiltinDialog which, Session& session,
                                 const jobfile::CommandEntry& command) override;

 private:
  QWidget* owner_;
  std::function<QString()> chooseConfig_;
  VariablesMenu* variables_;
  const ImageLists* images_;
};

}  // namespace mvnz::manager::ui
