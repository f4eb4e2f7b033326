#pragma once
// The common behaviour of the plug-ins' command dialogs: caption "Edit Command: ...",
// a header panel "Command: ...", parameter boxes with pop-up and browse buttons,
// "&Ok" that refuses (beeps) while a required box is empty and otherwise stores the
// data list, "&Cancel" that stores nothing.
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace mvnz::plugin {

// Open-file dialog: kind "PROG" offers program files, any other kind all files.
// A cancelled dialog returns defaultPath.
QString BrowseForFile(const QString& kind, const QString& defaultPath, QWidget* owner = nullptr);
// Folder dialog starting in defaultPath; a cancelled dialog returns defaultPath.
QString BrowseForFolder(const QString& title, const QString& defaultPath, QWidget* owner = nullptr);

// A small button beside a parameter box: any mouse button focuses the box and opens
// the variables pop-up menu at the mouse position.
class PopupButton : public QWidget {
  Q_OBJECT
 public:
  PopupButton(QLineEdit* target, QWidget* parent);
  QLineEdit* target() const { return target_; }

 protected:
  void mousePressEvent(class QMouseEvent* event) override;
  void paintEvent(class QPaintEvent* event) override;

 private:
  QLineEdit* target_;
};

class CommandDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Browse { None, File, Folder };

  // caption: the text after "Edit Command: "; header: the header panel's caption.
  CommandDialog(const QString& caption, const QString& header, int headerBorderStyle = 7,
                QWidget* parent = nullptr);

  // A labelled parameter box with an optional pop-up button (popupName empty: none)
  // and browse button ("..."), named as given.
  QLineEdit* addParameterBox(const QString& labelName, const QString& labelText,
                             const QString& boxName, const QString& popupName,
                             Browse browse = Browse::None, const QString& browseName = {});
  QCheckBox* addCheckBox(const QString& name, const QString& text);
  // Boxes that OK requires to be non-empty.
  void setRequired(const QList<QLineEdit*>& boxes) { required_ = boxes; }

  // Field filling from a command's Data: text boxes take the text unchanged; a check
  // box is set to Val(text) only when the text is not empty.
  static void FillBox(QLineEdit* box, const QStringList& data, int index);
  static void FillCheck(QCheckBox* box, const QStringList& data, int index);
  static QString CheckText(const QCheckBox* box);  // "1" ticked, "0" clear

  // The browse-button rule: browse from the box's text, or from the root folder when
  // it is empty (a result of exactly that root empties the box again).
  void BrowseInto(QLineEdit* box, Browse browse);

 protected:
  // The values of data list elements 1..n, in order, once the required boxes are filled.
  virtual QStringList Collect() const = 0;
  QGridLayout* grid() const { return grid_; }

 private:
  void Save();
  QGridLayout* grid_ = nullptr;
  QList<QLineEdit*> required_;
};

// The dialog of the one-folder actions (MakeFolder, DropFolder): the box txtDirectory
// (required) with pop-up and folder browse buttons; OK stores it as Data(1).
void ShowFolderDialog(const QString& caption, const QString& header, const QStringList& data);

}  // namespace mvnz::plugin
