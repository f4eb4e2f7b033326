#pragma once
// Message boxes, questions and beeps go through one service. Library code never
// opens a box by itself. The windowed programs install the Qt service, headless
// processes the logging one (never blocks), tests a recorder.
#include <QString>
#include <QStringList>
#include <memory>

namespace mvnz::prompts {

enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

class Service {
 public:
  virtual ~Service() = default;
  virtual Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) = 0;
  virtual void beep() = 0;
};

// The current service (the headless one until another is installed).
Service& current();
// Installs a service (nullptr: the headless one); returns the previous one.
std::shared_ptr<Service> install(std::shared_ptr<Service> s);

// Convenience calls on the current service.
Answer message(const QString& text, const QString& title = {}, Icon icon = Icon::None,
               Buttons buttons = Buttons::Ok);
void beep();

// The default button of a box: Ok, or Yes for the Yes/No boxes.
Answer firstButton(Buttons buttons);
// Writes every prompt as one line to stderr ("title: text") and answers with the
// default button, without waiting.
std::shared_ptr<Service> makeHeadless();
// Qt message boxes (needs a QApplication); defined in the widgets part.
std::shared_ptr<Service> makeQt();

// Records every prompt; answers with a preset answer.
class Recorder : public Service {
 public:
  struct Entry {
    QString text, title;
    Icon icon;
    Buttons buttons;
  };
  Answer show(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
  void beep() override { ++beeps; }
  QList<Entry> entries;
  int beeps = 0;
  Answer answer = Answer::Ok;
};

}  // namespace mvnz::prompts
