#pragma once
// The resize strategy of the resizable windows (card forms, street list): controls follow the
// window, each resize computed afresh from the layout INITIALIZE recorded.

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/window.h"

namespace phonedir::layout {

// Rules of POSITIONALSTRATEGY: the horizontal one in the low byte, the vertical one in the high.
namespace rule {
inline constexpr uint16_t Proportional = 0;
inline constexpr uint16_t StayX = 1;
inline constexpr uint16_t RightEdge = 2;
inline constexpr uint16_t LeftEdge = 4;
inline constexpr uint16_t CentreX = 8;
inline constexpr uint16_t NearerX = 16;  // RightEdge or LeftEdge, by the design gaps
inline constexpr uint16_t StayY = 256;
inline constexpr uint16_t BottomEdge = 512;
inline constexpr uint16_t TopEdge = 1024;
inline constexpr uint16_t CentreY = 2048;
inline constexpr uint16_t NearerY = 4096;  // BottomEdge or TopEdge, by the design gaps

// Bits of RESIZESTRATEGY; a size whose bit is clear is scaled.
inline constexpr uint16_t KeepWidth = 1;
inline constexpr uint16_t KeepHeight = 2;
}  // namespace rule

// Arguments of INITIALIZE.
namespace strategy {
inline constexpr int32_t Proportional = 1;  // every control scales
// Buttons keep their size and anchor to the nearer edges; entries keep their height; check
// boxes and radio buttons keep their size; the rest scales. Every window of the system uses it.
inline constexpr int32_t Standard = 2;
}  // namespace strategy

class WINDOWRESIZETYPE {
 public:
  struct POSITIONGROUP {
    int32_t XPOS = 0;
    int32_t YPOS = 0;
    int32_t WIDTH = 0;
    int32_t HEIGHT = 0;
    bool operator==(const POSITIONGROUP&) const = default;
  };

  struct CONTROLENTRY {
    int32_t ID = 0;    // control number
    int32_t TYPE = 0;  // kind code (kind_codes.h)
    uint16_t POSITIONALSTRATEGY = 0;
    uint16_t RESIZESTRATEGY = 0;
    POSITIONGROUP POS;  // design position and size
  };

  // Records the calling thread's current window and its controls as the design layout, each
  // control with the rules APPSTRATEGY gives its kind. Call it once the window is open and its
  // minimum size is set. Menus and menu items are not listed.
  void INITIALIZE(int32_t APPSTRATEGY);
  // Lays the controls out for the window's current size. Does nothing when only the position
  // changed, before INITIALIZE, after DESTROY, or when another window is current.
  void RESIZE();
  void DESTROY();

  POSITIONGROUP ORIGWIN;      // the window when INITIALIZE ran
  POSITIONGROUP PREVIOUSWIN;  // the window at the last RESIZE that acted
  std::optional<std::vector<CONTROLENTRY>> CONTROLQUEUE;  // from INITIALIZE until DESTROY

 private:
  runtime::WindowId window_ = 0;
};

}  // namespace phonedir::layout
