// MervaneZuri: the configuration manager's entry point.
#include <signal.h>

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <exception>

#include "library/version.h"
#include "manager/identity.h"
#include "manager/startup.h"
#include "manager/ui/manager.h"
#include "manager/ui/splash.h"
#include "platform/process.h"
#include "platform/prompts.h"
#include "platform/signalwatch.h"
#include "platform/windowlink.h"

using namespace mvnz;
using namespace mvnz::manager;

int main(int argc, char** argv) {
  // The command line as given, before Qt takes its own options out of it.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

  QApplication app(argc, argv);
  // The window's name must be exactly its caption: no display name is set, since
  // the platform would append it.
  QApplication::setQuitOnLastWindowClosed(false);
  // Without a screen (the offscreen platform) nobody could answer a box: prompts then
  // go to stderr and take their default answer.
  const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
  prompts::install(headless ? prompts::makeHeadless() : prompts::makeQt());
  const QString title = QLatin1String(kProgramTitle);

  process::InstanceLock lock(QString::fromLatin1(process::kManagerLock));
  if (!lock.tryLock()) {
    // A runtime folder that cannot be trusted is said as such, not as another copy.
    prompts::message(lock.error().isEmpty()
                         ? QStringLiteral("Another instance of Configuration-Manager is already running!")
                         : lock.error(),
                     title, prompts::Icon::Exclamation);
    return 1;
  }

  Session session;
  session.VersionText = VersionText();
  ui::Manager manager(session);

  // Only the holder of the lock listens, so the daemon's request reaches this copy.
  windowlink::Listener link(WindowLinkPath(session.VersionText), [&manager] {
    if (manager.window().isVisible()) manager.raiseWindow();
  });
  QString linkError;
  if (!link.listen(&linkError))
    std::fprintf(stderr, "MervaneZuri: window link not available: %s\n", qPrintable(linkError));

  // Every way out ends in the one exit path.
  signalwatch::watch(&app, {SIGTERM, SIGINT}, [&manager](int) { manager.ExitManager(); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                   [&manager](QSessionManager&) { manager.ExitManager(); });

  QApplication::setOverrideCursor(Qt::WaitCursor);
  ui::StartupWindow splash(SplashVersionLabel(session.VersionText, versionRevision()));
  splash.showProgressOf(session);
  splash.show();
  splash.repaint();

  StartupHooks hooks;
  hooks.pictures = &manager.images();
  hooks.progress = &splash;
  hooks.startWebUpdate = [&manager] { manager.startWebUpdate(false); };
  QString error;
  bool started = false;
  try {
    InitManager(session, arguments, hooks);
    started = true;
  } catch (const std::exception& e) {  // e.g. out of memory on a huge file
    error = QString::fromLocal8Bit(e.what());
  }
  QApplication::restoreOverrideCursor();
  if (!started) {
    splash.close();
    prompts::message(InitErrorText(error), title);
    manager.ExitManager();
    return 1;
  }
  splash.waitForUnload();
  if (session.Exiting) return 0;
  manager.window().show();
  manager.window().repaint();
  // What the load met, said from inside the event loop, so that an exit requested
  // while its box is up ends the run.
  QTimer::singleShot(0, &manager.window(), [&manager] { manager.reportLoad(); });
  return app.exec();
}
