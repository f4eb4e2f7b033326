// The main window's tools: the list editors behind picFilter and picReject, the
// regular-expression tester (TESTRE), RoziRoruner ordering (ORGANIZE) and the about
// box (ABOUT).
#include <QComboBox>
#include <QTimer>

#include "manager/ui/manager.h"
#include "manager/ui/noticeboxes.h"
#include "manager/ui/organizedialog.h"
#include "manager/ui/regexpdialogs.h"
#include "manager/ui/roziroruner_page.h"

namespace mvnz::manager::ui {

void Manager::wireTools() {
  MainWindow& w = *window_;
  RoziRorunerPage& page = w.roziRoruners();
  // The picture buttons act on the press; the editor opens once the press is over.
  page.onRegExp = [&w, &page](FilterList list) {
    QTimer::singleShot(0, &w, [&w, &page, list] { EditRegExpList(list, page.filterBox(list), &w); });
  };
  const auto organize = [this] {
    if (window_->roziRorunerList()->count() < 1) return;
    ShowOrganizeDialog(session_, [this] { window_->refillRoziRorunerList(); }, window_.get());
  };
  const auto test = [this] { ShowRegExpTester(window_.get()); };
  w.setCommand(QStringLiteral("ORGANIZE"), organize);
  w.setSideBarCommand(QStringLiteral("ORGANIZE"), organize);
  w.setCommand(QStringLiteral("TESTRE"), test);
  w.setSideBarCommand(QStringLiteral("TESTRE"), test);
  w.setCommand(QStringLiteral("ABOUT"), [this] { ShowAboutBox(session_.VersionText, window_.get()); });
}

}  // namespace mvnz::manager::ui
