#pragma once
// Window definitions: the static description of a window and its controls from which the
// runtime builds a window model. The system's window catalogue is written in these types.
// Texts here are UTF-8 (they live in the source); the model holds them as CP1251.

#include <string>
#include <vector>

namespace runtime {

enum class ControlKind {
  Toolbar,
  Button,
  Region,
  GroupBox,
  List,
  Entry,
  Prompt,
  String,     // fixed text
  VarString,  // shows a variable, not editable
  Image,
  Progress,
  MenuItem,
};

// "-" as a width or height in the catalogue: the natural size of the control's text.
inline constexpr int kNaturalSize = -1;
// Full width of the window (toolbars).
inline constexpr int kFullWidth = -2;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Rect&) const = default;
};

struct ControlDef {
  int number = 0;  // 0 for controls the system never addresses (the toolbar strip)
  ControlKind kind = ControlKind::Button;
  std::string label;  // "?PHO:PHONE"
  std::string text;
  std::string tip;
  Rect rect;
  std::string picture;  // "s19", "P<#-##-##P"
  std::string parent;   // label of the enclosing control; "toolbar" for toolbar controls
  bool hidden = false;
  bool disabled = false;
  bool skip = false;     // passed over by Tab
  bool centred = false;  // text centred
  std::string statusText;
  std::string icon;      // "Phone.ico"
  std::string shortcut;  // a key that presses the button wherever the keyboard is: "Ctrl+Down"
  std::string format;    // list column format string
  int timer = 0;         // hundredths
};

struct WindowDef {
  std::string proc;  // the procedure that opens it: "GOROD"
  std::string caption;
  int width = 0, height = 0;  // dialog units
  std::string fontName = "MS Sans Serif";
  int fontSize = 8;
  std::string helpId;
  std::string icon;
  std::string wallpaper;
  bool mdiChild = false;   // a work window inside the frame
  bool frame = false;      // the application frame
  bool resizable = false;  // the user may resize it
  bool infoIcon = false;   // the image shows the system's information icon
  int toolbarHeight = 0;
  std::string toolbarWallpaper;
  std::vector<int> statusZones;  // widths in dialog units; -1 takes what the others leave
  int timer = 0;                 // hundredths; 0 none
  std::vector<ControlDef> controls;
};

}  // namespace runtime
