#pragma once
// The program's own pictures: the files of its "Icons" folder (paths::bundledDir), each holding
// a 16 and a 32 pixel picture. The plug-ins name their modules' files themselves; the
// windows ask for theirs by the key of the command, link or picture box that shows it.
#include <QIcon>
#include <QString>
#include <QStringList>

namespace mvnz::manager::ui::pictures {

// The folder of the pictures.
QString folder();
// A picture file of that folder with every size it holds; a null icon when the file
// is missing or holds no picture.
QIcon fromFile(const QString& file);
// The picture of a key of the windows: a menu's icon key ("OPEN", "SAVE2DEFAULT"), a
// side-bar link or group ("ROZIRORUNER", "CONFIG"), a toolbar button of the script
// editor or the ordering dialog ("small", "top"), or a picture box ("picAbout",
// "picIniIcon", "picDefIcon"). A null icon for a key without a picture.
QIcon forKey(const QString& key);
// The script editor's design-time picture 1..19, from its large or its small file.
QIcon design(int index, bool large);
// Every file the windows look up.
QStringList files();

}  // namespace mvnz::manager::ui::pictures
