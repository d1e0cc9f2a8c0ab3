#include "runtime/snapshot.h"

#include <cstdlib>

#include "runtime/locale/charset.h"
#include "runtime/picture.h"

namespace runtime {

ControlSnapshot takeSnapshot(const Control& c) {
  ControlSnapshot s;
  static_cast<ControlProps&>(s) = c;
  s.text = toUtf8(c.text);
  s.tip = toUtf8(c.tip);
  s.statusText = toUtf8(c.statusText);
  for (auto& col : s.columns) col.header = toUtf8(col.header);
  const Picture picture(c.picture);
  s.pictureWidth = picture.width();
  if (c.binding.data != nullptr) {
    const std::string stored = readBinding(c.binding);
    if (c.kind == ControlKind::Progress) {
      s.progress = std::atoi(stored.c_str());
    } else {
      s.value = toUtf8(picture.format(stored));
    }
  }
  s.rows.reserve(c.rows.size());
  for (const auto& row : c.rows) {
    std::vector<std::string> cells;
    cells.reserve(row.size());
    for (size_t i = 0; i < row.size(); ++i) {
      const std::string& pic = i < c.columns.size() ? c.columns[i].picture : std::string();
      cells.push_back(toUtf8(Picture(pic).format(row[i])));
    }
    s.rows.push_back(std::move(cells));
  }
  return s;
}

WindowSnapshot takeSnapshot(const Window& w, bool blocked) {
  WindowSnapshot s;
  s.id = w.id;
  s.thread = w.thread;
  s.proc = w.proc;
  s.caption = toUtf8(w.caption);
  s.x = w.x;
  s.y = w.y;
  s.width = w.width;
  s.height = w.height;
  s.minWidth = w.minWidth;
  s.minHeight = w.minHeight;
  s.escapeButton = w.escapeButton;
  {
    s.fontName = w.def.fontName;
    s.fontSize = w.def.fontSize;
    s.helpId = w.def.helpId;
    s.icon = w.def.icon;
    s.wallpaper = w.def.wallpaper;
    s.mdiChild = w.def.mdiChild;
    s.frame = w.def.frame;
    s.resizable = w.def.resizable;
    s.infoIcon = w.def.infoIcon;
    s.toolbarHeight = w.def.toolbarHeight;
    s.toolbarWallpaper = w.def.toolbarWallpaper;
    s.statusZones = w.def.statusZones;
  }
  for (const auto& t : w.statusTexts) s.statusTexts.push_back(toUtf8(t));
  s.timer = w.timer;
  s.focus = w.focus;
  s.blocked = blocked;
  s.controls.reserve(w.controls.size());
  for (const Control& c : w.controls) s.controls.push_back(takeSnapshot(c));
  return s;
}

}  // namespace runtime
