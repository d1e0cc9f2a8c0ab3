// No clipped text: every prompt, string, button and group caption of every window fits the
// room its window gives it, measured in the font the window really uses; the status bar's
// day-and-date and time zones hold their widest texts, and the frame never shrinks so far
// that they would not.

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include "gui/frame_window.h"
#include "gui_harness.h"
#include "layout/windows.h"
#include "runtime/locale/charset.h"

namespace gui::test {
namespace {

using runtime::ControlDef;
using runtime::ControlKind;
using runtime::WindowDef;

// Texts allowed not to fit, each with the reason; none today.
const std::map<std::string, const char*> kExceptions = {};

QString shown(const std::string& text) {
  return QString::fromStdString(text).remove('&');
}

const ControlDef* byLabel(const WindowDef& def, const std::string& label) {
  for (const ControlDef& c : def.controls) {
    if (c.label == label) return &c;
  }
  return nullptr;
}

// The room a text of natural width has: up to the client area's edge, the inside of the
// group it lies in, and the next control of the same group to its right on its line.
int rightLimit(const WindowDef& def, const ControlDef& c, const WindowView& view) {
  const QRect own = view.control(c.number)->geometry();
  int right = view.clientArea()->width();
  if (const ControlDef* group = byLabel(def, c.parent);
      group != nullptr && group->kind == ControlKind::GroupBox) {
    const QWidget* box = view.control(group->number);
    right = std::min(
        right, box->geometry().right() - box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
  }
  for (const ControlDef& other : def.controls) {
    const QWidget* w = other.number != c.number ? view.control(other.number) : nullptr;
    if (w == nullptr || other.parent != c.parent || other.kind == ControlKind::GroupBox) continue;
    const QRect g = w->geometry();
    if (g.left() > own.left() && g.top() <= own.bottom() && g.bottom() >= own.top()) {
      right = std::min(right, g.left());
    }
  }
  return right;
}

// How many pixels of the text do not fit (0 when it fits whole).
int overflow(const WindowDef& def, const ControlDef& c, const WindowView& view) {
  QWidget* w = view.control(c.number);
  const QFontMetrics fm(w->font());
  const QString text = shown(c.text);
  const int width = fm.horizontalAdvance(text);
  switch (c.kind) {
    case ControlKind::Prompt:
    case ControlKind::String: {
      const auto* label = qobject_cast<QLabel*>(w);
      if (c.rect.w == runtime::kNaturalSize) {
        return std::max(0, w->x() + width - rightLimit(def, c, view));
      }
      const QRect room = label->contentsRect();
      return std::max({0, width - room.width(), fm.height() - room.height()});
    }
    case ControlKind::Button: {
      auto* button = qobject_cast<QPushButton*>(w);
      QStyleOptionButton opt;
      opt.initFrom(button);
      opt.text = button->text();
      const QRect room =
          button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
      return std::max({0, width - room.width(), fm.height() - room.height()});
    }
    case ControlKind::GroupBox: {
      auto* box = qobject_cast<QGroupBox*>(w);
      QStyleOptionGroupBox opt;
      opt.initFrom(box);
      opt.text = box->title();
      opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
      const QRect label =
          box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
      return std::max(0, label.left() + width - box->width());
    }
    default:
      return 0;
  }
}

class TextFit : public GuiTest {};

TEST_F(TextFit, EveryCatalogueTextFitsItsRoom) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  ASSERT_NE(waitFrame(), nullptr);
  const WindowDef* windows[] = {
      &phonedir::layout::gorodWindow(),      &phonedir::layout::streetWindow(),
      &phonedir::layout::personalWindow(),   &phonedir::layout::phoneCardWindow(),
      &phonedir::layout::streetCardWindow(), &phonedir::layout::personalCardWindow(),
      &phonedir::layout::poiskWindow(),      &phonedir::layout::convertWindow(),
      &phonedir::layout::waitWindow(),
  };
  int measured = 0;
  for (const WindowDef* def : windows) {
    SCOPED_TRACE(def->proc);
    start(windowProc(*def, std::make_shared<EventLog>()));
    WindowView* view = waitView(def->proc);
    ASSERT_NE(view, nullptr);
    for (const ControlDef& c : def->controls) {
      const bool texted = c.kind == ControlKind::Prompt || c.kind == ControlKind::String ||
                          c.kind == ControlKind::GroupBox ||
                          (c.kind == ControlKind::Button && !c.text.empty());
      if (!texted || c.text.empty() || view->control(c.number) == nullptr) continue;
      ++measured;
      const int over = overflow(*def, c, *view);
      if (kExceptions.count(def->proc + " " + c.label) != 0) continue;
      EXPECT_EQ(over, 0) << c.label << " \"" << c.text << "\" is cut by " << over << " px in "
                         << view->font().toString().toStdString();
    }
    view->outer()->close();
    ASSERT_TRUE(until([&] { return viewOf(def->proc) == nullptr; }));
  }
  EXPECT_GT(measured, 40);
}

TEST_F(TextFit, TheStatusBarHoldsTheDateAndTimeWholeAtTheFramesLeastSize) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>(), [] {
    runtime::window().statusTexts = {runtime::cp("Телефонный справочник"),
                                     runtime::cp("Понедельник, 07.12.2026"), "23:59:59"};
    runtime::display();
  }));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(until([&] { return frame->statusZone(2)->text() == "23:59:59"; }));
  frame->resize(1, 1);
  settle();
  EXPECT_GE(frame->width(), frame->minimumSizeHint().width());
  for (int zone : {1, 2}) {
    QLabel* label = frame->statusZone(zone);
    SCOPED_TRACE(label->text().toStdString());
    const QFontMetrics fm(label->font());
    EXPECT_GE(label->contentsRect().width(), fm.horizontalAdvance(label->text()));
    EXPECT_GE(label->contentsRect().height(), fm.height());
    // Whole inside the window, too.
    EXPECT_LE(label->mapTo(frame, QPoint(label->width(), 0)).x(), frame->width());
  }
}

}  // namespace
}  // namespace gui::test
