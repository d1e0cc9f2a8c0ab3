#pragma once
// Dialog units: the window catalogue measures every window in units of the window's own
// font (a quarter of the average character width across, an eighth of the font's height
// down), so a layout keeps its proportions whatever font the machine substitutes.

#include <QFont>
#include <QRect>
#include <string>

namespace gui {

// The font a window definition names, as it is found on this machine: the classic dialog
// face maps to a sans-serif family that is installed.
QFont windowFont(const std::string& name, int pointSize);

class DialogUnits {
 public:
  DialogUnits() = default;
  explicit DialogUnits(const QFont& font);

  int x(int units) const;       // horizontal units to pixels
  int y(int units) const;       // vertical units to pixels
  int fromX(int pixels) const;  // pixels to the nearest horizontal unit
  int fromY(int pixels) const;

  double averageCharWidth() const { return avgChar_; }
  int fontHeight() const { return height_; }

 private:
  double avgChar_ = 6.0;  // pixels, over the Latin alphabet
  int height_ = 13;       // pixels, ascent plus descent
};

}  // namespace gui
