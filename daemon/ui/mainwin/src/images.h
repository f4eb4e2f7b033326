#pragma once
// The main window's and the tray's pictures, drawn at run time: tray frames, the
// buttons' icons, the banner and the product picture.
#include <QIcon>
#include <QPixmap>

namespace mvnz::mvnd::images {

QIcon Startup(int frame);  // 0..5
QIcon Stopped();
QIcon Running(int frame);  // 0..4
QIcon StartButton();
QIcon StopButton();
QIcon ReloadButton();
QPixmap Daemon(int size);
QPixmap Banner(int width, int height);

}  // namespace mvnz::mvnd::images
