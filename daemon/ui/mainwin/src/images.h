#pragma once
// The daemon's pictures, drawn at run time: tray frames, level pictures, the
// instance icon, the buttons' icons and the product picture.
#include <QIcon>
#include <QPixmap>

namespace mvnz::mvnd::images {

QIcon Startup(int frame);  // 0..5
QIcon Stopped();
QIcon Running(int frame);  // 0..4
QIcon Instance();
QIcon Level(int level);  // 0..3
QIcon StartButton();
QIcon StopButton();
QIcon ReloadButton();
QPixmap Daemon(int size);
QPixmap Banner(int width, int height);

}  // namespace mvnz::mvnd::images
