#pragma once
// Dialog units: the window catalogue measures every window in units of the window's own
// font (a quarter of the average character width across, an eighth of the font's height
// down), so a layout keeps its proportions whatever font the machine substitutes.
//
// The catalogue was laid out in a classic dialog face whose letters are narrower, for their
// height, than those of any sans-serif face installed here: its texts would be cut by their
// own rectangles. So a window's text is drawn narrowed (the face's condensed variant where it
// has one) while its units are measured on the face at full width: texts get narrower, the
// layout keeps its size, and every text of the catalogue fits.

#include <QFont>
#include <QRect>
#include <string>

namespace gui {

// How wide a window's text is drawn, in percent of the face's full width.
inline constexpr int kTextStretch = QFont::Condensed;

// The font a window definition names, as it is found on this machine: the classic dialog
// face maps to a sans-serif family that is installed, at the same size, narrowed.
QFont windowFont(const std::string& name, int pointSize);

class DialogUnits {
 public:
  DialogUnits() = default;
  // The units of a window whose text is drawn in `font` (measured on its full width).
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
