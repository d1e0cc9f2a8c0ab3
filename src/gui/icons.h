#pragma once
// The program's pictures: the icon and wallpaper names the window catalogue uses
// ("Phone.ico", "Tool.gif", ...) resolved to the drawings compiled into the program.

#include <QIcon>
#include <QPixmap>
#include <string>

namespace gui {

// An icon by its catalogue name; a null icon for a name the program does not know.
QIcon catalogueIcon(const std::string& name);

// A wallpaper tile by its catalogue name; a null pixmap for an unknown name.
QPixmap catalogueWallpaper(const std::string& name);

}  // namespace gui
