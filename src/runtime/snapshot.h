#pragma once
// Snapshots: what a backend is given of a window model. They are plain copies, taken on the
// owning thread, with every text already in UTF-8 and every value already formatted by its
// picture, so a backend never reads the system's variables.

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/list_format.h"
#include "runtime/window.h"

namespace runtime {

struct ControlSnapshot : ControlProps {
  int pictureWidth = 0;  // characters the picture shows; 0 unbounded
  std::string value;     // entries and variable strings: the bound value as shown
  int progress = 0;      // progress bars: the bound value
  std::vector<std::vector<std::string>> rows;  // formatted by the columns' pictures

  bool operator==(const ControlSnapshot&) const = default;
};

struct WindowSnapshot {
  WindowId id = 0;
  ThreadId thread = 0;
  std::string proc;
  std::string caption;
  int x = -1, y = -1, width = 0, height = 0;
  int minWidth = 0, minHeight = 0;
  int escapeButton = 0;
  std::string fontName;
  int fontSize = 8;
  std::string helpId;
  std::string icon;
  std::string wallpaper;
  bool mdiChild = false;
  bool frame = false;
  bool resizable = false;
  bool infoIcon = false;
  int toolbarHeight = 0;
  std::string toolbarWallpaper;
  std::vector<int> statusZones;
  std::vector<std::string> statusTexts;
  int timer = 0;
  int focus = 0;
  bool blocked = false;  // an older window of a thread that has a newer one open
  std::vector<ControlSnapshot> controls;

  bool operator==(const WindowSnapshot&) const = default;
};

// A copy of the model for the backend.
WindowSnapshot takeSnapshot(const Window& window, bool blocked);
ControlSnapshot takeSnapshot(const Control& control);

}  // namespace runtime
