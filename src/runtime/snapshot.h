#pragma once
// Snapshots: what a backend is given of a window model. They are plain copies, taken on the
// owning thread, with every text already in UTF-8 and every value already formatted by its
// picture, so a backend never reads the system's variables.

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/list_format.h"
#include "runtime/picture.h"
#include "runtime/window.h"

namespace runtime {

// A number that changes whenever a control's snapshot does, and that no other snapshot had
// before: a backend that keeps a copy of a window copies only the controls whose revision
// differs from its own. It is no part of what is shown, so equal snapshots compare equal
// whatever their revisions.
struct Revision {
  uint64_t number = 0;
  bool operator==(const Revision&) const { return true; }
};

struct ControlSnapshot : ControlProps {
  int pictureWidth = 0;  // characters the picture shows; 0 unbounded
  std::string value;     // entries and variable strings: the bound value as shown
  int progress = 0;      // progress bars: the bound value
  std::vector<std::vector<std::string>> rows;  // formatted by the columns' pictures
  Revision revision;

  bool operator==(const ControlSnapshot&) const = default;
};

// What a window shows besides its controls.
struct WindowFrame {
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
  int focusMoves = 0;  // the procedure's moves of the focus, counted
  bool entriesPressDefault = false;
  bool blocked = false;  // an older window of a thread that has a newer one open

  bool operator==(const WindowFrame&) const = default;
};

struct WindowSnapshot : WindowFrame {
  std::vector<ControlSnapshot> controls;

  bool operator==(const WindowSnapshot&) const = default;
};

// Makes `kept`, an earlier copy of a snapshot of the same window, equal to `latest`, copying
// only the controls that changed since.
void copyChanges(const WindowSnapshot& latest, WindowSnapshot& kept);

// A copy of the model for the backend.
WindowSnapshot takeSnapshot(const Window& window, bool blocked);
ControlSnapshot takeSnapshot(const Control& control);

// What a thread last gave the backend of one window, kept with the model it was taken from:
// the next snapshot converts and formats only what changed in the model since, and tells
// whether anything shown changed at all. A window is shown again after every event, and most
// events change a few of its controls, or none.
class ShownWindow {
 public:
  // Brings the snapshot up to date with the window; false when it shows nothing new.
  bool update(const Window& window, bool blocked);
  const WindowSnapshot& snapshot() const { return snapshot_; }

  // What one control's snapshot was taken from.
  struct Source {
    bool taken = false;
    uint64_t stamp = 0;  // the control's stamp when taken
    ControlProps props;
    bool rowsTaken = false;
    bool rowsById = false;                       // taken by their identities
    std::vector<std::vector<std::string>> rows;  // taken by their texts
    std::vector<uint64_t> rowIds;
    std::vector<Picture> pictures;  // the columns' pictures, made when first needed
    bool valueTaken = false;
    bool bound = false;
    std::string stored;  // the bound value as read
  };
  // Brings one control's snapshot up to date; false when it shows nothing new.
  static bool update(const Control& control, Source& source, ControlSnapshot& shown);

 private:
  bool taken_ = false;
  std::string caption_;
  std::vector<std::string> statusTexts_;
  std::vector<Source> sources_;
  WindowSnapshot snapshot_;
};

}  // namespace runtime
