// The prompt service in use, the headless service and the recorder.
#include "platform/prompts.h"

#include <QMutex>
#include <cstdio>

namespace mvnz::prompts {
namespace {

class Headless : public Service {
 public:
  Answer show(const QString& text, const QString& title, Icon, Buttons buttons) override {
    QString line = title.isEmpty() ? text : title + ": " + text;
    line.replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ');
    const QByteArray bytes = (line + '\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, bytes.size(), stderr);
    std::fflush(stderr);
    return firstButton(buttons);
  }
  void beep() override {}
};

QMutex g_mutex;
std::shared_ptr<Service> g_current;

std::shared_ptr<Service> currentLocked() {
  if (!g_current) g_current = makeHeadless();
  return g_current;
}

}  // namespace

Answer firstButton(Buttons buttons) {
  switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
      return Answer::Yes;
    case Buttons::Ok:
    case Buttons::OkCancel:
      break;
  }
  return Answer::Ok;
}

Service& current() {
  QMutexLocker lock(&g_mutex);
  return *currentLocked();
}

std::shared_ptr<Service> install(std::shared_ptr<Service> s) {
  QMutexLocker lock(&g_mutex);
  std::shared_ptr<Service> previous = currentLocked();
  g_current = s ? std::move(s) : makeHeadless();
  return previous;
}

Answer message(const QString& text, const QString& title, Icon icon, Buttons buttons) {
  std::shared_ptr<Service> s;
  {
    QMutexLocker lock(&g_mutex);
    s = currentLocked();
  }
  return s->show(text, title, icon, buttons);
}

void beep() {
  std::shared_ptr<Service> s;
  {
    QMutexLocker lock(&g_mutex);
    s = currentLocked();
  }
  s->beep();
}

std::shared_ptr<Service> makeHeadless() { return std::make_shared<Headless>(); }

Answer Recorder::show(const QString& text, const QString& title, Icon icon, Buttons buttons) {
  entries.append(Entry{text, title, icon, buttons});
  return answer;
}

}  // namespace mvnz::prompts
