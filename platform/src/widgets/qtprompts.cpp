// The prompt service of the windowed programs: Qt message boxes.
#include <QApplication>
#include <QMessageBox>

#include "platform/prompts.h"

namespace mvnz::prompts {
namespace {

class QtService : public Service {
 public:
  Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) override {
    QMessageBox box(toQt(icon), title, text, standardButtons(buttons),
                    QApplication::activeWindow());
    switch (box.exec()) {
      case QMessageBox::Yes:
        return Answer::Yes;
      case QMessageBox::No:
        return Answer::No;
      case QMessageBox::Cancel:
        return Answer::Cancel;
      case QMessageBox::Ok:
        return Answer::Ok;
      default:  // closed without a button: the box's escape answer
        return buttons == Buttons::Ok      ? Answer::Ok
               : buttons == Buttons::YesNo ? Answer::No
                                           : Answer::Cancel;
    }
  }
  void beep() override { QApplication::beep(); }

 private:
  static QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
      case Icon::Information:
        return QMessageBox::Information;
      case Icon::Exclamation:
        return QMessageBox::Warning;
      case Icon::Critical:
        return QMessageBox::Critical;
      case Icon::Question:
        return QMessageBox::Question;
      case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
  }
  static QMessageBox::StandardButtons standardButtons(Buttons b) {
    switch (b) {
      case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
      case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
      case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      case Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
  }
};

}  // namespace

std::shared_ptr<Service> makeQt() { return std::make_shared<QtService>(); }

}  // namespace mvnz::prompts
