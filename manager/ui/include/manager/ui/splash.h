#pragma once
// The splash window frmStartup: the version, the start-up's progress and the picture
// of the module being loaded. It closes on its timer's first tick after start-up, or
// stays open once its picture was clicked.
#include <QElapsedTimer>
#include <QWidget>

#include "manager/catalog.h"

class QEventLoop;
class QLabel;
class QTimer;

namespace mvnz::manager {
class Session;
}

namespace mvnz::manager::ui {

class StartupWindow : public QWidget, public CatalogProgress {
 public:
  explicit StartupWindow(const QString& versionLabel, QWidget* parent = nullptr);
  void status(const QString& text) override;
  void picture(const QString& file) override;
  void pluginsLoaded() override;
  // lblStartup shows the session's progress texts from now on (the configuration's
  // load, the update offer), also those that come after the window was closed.
  void showProgressOf(const Session& session);
  // Starts tmrUnload and dispatches events until it fired (the window is then
  // closed) or the picture was clicked (the window stays).
  void waitForUnload();
  QTimer* unloadTimer() const { return tmrUnload_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* lblVersion_;
  QLabel* lblStartup_;
  QLabel* picAbout_;
  QLabel* picStartup_;
  QTimer* tmrUnload_;
  QEventLoop* waiting_ = nullptr;
  QElapsedTimer painted_;                    // since lblStartup was last painted
  static constexpr int kPaintInterval = 30;  // ms
};

}  // namespace mvnz::manager::ui
