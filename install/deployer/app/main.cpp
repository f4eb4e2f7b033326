// deployer: removes an installation. Only "-remove" shows its window; any other
// command line ends at once.
#include <QApplication>

#include "deployer/frmremove.h"
#include "platform/paths.h"
#include "platform/prompts.h"

using namespace mvnz;

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  if (args.join(QLatin1Char(' ')) != QLatin1String("-remove")) return 0;
  QApplication app(argc, argv);
  prompts::install(prompts::makeQt());
  deployer::frmRemove window(paths::appDir());
  window.exec();
  return 0;
}
