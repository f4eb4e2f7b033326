// Shows one window of the manager's gallery on its sample configuration, for pictures
// taken under Xvfb (scripts/screenshots.sh); not a test.
// Usage: mvnz-dialogshow <name> <configuration file>   (the names: mvnz-dialogshow --list)
#include <QApplication>
#include <cstdio>

#include "gallery.h"
#include "manager/startup.h"
#include "platform/activation.h"
#include "platform/prompts.h"

using namespace mvnz;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  prompts::install(prompts::makeQt());
  const QStringList args = app.arguments().mid(1);
  if (args.value(0) == QLatin1String("--list")) {
    for (const test::GalleryWindow& g : test::Gallery()) std::printf("%s\n", g.name.c_str());
    return 0;
  }
  if (args.size() != 2) return 2;
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR "/Plugins"));
  manager::Session session;
  session.VersionText = manager::VersionText();
  manager::ui::Manager m(session);
  manager::StartupHooks hooks;
  hooks.pictures = &m.images();
  manager::InitManager(session, {args[1]}, hooks);
  for (const test::GalleryWindow& g : test::Gallery())
    if (args[0] == QString::fromStdString(g.name)) return g.open(m) ? app.exec() : 0;
  return 2;
}
