// The list sideways: widths dragged at the header's edges, only where the format lets the user
// resize, and kept when the procedure sends new pages; a horizontal bar that appears once the
// columns overflow, scrolls every column but the leading fixed ones, and makes the model
// learn the smaller number of rows the list then shows.

#include "gui/page_list.h"

#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>

#include "gui_harness.h"
#include "runtime/runtime.h"

namespace gui::test {
namespace {

using runtime::ControlKind;
namespace ev = runtime::ev;
namespace key = runtime::key;

constexpr int kList = 1;

// Telephone fixed and resizable, surname resizable, street neither, house fixed but after a
// scrolling column (so it scrolls).
runtime::WindowDef sidewaysWindow() {
  runtime::WindowDef w = testWindow("SIDEWAYS", false);
  w.width = 240;
  runtime::ControlDef list = testControl(kList, ControlKind::List, "?LIST", {4, 4, 230, 100});
  list.format =
      "40L(2)|FM~Телефон~C(0)@s10@60L(2)|M~Фамилия~C(0)@s17@60L(2)|~Улица~C(0)@s19@"
      "20L(2)|F~Дом~C(0)@s4@";
  w.controls = {list};
  return w;
}

std::vector<std::vector<std::string>> rowsNamed(const std::string& mark) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 1; i <= 4; ++i) {
    const std::string n = std::to_string(i);
    rows.push_back({"10" + n, mark + n, "Street" + n, n});
  }
  return rows;
}

// A list procedure that answers Insert with a new page, as a browse does after a scroll, and
// shows itself again when sized.
std::function<void()> sidewaysProc(std::shared_ptr<EventLog> log) {
  return [log] {
    runtime::openWindow(sidewaysWindow());
    runtime::control(kList).rows = rowsNamed("A");
    runtime::control(kList).selected = 1;
    runtime::alert(kList, key::Insert);
    while (const int code = runtime::event()) {
      Taken t;
      t.code = code;
      t.field = runtime::field();
      t.keyCode = runtime::keyCode();
      log->add(t);
      // A browse refills its page when told its list changed size; the snapshot then
      // carries the row count the model learned.
      if (code == ev::Sized) runtime::display();
      if (code == ev::AlertKey && runtime::keyCode() == key::Insert) {
        runtime::control(kList).rows = rowsNamed("B");
        runtime::display(kList);
      }
    }
    runtime::closeWindow();
  };
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
  QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

// Drags the right edge of a column's header by dx pixels.
void dragEdge(PageList* list, int column, int dx) {
  const QPoint edge(
      list->contentsRect().left() + list->columnLeft(column) + list->columnWidth(column),
      list->contentsRect().top() + list->headerHeight() / 2);
  mouse(list, QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton);
  mouse(list, QEvent::MouseMove, edge + QPoint(dx / 2, 0), Qt::NoButton, Qt::LeftButton);
  mouse(list, QEvent::MouseMove, edge + QPoint(dx, 0), Qt::NoButton, Qt::LeftButton);
  mouse(list, QEvent::MouseButtonRelease, edge + QPoint(dx, 0), Qt::LeftButton, Qt::NoButton);
}

class Sideways : public GuiTest {
 protected:
  PageList* openList(const std::shared_ptr<EventLog>& log) {
    start(sidewaysProc(log));
    view_ = waitView("SIDEWAYS");
    if (view_ == nullptr) return nullptr;
    auto* list = qobject_cast<PageList*>(view_->control(kList));
    if (!until([&] { return list->pageRows() == 4; })) return nullptr;
    settle();
    log->clear();
    return list;
  }
  int rowsShownInModel() const {
    for (const auto& s : view_->snapshot().controls) {
      if (s.number == kList) return s.rowsShown;
    }
    return -1;
  }
  WindowView* view_ = nullptr;
};

TEST_F(Sideways, OnlyResizableColumnsTakeADraggedWidthAndKeepItAcrossPages) {
  auto log = std::make_shared<EventLog>();
  PageList* list = openList(log);
  ASSERT_NE(list, nullptr);
  const int phone = list->columnWidth(0);
  const int surname = list->columnWidth(1);
  const int street = list->columnWidth(2);

  dragEdge(list, 1, 30);
  EXPECT_EQ(list->columnWidth(1), surname + 30);
  EXPECT_EQ(list->columnLeft(2), list->columnLeft(1) + surname + 30) << "the next column moves";
  dragEdge(list, 0, -10);
  EXPECT_EQ(list->columnWidth(0), phone - 10);
  // Narrowed past nothing: a column keeps a sliver the mouse can still take.
  dragEdge(list, 0, -500);
  EXPECT_GT(list->columnWidth(0), 0);
  dragEdge(list, 0, phone - list->columnWidth(0));
  EXPECT_EQ(list->columnWidth(0), phone);

  // The street column is not resizable: its edge is no grip, and the press is an ordinary
  // click on the header that selects nothing.
  dragEdge(list, 2, 40);
  EXPECT_EQ(list->columnWidth(2), street);
  settle();
  EXPECT_FALSE(log->has(ev::NewSelection));

  // A new page from the procedure keeps the user's widths.
  QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
  QApplication::sendEvent(list, &insert);
  ASSERT_TRUE(until([&] { return list->cellText(1, 1) == "B1"; }));
  EXPECT_EQ(list->columnWidth(1), surname + 30);
}

TEST_F(Sideways, OverflowingColumnsScrollWhileTheLeadingFixedOnesStayPut) {
  auto log = std::make_shared<EventLog>();
  PageList* list = openList(log);
  ASSERT_NE(list, nullptr);
  QScrollBar* bar = list->sidewaysBar();
  ASSERT_FALSE(bar->isVisibleTo(list)) << "the columns fit";
  const int rowsBefore = list->rowsVisible();
  ASSERT_TRUE(until([&] { return rowsShownInModel() == rowsBefore; }));

  // Widened past the list's right edge: the sideways bar comes, takes room from the rows,
  // and the model learns how many rows are left and is told to refill its page.
  dragEdge(list, 1, list->width());
  ASSERT_TRUE(bar->isVisibleTo(list));
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_LT(list->rowsVisible(), rowsBefore + 1);
  ASSERT_TRUE(until([&] { return rowsShownInModel() == list->rowsVisible(); }));
  if (list->rowsVisible() != rowsBefore) {
    EXPECT_TRUE(until([&] { return log->has(ev::Sized); }));
  }
  EXPECT_LE(list->rowRect(list->rowsVisible()).bottom(), bar->geometry().top());

  const int phoneLeft = list->columnLeft(0);
  const int surnameLeft = list->columnLeft(1);
  const int houseLeft = list->columnLeft(3);
  const QImage before = list->grab().toImage();

  bar->setValue(bar->maximum());
  EXPECT_EQ(list->columnLeft(0), phoneLeft) << "fixed";
  EXPECT_EQ(list->columnLeft(1), surnameLeft - bar->maximum());
  EXPECT_EQ(list->columnLeft(3), houseLeft - bar->maximum()) << "fixed after a scrolling one";
  const QImage after = list->grab().toImage();

  // What is drawn: the telephone column's pixels, header and list frame included, are the
  // same (no part of a scrolled column strays over them); the rest of the rows moved.
  const int fixedRight = list->contentsRect().left() + list->columnWidth(0) - 1;
  bool scrolledChanged = false;
  for (int y = 0; y <= list->rowRect(4).bottom(); ++y) {
    for (int x = 0; x <= fixedRight; ++x) {
      ASSERT_EQ(before.pixel(x, y), after.pixel(x, y)) << "fixed column moved at " << x << "," << y;
    }
    if (y < list->rowRect(1).top()) continue;
    for (int x = fixedRight + 1; x < list->scrollBar()->geometry().left(); ++x) {
      scrolledChanged = scrolledChanged || before.pixel(x, y) != after.pixel(x, y);
    }
  }
  EXPECT_TRUE(scrolledChanged);

  // Keys and the sideways wheel move the columns too, and never the page.
  log->clear();
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QApplication::sendEvent(list, &left);
  EXPECT_LT(bar->value(), bar->maximum());
  QWheelEvent wheel(QPointF(20, 40), list->mapToGlobal(QPointF(20, 40)), {}, QPoint(120 * 100, 0),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list, &wheel);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(list->columnLeft(1), surnameLeft);
  settle();
  EXPECT_TRUE(log->all().empty());

  // Narrowed back (its edge scrolled into view first), the columns fit again: the bar goes
  // and the rows come back.
  bar->setValue(bar->maximum());
  dragEdge(list, 1, -2 * list->width());
  EXPECT_FALSE(bar->isVisibleTo(list));
  EXPECT_EQ(list->rowsVisible(), rowsBefore);
  ASSERT_TRUE(until([&] { return rowsShownInModel() == rowsBefore; }));
}

}  // namespace
}  // namespace gui::test

namespace gui::test {
namespace {

// Fixed columns wider together than the list, as the personal directory's: the one the
// list's right edge cuts shows the part of its header that is in view.
TEST_F(GuiTest, AColumnCutByTheListsEdgeShowsItsHeader) {
  start([] {
    runtime::WindowDef w = testWindow("CUT", false);
    w.width = 240;
    runtime::ControlDef list = testControl(kList, ControlKind::List, "?LIST", {4, 4, 230, 100});
    list.format = "60L(2)|FM~Телефон~C(0)@s10@200L(2)|FM~Примечание~C(0)@s30@";
    w.controls = {list};
    runtime::openWindow(w);
    runtime::control(kList).rows = rowsNamed("A");
    runtime::control(kList).selected = 1;
    while (runtime::event() != 0) {
    }
    runtime::closeWindow();
  });
  WindowView* view = waitView("CUT");
  ASSERT_NE(view, nullptr);
  auto* list = qobject_cast<PageList*>(view->control(kList));
  ASSERT_TRUE(until([&] { return list->pageRows() == 4; }));
  settle();
  const QRect area = list->contentsRect();
  const int cutLeft = area.left() + list->columnLeft(1);
  ASSERT_GT(cutLeft + list->columnWidth(1), list->scrollBar()->geometry().left()) << "cut";
  const QImage shot = list->grab().toImage();
  const QRgb base = list->palette().color(QPalette::Base).rgb();
  int drawn = 0;
  for (int x = cutLeft + 1; x < list->scrollBar()->geometry().left(); ++x)
    for (int y = area.top(); y < area.top() + list->headerHeight(); ++y)
      drawn += shot.pixel(x, y) != base ? 1 : 0;
  EXPECT_GT(drawn, 0) << "the cut column's header is blank";
}

}  // namespace
}  // namespace gui::test
