#include "layout/window_resize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "layout/kind_codes.h"
#include "layout/windows.h"
#include "runtime/headless_backend.h"
#include "runtime/headless_driver.h"
#include "runtime/runtime.h"

namespace phonedir::layout {
namespace {

using runtime::ControlDef;
using runtime::ControlKind;
using runtime::kNaturalSize;
using runtime::Rect;
using runtime::WindowDef;

void resizeTo(WINDOWRESIZETYPE& r, int width, int height) {
  runtime::window().width = width;
  runtime::window().height = height;
  r.RESIZE();
}

Rect rectOf(const std::string& label) {
  return runtime::window().find(label)->rect;
}

std::vector<Rect> allRects() {
  std::vector<Rect> out;
  for (const runtime::Control& c : runtime::window().controls) out.push_back(c.rect);
  return out;
}

std::vector<Rect> designRects(const WindowDef& def) {
  std::vector<Rect> out;
  for (const ControlDef& c : def.controls) out.push_back(c.rect);
  return out;
}

// A window of buttons ?C1, ?C2, ... with the given rectangles.
WindowDef windowOf(int width, int height, const std::vector<Rect>& rects,
                   ControlKind kind = ControlKind::Button) {
  WindowDef w;
  w.proc = "TEST";
  w.width = width;
  w.height = height;
  for (const Rect& r : rects) {
    ControlDef c;
    c.number = static_cast<int>(w.controls.size()) + 1;
    c.kind = kind;
    c.label = "?C" + std::to_string(c.number);
    c.rect = r;
    w.controls.push_back(c);
  }
  return w;
}

struct RuleCase {
  Rect design;
  uint16_t positional, resize;
  int pos, size;  // expected along the direction that changed
};

class WindowResizeTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime::init(backend); }
  void TearDown() override { runtime::shutdown(); }

  // Runs `body` on a procedure thread while `def`'s window is open there.
  void onWindow(const WindowDef& def, const std::function<void()>& body) {
    runtime::start([&] {
      runtime::openWindow(def);
      body();
      runtime::closeWindow();
    });
    ASSERT_TRUE(runtime::waitFinished());
  }

  // One control per case under the case's rules; only one direction of the window changes and
  // the other must not move.
  void checkRules(const std::vector<RuleCase>& cases, bool horizontal, int width, int height,
                  int newWidth, int newHeight) {
    std::vector<Rect> rects;
    for (const RuleCase& c : cases) rects.push_back(c.design);
    onWindow(windowOf(width, height, rects), [&] {
      WINDOWRESIZETYPE r;
      r.INITIALIZE(strategy::Standard);
      for (size_t i = 0; i < cases.size(); ++i) {
        (*r.CONTROLQUEUE)[i].POSITIONALSTRATEGY = cases[i].positional;
        (*r.CONTROLQUEUE)[i].RESIZESTRATEGY = cases[i].resize;
      }
      resizeTo(r, newWidth, newHeight);
      for (size_t i = 0; i < cases.size(); ++i) {
        const Rect& d = cases[i].design;
        const RuleCase& c = cases[i];
        const Rect want =
            horizontal ? Rect{c.pos, d.y, c.size, d.h} : Rect{d.x, c.pos, d.w, c.size};
        EXPECT_EQ(runtime::window().controls[i].rect, want) << "case " << i + 1;
      }
    });
  }

  runtime::HeadlessBackend backend;
};

// Buttons keep their size and their distance from the nearer edges; entries scale but keep
// their height; prompts keep their natural size.
TEST_F(WindowResizeTest, StreetCardGrownAndShrunk) {
  onWindow(streetCardWindow(), [] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    resizeTo(r, 300, 100);
    EXPECT_EQ(rectOf("?OK"), (Rect{61, 82, 45, 14}));
    EXPECT_EQ(rectOf("?CANCEL"), (Rect{190, 82, 45, 14}));
    EXPECT_EQ(rectOf("?STR:NAME"), (Rect{96, 40, 186, 11}));
    EXPECT_EQ(rectOf("?GROUP1"), (Rect{5, 1, 287, 67}));
    EXPECT_EQ(rectOf("?STR:NUM:PROMPT"), (Rect{10, 20, kNaturalSize, kNaturalSize}));
    resizeTo(r, 200, 60);
    EXPECT_EQ(rectOf("?OK"), (Rect{61, 42, 45, 14}));
    EXPECT_EQ(rectOf("?CANCEL"), (Rect{90, 42, 45, 14}));
    EXPECT_EQ(rectOf("?STR:NAME"), (Rect{64, 24, 124, 11}));
  });
}

TEST_F(WindowResizeTest, HorizontalRules) {
  using namespace rule;
  checkRules(
      {
          {{50, 20, 40, 10}, Proportional, 0, 75, 60},
          {{50, 20, 40, 10}, StayX, 0, 50, 60},
          {{50, 20, 40, 10}, RightEdge, KeepWidth, 150, 40},  // keeps its gap to the right
          {{50, 20, 40, 10}, RightEdge, 0, 75, 60},
          {{50, 20, 40, 10}, LeftEdge, KeepWidth, 50, 40},
          {{50, 20, 40, 10}, LeftEdge, 0, 75, 60},
          {{50, 20, 40, 10}, CentreX, KeepWidth, 100, 40},  // keeps its offset from the centre
          {{50, 20, 40, 10}, CentreX, 0, 75, 60},
          {{140, 20, 40, 10}, NearerX, KeepWidth, 240, 40},  // nearer the right edge
          {{80, 20, 40, 10}, NearerX, KeepWidth, 80, 40},    // exactly in the middle: left
          {{81, 20, 40, 10}, NearerX, KeepWidth, 181, 40},   // a unit right of the middle
          {{50, 20, 40, 10}, 3, 0, 75, 60},                  // no such rule: proportional
      },
      true, 200, 100, 300, 100);
}

TEST_F(WindowResizeTest, VerticalRules) {
  using namespace rule;
  checkRules(
      {
          {{20, 50, 10, 40}, Proportional, 0, 75, 60},
          {{20, 50, 10, 40}, StayY, 0, 50, 60},
          {{20, 50, 10, 40}, BottomEdge, KeepHeight, 100, 40},
          {{20, 50, 10, 40}, BottomEdge, 0, 75, 60},
          {{20, 50, 10, 40}, TopEdge, KeepHeight, 50, 40},
          {{20, 50, 10, 40}, TopEdge, 0, 75, 60},
          {{20, 30, 10, 40}, CentreY, KeepHeight, 55, 40},
          {{20, 30, 10, 40}, CentreY, 0, 45, 60},
          {{20, 70, 10, 20}, NearerY, KeepHeight, 120, 20},  // nearer the bottom edge
          {{20, 30, 10, 40}, NearerY, KeepHeight, 30, 40},   // equal gaps: top
          {{20, 50, 10, 40}, 3 << 8, 0, 75, 60},
      },
      false, 200, 100, 200, 150);
}

// In a window of odd extent the centre offset is rounded to whole units before it is scaled
// (50 - 100.5 -> -51; 150.5 - 51 * 1.4975 -> 74). A direction whose scale is exactly 1 applies
// no rule at all, not even the centre rule, which would move a control a unit by rounding.
TEST_F(WindowResizeTest, OddExtentsAndUnchangedDirections) {
  using namespace rule;
  checkRules({{{50, 20, 40, 10}, CentreX, 0, 74, 60}}, true, 201, 100, 301, 100);
  const uint16_t centred = CentreX | CentreY, keep = KeepWidth | KeepHeight;
  checkRules({{{140, 80, 40, 10}, centred, keep, 191, 40}}, true, 201, 101, 301, 101);
  checkRules({{{140, 80, 40, 10}, centred, keep, 106, 10}}, false, 201, 101, 201, 151);
  onWindow(streetCardWindow(), [] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    resizeTo(r, 300, 70);
    const std::vector<Rect> design = designRects(streetCardWindow());
    for (size_t i = 0; i < design.size(); ++i) {
      EXPECT_EQ(runtime::window().controls[i].rect.y, design[i].y);
      EXPECT_EQ(runtime::window().controls[i].rect.h, design[i].h);
    }
  });
}

TEST_F(WindowResizeTest, StrategiesChooseRulesByKind) {
  WindowDef def = windowOf(200, 100, {});
  const struct {
    int number;
    ControlKind kind;
    int32_t type;
    uint16_t positional, resize;  // under the standard strategy
  } controls[] = {
      {3, ControlKind::Button, kind::Button, rule::NearerX | rule::NearerY, 3},
      {1, ControlKind::Entry, kind::Entry, 0, rule::KeepHeight},
      {2, ControlKind::Prompt, kind::Prompt, 0, 0},
      {0, ControlKind::Region, kind::None, 0, 0},  // unnumbered: never listed
      {4, ControlKind::GroupBox, kind::GroupBox, 0, 0},
      {5, ControlKind::List, kind::List, 0, 0},
      {6, ControlKind::VarString, kind::VarString, 0, 0},
      {7, ControlKind::MenuItem, kind::MenuItem, 0, 0},  // menu items: never listed
      {-1, ControlKind::MenuItem, kind::MenuItem, 0, 0},
      {8, ControlKind::Progress, kind::Progress, 0, 0},
  };
  for (const auto& c : controls) {
    def.controls.push_back(windowOf(0, 0, {{10, 10, 20, 10}}, c.kind).controls[0]);
    def.controls.back().number = c.number;
  }
  onWindow(def, [&] {
    for (const int32_t appStrategy : {strategy::Proportional, strategy::Standard, 7}) {
      SCOPED_TRACE(appStrategy);
      WINDOWRESIZETYPE r;
      r.INITIALIZE(appStrategy);
      EXPECT_EQ(r.ORIGWIN, (WINDOWRESIZETYPE::POSITIONGROUP{-1, -1, 200, 100}));
      EXPECT_EQ(r.PREVIOUSWIN, r.ORIGWIN);
      std::vector<int32_t> ids;
      for (const auto& e : *r.CONTROLQUEUE) {
        ids.push_back(e.ID);
        const auto& want = *std::find_if(std::begin(controls), std::end(controls),
                                         [&](const auto& c) { return c.number == e.ID; });
        const bool standard = appStrategy == strategy::Standard;
        EXPECT_EQ(e.TYPE, want.type);
        EXPECT_EQ(e.POSITIONALSTRATEGY, standard ? want.positional : 0) << e.ID;
        EXPECT_EQ(e.RESIZESTRATEGY, standard ? want.resize : 0) << e.ID;
        EXPECT_EQ(e.POS, (WINDOWRESIZETYPE::POSITIONGROUP{10, 10, 20, 10}));
      }
      EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 8}));
      r.DESTROY();
      EXPECT_FALSE(r.CONTROLQUEUE.has_value());
    }
  });
}

// Every layout is computed from the design: any way back to the design size restores it, and
// the layout for a size does not depend on the sizes before it.
TEST_F(WindowResizeTest, LayoutDependsOnlyOnTheCurrentSize) {
  std::vector<Rect> viaDetour, direct;
  onWindow(phoneCardWindow(), [&] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    resizeTo(r, 311, 97);
    resizeTo(r, 400, 203);
    resizeTo(r, 179, 95);
    EXPECT_EQ(allRects(), designRects(phoneCardWindow()));
    resizeTo(r, 523, 301);
    resizeTo(r, 260, 130);
    viaDetour = allRects();
  });
  onWindow(phoneCardWindow(), [&] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    resizeTo(r, 260, 130);
    direct = allRects();
  });
  EXPECT_EQ(viaDetour, direct);
}

TEST_F(WindowResizeTest, MovingWithoutResizingLeavesControlsAlone) {
  onWindow(streetCardWindow(), [] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    resizeTo(r, 300, 100);
    const auto before = r.PREVIOUSWIN;
    runtime::window().x = 40;
    runtime::window().y = 30;
    runtime::window().find("?OK")->rect = {1, 2, 3, 4};  // a layout pass would replace it
    r.RESIZE();
    EXPECT_EQ(rectOf("?OK"), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(r.PREVIOUSWIN, before);
  });
}

// A natural size is a marker, not units: scaled by 1.676 it would become the full-width marker.
// A variable string designed one unit wide keeps whatever width it has been given. A window
// designed with no width has nothing to scale from and keeps its columns instead of dividing
// by zero.
TEST_F(WindowResizeTest, SizesThatAreNotUnitsAreKept) {
  onWindow(phoneCardWindow(), [] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    resizeTo(r, 300, 160);
    EXPECT_EQ(rectOf("?PHO:FIO:PROMPT"), (Rect{13, 45, kNaturalSize, kNaturalSize}));
  });
  onWindow(windowOf(200, 100, {{10, 10, 1, 8}}, ControlKind::VarString), [] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    runtime::window().find("?C1")->rect.w = 57;
    resizeTo(r, 400, 200);
    EXPECT_EQ(rectOf("?C1"), (Rect{20, 20, 57, 16}));
  });
  onWindow(windowOf(0, 50, {{10, 10, 20, 10}}, ControlKind::Entry), [] {
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    resizeTo(r, 100, 100);
    EXPECT_EQ(rectOf("?C1"), (Rect{10, 20, 20, 10}));
  });
}

TEST_F(WindowResizeTest, ResizeOutsideItsLifetimeOrWindowDoesNothing) {
  onWindow(streetCardWindow(), [] {
    const std::vector<Rect> design = designRects(streetCardWindow());
    WINDOWRESIZETYPE r;
    resizeTo(r, 300, 100);  // before INITIALIZE
    EXPECT_EQ(allRects(), design);
    resizeTo(r, 237, 70);
    r.INITIALIZE(strategy::Standard);
    r.DESTROY();
    resizeTo(r, 300, 100);  // after DESTROY
    EXPECT_EQ(allRects(), design);
    resizeTo(r, 237, 70);
    r.INITIALIZE(strategy::Standard);
    runtime::openWindow(streetCardWindow());  // a newer window of the same thread
    resizeTo(r, 300, 100);
    EXPECT_EQ(allRects(), design);
    runtime::closeWindow();
  });
}

// The street list as its procedure runs it: every sized event lays the window out, and the
// backend receives the new layout.
TEST_F(WindowResizeTest, SizedEventsReachTheBackendLaidOut) {
  runtime::HeadlessDriver driver(backend);
  runtime::start([] {
    runtime::openWindow(streetWindow());
    runtime::window().minWidth = 151;
    runtime::window().minHeight = 233;
    WINDOWRESIZETYPE r;
    r.INITIALIZE(strategy::Standard);
    while (const int e = runtime::event()) {
      if (e == runtime::ev::Sized) r.RESIZE();
    }
    r.DESTROY();
    runtime::closeWindow();
  });
  ASSERT_TRUE(runtime::waitIdle());
  ASSERT_TRUE(driver.resize(200, 300));
  EXPECT_EQ(driver.control("?SELECT:2")->rect, (Rect{53, 282, 45, 14}));  // equal gaps: left
  EXPECT_EQ(driver.control("?BROWSE:1")->rect, (Rect{11, 26, 179, 246}));
  EXPECT_EQ(driver.control("?STR:NAME")->rect, (Rect{11, 5, 179, 11}));
  ASSERT_TRUE(driver.close());
  ASSERT_TRUE(runtime::waitFinished());
}

}  // namespace
}  // namespace phonedir::layout
