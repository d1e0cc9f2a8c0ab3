// Work windows inside the frame: enlarging a window that keeps its size moves none of its
// controls; the frame's area scrolls to a window beyond its edges; windows opened again
// cascade instead of covering one another; minimising the active window hands the activation
// to the one used before it.

#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>

#include "gui/frame_window.h"
#include "gui_harness.h"
#include "layout/windows.h"

QT_BEGIN_NAMESPACE
// Readable rectangles in failure messages.
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
QT_END_NAMESPACE

namespace gui::test {
namespace {

using runtime::WindowDef;

class WorkWindows : public GuiTest {
 protected:
  FrameWindow* openFrame() {
    start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
    return waitFrame();
  }
  QMdiSubWindow* open(const WindowDef& def, runtime::ThreadId* thread = nullptr) {
    const runtime::ThreadId t = start(windowProc(def, std::make_shared<EventLog>()));
    if (thread != nullptr) *thread = t;
    WindowView* v = waitView(def.proc);
    return v != nullptr ? qobject_cast<QMdiSubWindow*>(v->outer()) : nullptr;
  }
};

// Where every control of a window sits, seen from the corner of its sub-window's inside
// (below the title bar, which a maximised sub-window gives up).
std::map<int, QRect> placesOf(const WindowView& view, const QMdiSubWindow& sub) {
  const QPoint inside = sub.layout()->contentsRect().topLeft();
  std::map<int, QRect> out;
  for (const runtime::ControlSnapshot& c : view.snapshot().controls) {
    if (const QWidget* w = view.control(c.number)) {
      out[c.number] = QRect(w->mapTo(&sub, QPoint(0, 0)) - inside, w->size());
    }
  }
  return out;
}

TEST_F(WorkWindows, EnlargingAWindowWithoutAResizeStrategyMovesNoControl) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  frame->resize(1600, 1200);
  const WindowDef* windows[] = {&phonedir::layout::gorodWindow(),
                                &phonedir::layout::personalWindow(),
                                &phonedir::layout::poiskWindow()};
  for (const WindowDef* def : windows) {
    SCOPED_TRACE(def->proc);
    ASSERT_FALSE(def->resizable);
    QMdiSubWindow* sub = open(*def);
    ASSERT_NE(sub, nullptr);
    WindowView* view = viewOf(def->proc);
    settle();
    const std::map<int, QRect> before = placesOf(*view, *sub);
    ASSERT_FALSE(before.empty());

    sub->resize(sub->size() + QSize(300, 200));
    settle();
    EXPECT_EQ(placesOf(*view, *sub), before) << "enlarged";
    sub->showMaximized();
    settle();
    EXPECT_EQ(placesOf(*view, *sub), before) << "maximised";
    sub->showNormal();

    sub->close();
    ASSERT_TRUE(until([&] { return viewOf(def->proc) == nullptr; }));
  }
}

TEST_F(WorkWindows, TheAreaScrollsToAWindowBeyondItsEdges) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  QMdiSubWindow* sub = open(testWindow("A", true));
  ASSERT_NE(sub, nullptr);
  QMdiArea* area = frame->mdiArea();
  EXPECT_FALSE(area->horizontalScrollBar()->isVisibleTo(area));
  const QSize room = area->viewport()->size();
  sub->move(room.width() - 20, room.height() - 20);
  ASSERT_TRUE(until([&] {
    return area->horizontalScrollBar()->isVisibleTo(area) &&
           area->verticalScrollBar()->isVisibleTo(area);
  }));
  EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);
  EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
}

TEST_F(WorkWindows, AWindowOpenedAgainCoversNoOtherExactly) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  QMdiSubWindow* a = open(testWindow("A", true));
  QMdiSubWindow* b = open(testWindow("B", true));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a->pos(), b->pos());
  a->close();
  ASSERT_TRUE(until([&] { return viewOf("A") == nullptr; }));
  QMdiSubWindow* again = open(testWindow("A", true));
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again->pos(), b->pos());
  QMdiSubWindow* c = open(testWindow("C", true));
  ASSERT_NE(c, nullptr);
  EXPECT_NE(c->pos(), b->pos());
  EXPECT_NE(c->pos(), again->pos());
}

// On a small screen the frame opens over all of it, and new windows open inside its area while
// they fit it, instead of each one further past its right and bottom edges.
TEST_F(WorkWindows, NewWindowsOpenInsideASmallArea) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  const QRect screen = frame->screen()->availableGeometry();
  if (screen.width() < 1024 || screen.height() < 768) {
    EXPECT_EQ(frame->size(), screen.size()) << "the frame takes a small screen whole";
  }
  QMdiArea* area = frame->mdiArea();
  QMdiSubWindow* first = open(testWindow("A", true));
  ASSERT_NE(first, nullptr);
  // Windows that leave the area room for a few steps of the cascade only.
  const QSize inner = viewOf("A")->size();
  const QSize want = area->viewport()->size() - (first->size() - inner) - QSize(100, 100);
  for (const char* proc : {"B", "C", "D", "E", "F"}) {
    WindowDef def = testWindow(proc, true);
    def.width = def.width * want.width() / inner.width();
    def.height = def.height * want.height() / inner.height();
    QMdiSubWindow* sub = open(def);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(QRect(QPoint(0, 0), area->viewport()->size()).contains(sub->geometry()))
        << proc << " at " << sub->x() << "," << sub->y();
    for (QMdiSubWindow* other : area->subWindowList()) {
      if (other != sub) {
        EXPECT_NE(other->pos(), sub->pos()) << proc;
      }
    }
  }
}

TEST_F(WorkWindows, MinimisingTheActiveWindowActivatesTheOneBefore) {
  FrameWindow* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  runtime::ThreadId threadA = 0;
  runtime::ThreadId threadB = 0;
  QMdiSubWindow* a = open(testWindow("A", true), &threadA);
  QMdiSubWindow* b = open(testWindow("B", true), &threadB);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(frame->mdiArea()->activeSubWindow(), b);
  ASSERT_EQ(backend().activeThread(), threadB);

  b->showMinimized();
  ASSERT_TRUE(until([&] { return b->isMinimized(); }));
  settle();
  EXPECT_EQ(frame->mdiArea()->activeSubWindow(), a);
  EXPECT_EQ(backend().activeThread(), threadA);
}

}  // namespace
}  // namespace gui::test
