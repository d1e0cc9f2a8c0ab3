// Every window of the catalogue, opened through the runtime and shown by the Qt backend:
// each control has the widget, text, tip, state and geometry its definition gives, with
// dialog units measured from the window's own font.

#include <QAbstractButton>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "gui/frame_window.h"
#include "gui/page_list.h"
#include "gui/tool_strip.h"
#include "gui_harness.h"
#include "layout/windows.h"
#include "runtime/list_format.h"
#include "runtime/locale/charset.h"
#include "runtime/picture.h"

namespace gui::test {
namespace {

using runtime::ControlDef;
using runtime::ControlKind;
using runtime::WindowDef;

// Dialog units worked out here from the font, independently of the backend's own code: the
// text is drawn narrowed, the units are those of the face at its full width.
struct Units {
  explicit Units(QFont font) {
    EXPECT_LT(font.stretch(), 100) << "the window's text is narrowed";
    font.setStretch(100);
    const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    avgChar = QFontMetricsF(font).horizontalAdvance(alphabet) / 52.0;
    height = QFontMetrics(font).height();
  }
  int x(int du) const { return static_cast<int>(std::lround(du * avgChar / 4.0)); }
  int y(int du) const { return static_cast<int>(std::lround(du * height / 8.0)); }
  double avgChar = 0;
  int height = 0;
};

const ControlDef* byLabel(const WindowDef& w, const std::string& label) {
  for (const ControlDef& c : w.controls) {
    if (c.label == label) return &c;
  }
  return nullptr;
}

// A control is hidden (or disabled) when it or any group it lies in is.
bool inEffect(const WindowDef& w, const ControlDef& c, bool ControlDef::*flag) {
  const ControlDef* at = &c;
  for (int depth = 0; at != nullptr && depth < 16; ++depth) {
    if (at->*flag) return true;
    at = at->parent.empty() || at->parent == "toolbar" ? nullptr : byLabel(w, at->parent);
  }
  return false;
}

QString q(const std::string& s) {
  return QString::fromStdString(s);
}

void checkControl(const WindowDef& def, const ControlDef& c, WindowView& view, const Units& u) {
  SCOPED_TRACE(def.proc + " " + c.label);
  QWidget* w = view.control(c.number);
  if (c.kind == ControlKind::Toolbar || c.kind == ControlKind::Region ||
      c.kind == ControlKind::MenuItem) {
    EXPECT_EQ(w, nullptr) << "nothing is drawn for it";
    return;
  }
  ASSERT_NE(w, nullptr);
  switch (c.kind) {
    case ControlKind::Button:
      if (!c.icon.empty() && c.text.empty()) {
        auto* b = qobject_cast<QToolButton*>(w);
        ASSERT_NE(b, nullptr);
        EXPECT_FALSE(b->icon().isNull()) << c.icon;
      } else {
        auto* b = qobject_cast<QPushButton*>(w);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), q(c.text));
      }
      break;
    case ControlKind::GroupBox:
      ASSERT_NE(qobject_cast<QGroupBox*>(w), nullptr);
      EXPECT_EQ(qobject_cast<QGroupBox*>(w)->title(), q(c.text));
      break;
    case ControlKind::List:
      EXPECT_NE(qobject_cast<PageList*>(w), nullptr);
      break;
    case ControlKind::Entry:
      ASSERT_NE(qobject_cast<QLineEdit*>(w), nullptr);
      if (const int chars = runtime::Picture(c.picture).width(); chars > 0) {
        EXPECT_EQ(qobject_cast<QLineEdit*>(w)->maxLength(), chars);
      }
      break;
    case ControlKind::Prompt:
    case ControlKind::String:
      ASSERT_NE(qobject_cast<QLabel*>(w), nullptr);
      EXPECT_EQ(qobject_cast<QLabel*>(w)->text(), q(c.text));
      EXPECT_EQ(qobject_cast<QLabel*>(w)->alignment() & Qt::AlignHCenter,
                c.centred ? Qt::AlignHCenter : Qt::Alignment());
      break;
    case ControlKind::VarString:
      EXPECT_NE(qobject_cast<QLabel*>(w), nullptr);
      break;
    case ControlKind::Image:
      ASSERT_NE(qobject_cast<QLabel*>(w), nullptr);
      EXPECT_FALSE(qobject_cast<QLabel*>(w)->pixmap().isNull());
      break;
    case ControlKind::Progress:
      EXPECT_NE(qobject_cast<QProgressBar*>(w), nullptr);
      break;
    default:
      break;
  }
  EXPECT_EQ(w->toolTip(), q(c.tip));
  EXPECT_EQ(w->isVisibleTo(&view), !inEffect(def, c, &ControlDef::hidden));
  EXPECT_EQ(w->isEnabled(), !inEffect(def, c, &ControlDef::disabled));
  if (c.kind == ControlKind::Entry || c.kind == ControlKind::List ||
      (c.kind == ControlKind::Button && c.parent != "toolbar")) {
    EXPECT_EQ(w->focusPolicy(), c.skip ? Qt::ClickFocus : Qt::StrongFocus);
  }

  // Toolbar controls sit on the strip, everything else on the client area below it,
  // whatever group encloses them.
  EXPECT_EQ(w->parentWidget(),
            c.parent == "toolbar" ? static_cast<QWidget*>(view.toolStrip()) : view.clientArea());
  const QRect g = w->geometry();
  EXPECT_EQ(g.x(), u.x(c.rect.x));
  EXPECT_EQ(g.y(), u.y(c.rect.y));
  const QFontMetrics fm(w->font());
  if (c.rect.w >= 0) {
    EXPECT_EQ(g.width(), u.x(c.rect.w));
  } else if (c.kind == ControlKind::Entry) {
    EXPECT_GE(g.width(), runtime::Picture(c.picture).width() * u.avgChar);
  } else {
    EXPECT_GE(g.width(), fm.horizontalAdvance(q(c.text)));
  }
  if (c.rect.h >= 0) {
    EXPECT_EQ(g.height(), u.y(c.rect.h));
  } else {
    EXPECT_GE(g.height(), fm.height());
  }
}

class CatalogueView : public GuiTest {};

TEST_F(CatalogueView, EveryWindowShowsItsControlsAsDefined) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  ASSERT_NE(waitFrame(), nullptr);
  const WindowDef* windows[] = {
      &phonedir::layout::gorodWindow(),      &phonedir::layout::streetWindow(),
      &phonedir::layout::personalWindow(),   &phonedir::layout::phoneCardWindow(),
      &phonedir::layout::streetCardWindow(), &phonedir::layout::personalCardWindow(),
      &phonedir::layout::poiskWindow(),      &phonedir::layout::convertWindow(),
      &phonedir::layout::waitWindow(),
  };
  for (const WindowDef* def : windows) {
    SCOPED_TRACE(def->proc);
    auto log = std::make_shared<EventLog>();
    start(windowProc(*def, log));
    WindowView* view = waitView(def->proc);
    ASSERT_NE(view, nullptr);

    const Units u(view->font());
    EXPECT_EQ(view->font().pointSize(), def->fontSize);
    EXPECT_EQ(view->size(), QSize(u.x(def->width), u.y(def->height)));
    EXPECT_EQ(view->outer()->windowTitle(), q(def->caption));
    EXPECT_EQ(qobject_cast<QMdiSubWindow*>(view->outer()) != nullptr, def->mdiChild);
    EXPECT_EQ(view->toolStrip() != nullptr, def->toolbarHeight > 0);
    EXPECT_EQ(view->clientArea()->y(), u.y(def->toolbarHeight));
    if (view->toolStrip() != nullptr) {
      EXPECT_EQ(view->toolStrip()->height(), u.y(def->toolbarHeight));
      EXPECT_EQ(view->toolStrip()->width(), view->width());
    }
    for (const ControlDef& c : def->controls) checkControl(*def, c, *view, u);

    // The user's close goes to the procedure, which closes the window through its model.
    view->outer()->close();
    ASSERT_TRUE(until([&] { return viewOf(def->proc) == nullptr; }));
    EXPECT_TRUE(log->has(runtime::ev::CloseWindow));
  }
}

TEST_F(CatalogueView, FrameHasItsMenuToolbarAndStatusZones) {
  const WindowDef& def = phonedir::layout::frameWindow();
  start(windowProc(def, std::make_shared<EventLog>(), [] {
    runtime::window().statusTexts = {runtime::cp("Справочник"), runtime::cp("Среда, 05.03.2025"),
                                     "12:30:00"};
  }));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  const Units u(frame->font());
  EXPECT_EQ(frame->font().pointSize(), def.fontSize);
  EXPECT_EQ(frame->windowTitle(), q(def.caption));
  EXPECT_FALSE(frame->windowIcon().isNull());
  EXPECT_EQ(frame->toolStrip()->height(), u.y(def.toolbarHeight));

  for (const ControlDef& c : def.controls) {
    SCOPED_TRACE(c.label);
    if (c.kind == ControlKind::MenuItem) {
      ASSERT_NE(frame->menuAction(c.number), nullptr);
      EXPECT_EQ(frame->menuAction(c.number)->text().remove(QChar('&')), q(c.text));
      continue;
    }
    if (c.number < 2000) continue;
    QWidget* w = nullptr;
    ASSERT_TRUE(until([&] { return (w = frame->toolbarButton(c.number)) != nullptr; }));
    auto* b = qobject_cast<QToolButton*>(w);
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->icon().isNull());
    EXPECT_EQ(b->toolTip(), q(c.tip));
    EXPECT_EQ(b->isVisibleTo(frame), !c.hidden);
    EXPECT_EQ(b->parentWidget(), frame->toolStrip());
    EXPECT_EQ(b->geometry(), QRect(u.x(c.rect.x), u.y(c.rect.y), u.x(c.rect.w), u.y(c.rect.h)));
  }

  ASSERT_TRUE(until([&] { return frame->statusZone(2)->text() == "12:30:00"; }));
  EXPECT_EQ(frame->statusZone(0)->text(), "Справочник");
  EXPECT_EQ(frame->statusZone(1)->text(), "Среда, 05.03.2025");
  EXPECT_EQ(frame->statusZone(1)->width(), u.x(90));
  EXPECT_EQ(frame->statusZone(2)->width(), u.x(89));
  EXPECT_GT(frame->statusZone(0)->width(), 0);
}

struct ListCase {
  const WindowDef& (*def)();
  const char* label;
};

// Columns as the list's format string gives them; a row given in stored form is shown through
// the columns' pictures. The number-like columns hold their widest values whole: a full phone
// number, a house and a flat of four digits, a personal number of ten and its code of five.
TEST_F(CatalogueView, ListsHaveTheirColumnsAndShowRowsThroughPictures) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  ASSERT_NE(waitFrame(), nullptr);
  const ListCase cases[] = {
      {phonedir::layout::gorodWindow, "?LIST"},
      {phonedir::layout::streetWindow, "?BROWSE:1"},
      {phonedir::layout::personalWindow, "?LIST:2"},
      {phonedir::layout::poiskWindow, "?LIST"},
  };
  int numberColumns = 0;
  for (const ListCase& t : cases) {
    const WindowDef& def = t.def();
    SCOPED_TRACE(def.proc);
    const ControlDef* c = byLabel(def, t.label);
    ASSERT_NE(c, nullptr);
    const auto columns = runtime::parseListFormat(c->format);
    // One stored row: a phone number where the picture has one, plain text elsewhere.
    std::vector<std::string> stored;
    for (const auto& col : columns) stored.push_back(col.picture[0] == 'P' ? "034567" : "Ab");
    // And digits as wide as each picture allows.
    std::vector<std::string> widest;
    for (const auto& col : columns) {
      const int length = col.picture[0] == 's' ? std::stoi(col.picture.substr(1)) : 6;
      widest.push_back(std::string(static_cast<size_t>(length), '0'));
    }
    auto log = std::make_shared<EventLog>();
    const int number = c->number;
    start(windowProc(def, log, [number, stored, widest] {
      runtime::control(number).rows = {stored, widest};
      runtime::control(number).selected = 2;
    }));
    WindowView* view = waitView(def.proc);
    ASSERT_NE(view, nullptr);
    auto* list = qobject_cast<PageList*>(view->control(number));
    ASSERT_NE(list, nullptr);
    const Units u(view->font());
    ASSERT_TRUE(until([&] { return list->pageRows() == 2; }));
    ASSERT_EQ(list->columnCount(), static_cast<int>(columns.size()));
    int left = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
      const int col = static_cast<int>(i);
      EXPECT_EQ(list->headerText(col), q(columns[i].header));
      EXPECT_NEAR(list->columnWidth(col), columns[i].width * u.avgChar / 4.0, 1.0);
      EXPECT_NEAR(list->columnLeft(col), left * u.avgChar / 4.0, 1.0);
      left += columns[i].width;
      EXPECT_EQ(list->cellText(1, col), columns[i].picture[0] == 'P' ? " 3-45-67" : "Ab");
      // Long strings are names, which a column holds as far as they are usual.
      const QString digits = list->cellText(2, col).trimmed();
      if (digits.size() > 10) continue;
      ++numberColumns;
      EXPECT_LE(QFontMetrics(list->font()).horizontalAdvance(digits),
                list->cellTextRect(2, col).width())
          << list->headerText(col).toStdString() << " cuts \"" << digits.toStdString() << "\"";
    }
    EXPECT_EQ(list->selectedRow(), 2);

    // The model learns how many rows the list really shows, and the procedure is told to
    // refill its page.
    ASSERT_TRUE(until([&] {
      for (const auto& s : view->snapshot().controls) {
        if (s.number == number) return s.rowsShown == list->rowsVisible();
      }
      return false;
    }));
    EXPECT_GT(list->rowsVisible(), 0);
    if (list->rowsVisible() != runtime::defaultRowsShown(c->rect.h)) {
      EXPECT_TRUE(until([&] { return log->has(runtime::ev::Sized); }));
    }

    view->outer()->close();
    ASSERT_TRUE(until([&] { return viewOf(def.proc) == nullptr; }));
  }
  EXPECT_EQ(numberColumns, 8);
}

}  // namespace
}  // namespace gui::test
