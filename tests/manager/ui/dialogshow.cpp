// Shows one of the manager's dialogs on a fixed sample, for pictures taken under Xvfb
// (scripts/screenshots.sh); not a test. Usage: mvnz-dialogshow scheduler|erroraction
#include <QApplication>
#include <QCalendarWidget>

#include "manager/ui/erroractiondialog.h"
#include "manager/ui/triggerpickers.h"
#include "platform/prompts.h"

using namespace mvnz::manager::ui;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  mvnz::prompts::install(mvnz::prompts::makeQt());
  const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (which == QLatin1String("scheduler")) {
    CalendarPicker picker(CalendarMode::DateTime);
    picker.calendar()->setSelectedDate(QDate(2026, 12, 8));
    return picker.exec() == QDialog::Accepted ? 0 : 1;
  }
  if (which == QLatin1String("erroraction")) {
    mvnz::jobfile::CommandEntry command;
    command.Name = QStringLiteral("ErrorAction");
    const char* nine[] = {"False", "", "False", "True", "/srv/failed/<LC1>", "False", "1", "0", "False"};
    for (int k = 1; k <= 9; ++k) command.Data[k] = QString::fromLatin1(nine[k - 1]);
    ErrorActionContext context;
    context.roziRoruners = {QStringLiteral("Invoices"), QStringLiteral("Nightly")};
    context.current = 0;
    ErrorActionDialog dialog(command, context);
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
  }
  return 2;
}
