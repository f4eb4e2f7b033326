// svcwright: installs or removes the daemon as a service.
//   "-install": one question, then the install with the default settings;
//   "-remove":  the removal, without a window (also without a display);
//   otherwise:  the window.
#include <QApplication>
#include <QCoreApplication>

#include "platform/paths.h"
#include "platform/prompts.h"
#include "svcwright/frmmain.h"
#include "svcwright/installer.h"

using namespace mvnz;

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const QString commandLine = args.join(QLatin1Char(' '));
  if (commandLine == QLatin1String("-remove")) {
    QCoreApplication app(argc, argv);
    return svcwright::RemoveWithoutWindow(paths::appDir());
  }
  QApplication app(argc, argv);
  prompts::install(prompts::makeQt());
  if (commandLine == QLatin1String("-install"))
    return svcwright::InstallAfterQuestion(paths::appDir());
  svcwright::frmMain window(paths::appDir());
  window.show();
  return app.exec();
}
