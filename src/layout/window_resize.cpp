#include "layout/window_resize.h"

#include <algorithm>

#include "layout/kind_codes.h"
#include "runtime/runtime.h"

namespace phonedir::layout {

namespace {

using POSITIONGROUP = WINDOWRESIZETYPE::POSITIONGROUP;

// Scales, and the values computed with them, are decimals with four places, held exactly as
// integers counting ten-thousandths. A scale is rounded on its fifth decimal and a decimal
// becomes whole units by rounding, halves away from zero: y 28 in a window grown from 70 to 100
// high becomes 40 (28 x 1.4286), where truncating both would give 39 (28 x 1.4285).
constexpr int64_t kOne = 10000;

// a / b rounded to the nearest whole number, halves away from zero; b > 0.
int64_t roundedDiv(int64_t a, int64_t b) {
  return a >= 0 ? (2 * a + b) / (2 * b) : -((2 * -a + b) / (2 * b));
}

int32_t whole(int64_t decimal) {
  return static_cast<int32_t>(roundedDiv(decimal, kOne));
}

// One direction of the window: its extent now and at INITIALIZE, and the scale between them.
struct Axis {
  Axis(int32_t current, int32_t designed)
      : extent(current),
        design(designed),
        // A window designed with no extent has nothing to scale from: that direction keeps its
        // design layout instead of dividing by zero.
        scale(designed > 0 ? roundedDiv(int64_t{current} * kOne, designed) : kOne) {}

  int32_t extent;
  int32_t design;
  int64_t scale;
};

struct Rules {
  uint16_t positional;
  uint16_t resize;
};

Rules rulesFor(int32_t appStrategy, int32_t type) {
  if (appStrategy != strategy::Standard) return {rule::Proportional, 0};
  switch (type) {
    case kind::Entry:
    case kind::ComboBox:
    case kind::SpinBox:
    case kind::DropCombo:
      return {rule::Proportional, rule::KeepHeight};
    case kind::Button:
      return {rule::NearerX | rule::NearerY, rule::KeepWidth | rule::KeepHeight};
    case kind::CheckBox:
    case kind::RadioButton:
      return {rule::Proportional, rule::KeepWidth | rule::KeepHeight};
    default:
      return {rule::Proportional, 0};
  }
}

// The rules below are written with the horizontal values; a vertical rule is its high byte.
// The nearer-edge rule becomes the far edge when the control's gap to the far edge of the
// design window is smaller than its gap to the near edge; equal gaps keep the near edge.
uint16_t resolveNearer(uint16_t r, int32_t pos, int32_t size, int32_t design) {
  if (r != rule::NearerX) return r;
  const int32_t farGap = design - pos - std::max(size, 0);
  return farGap < pos ? rule::RightEdge : rule::LeftEdge;
}

// The control's new position along one axis. `scaled` is its design position times the scale,
// which rule 0 and unknown rules keep.
int32_t place(uint16_t r, int32_t pos, bool sizeKept, const Axis& a, int32_t scaled) {
  switch (r) {
    case rule::StayX:
      return pos;
    case rule::RightEdge: {
      const int64_t gap = a.design - pos;
      return sizeKept ? a.extent - static_cast<int32_t>(gap)
                      : whole(int64_t{a.extent} * kOne - gap * a.scale);
    }
    case rule::LeftEdge:
      return sizeKept ? pos : scaled;
    case rule::CentreX: {
      // The offset from the design centre is taken in whole units before it is scaled.
      const int64_t offset = roundedDiv(2 * int64_t{pos} - a.design, 2);
      const int64_t centre = int64_t{a.extent} * kOne / 2;
      return whole(centre + offset * (sizeKept ? kOne : a.scale));
    }
    default:
      return scaled;
  }
}

int32_t sized(int32_t design, bool kept, const Axis& a) {
  return kept ? design : whole(int64_t{design} * a.scale);
}

POSITIONGROUP positionOf(const runtime::Window& w) {
  return {w.x, w.y, w.width, w.height};
}

}  // namespace

void WINDOWRESIZETYPE::INITIALIZE(int32_t APPSTRATEGY) {
  CONTROLQUEUE.emplace();
  window_ = 0;
  ORIGWIN = PREVIOUSWIN = {};
  if (!runtime::hasWindow()) return;
  const runtime::Window& w = runtime::window();
  window_ = w.id;
  ORIGWIN = positionOf(w);
  PREVIOUSWIN = ORIGWIN;

  std::vector<const runtime::Control*> byNumber;
  for (const runtime::Control& c : w.controls) {
    if (c.number != 0) byNumber.push_back(&c);
  }
  std::stable_sort(byNumber.begin(), byNumber.end(),
                   [](const auto* a, const auto* b) { return a->number < b->number; });
  for (const runtime::Control* c : byNumber) {
    const int32_t type = kind::code(c->kind);
    if (type == kind::None || type == kind::Menu || type == kind::MenuItem) continue;
    const Rules rules = rulesFor(APPSTRATEGY, type);
    CONTROLENTRY e;
    e.ID = c->number;
    e.TYPE = type;
    e.POSITIONALSTRATEGY = rules.positional;
    e.RESIZESTRATEGY = rules.resize;
    e.POS = {c->rect.x, c->rect.y, c->rect.w, c->rect.h};
    CONTROLQUEUE->push_back(e);
  }
}

void WINDOWRESIZETYPE::RESIZE() {
  if (!CONTROLQUEUE || !runtime::hasWindow()) return;
  runtime::Window& w = runtime::window();
  if (w.id != window_) return;
  const POSITIONGROUP CURRENTSIZE = positionOf(w);
  if (CURRENTSIZE.WIDTH == PREVIOUSWIN.WIDTH && CURRENTSIZE.HEIGHT == PREVIOUSWIN.HEIGHT) return;
  PREVIOUSWIN = CURRENTSIZE;

  const Axis xs(CURRENTSIZE.WIDTH, ORIGWIN.WIDTH);
  const Axis ys(CURRENTSIZE.HEIGHT, ORIGWIN.HEIGHT);
  // The moves change the model only; the backend gets them all in the window's next snapshot,
  // so the window is redrawn once however many controls move.
  for (const CONTROLENTRY& e : *CONTROLQUEUE) {
    runtime::Control* c = w.find(e.ID);
    if (c == nullptr) continue;
    const POSITIONGROUP& d = e.POS;
    // A size that is not a number of units (a text's natural size, the full width) is never
    // scaled: scaled, it would turn into another marker or into nonsense.
    const bool keepWidth = (e.RESIZESTRATEGY & rule::KeepWidth) != 0 || d.WIDTH < 0;
    const bool keepHeight = (e.RESIZESTRATEGY & rule::KeepHeight) != 0 || d.HEIGHT < 0;
    runtime::Rect r{whole(int64_t{d.XPOS} * xs.scale), whole(int64_t{d.YPOS} * ys.scale),
                    sized(d.WIDTH, keepWidth, xs), sized(d.HEIGHT, keepHeight, ys)};
    if (xs.scale != kOne) {
      const uint16_t h = resolveNearer(e.POSITIONALSTRATEGY & 0xFF, d.XPOS, d.WIDTH, xs.design);
      r.x = place(h, d.XPOS, keepWidth, xs, r.x);
    }
    if (ys.scale != kOne) {
      const uint16_t v = resolveNearer(e.POSITIONALSTRATEGY >> 8, d.YPOS, d.HEIGHT, ys.design);
      r.y = place(v, d.YPOS, keepHeight, ys, r.y);
    }
    // A variable string designed one unit wide is a placeholder whose width the procedure sets
    // at run time; the window's size has no say in it.
    if (e.TYPE == kind::VarString && d.WIDTH == 1) r.w = c->rect.w;
    c->rect = r;
  }
}

void WINDOWRESIZETYPE::DESTROY() {
  CONTROLQUEUE.reset();
  window_ = 0;
}

}  // namespace phonedir::layout
