#pragma once
// The about box frmAbout (product, version and build, a legal notice, the maker's
// site and the credits) and the credits window frmCredits (the credits document
// beside the program, as text; a click in it closes the window).
#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace mvnz::manager::ui {

class AboutBox : public QDialog {
 public:
  // versionText: "major.minor"; revision: the build number.
  AboutBox(const QString& versionText, int revision, QWidget* parent = nullptr);
};

class CreditsBox : public QDialog {
 public:
  // Shows the text of the RTF file at path, or "Credits file not found!".
  explicit CreditsBox(const QString& path, QWidget* parent = nullptr);
  QPlainTextEdit* text() const { return rtCredits_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPlainTextEdit* rtCredits_;
};

// The about box of this program, modal.
void ShowAboutBox(const QString& versionText, QWidget* parent);

}  // namespace mvnz::manager::ui
