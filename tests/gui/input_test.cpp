// User input turned into events: the list's keys, clicks and scroll bar; entries that refuse
// what the character set cannot hold and hand accepted text to the model; resizable windows
// that never shrink below their design size; the window timer.

#include <QApplication>
#include <QClipboard>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTest>

#include "gui/entry_edit.h"
#include "gui/page_list.h"
#include "gui_harness.h"
#include "layout/windows.h"
#include "runtime/binding.h"
#include "runtime/locale/charset.h"

namespace gui::test {
namespace {

using runtime::ControlKind;
namespace ev = runtime::ev;
namespace key = runtime::key;

constexpr int kList = 1;

// Types text as key presses carrying their characters (any script, not just ASCII).
void type(QWidget* w, const QString& text) {
  for (char32_t u : text.toUcs4()) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&u, 1));
    QApplication::sendEvent(w, &press);
  }
}

runtime::WindowDef listWindow() {
  runtime::WindowDef w = testWindow("LISTED", false);
  runtime::ControlDef list = testControl(kList, ControlKind::List, "?LIST", {4, 4, 190, 100});
  list.format = "40L(2)|~Телефон~C(0)@s10@80L(2)|~Фамилия~C(0)@s17@";
  w.controls = {list};
  return w;
}

class Input : public GuiTest {
 protected:
  // A list of five rows on a window of its own, its second row selected, alerting the keys
  // a browse alerts.
  PageList* openList(const std::shared_ptr<EventLog>& log) {
    start(windowProc(listWindow(), log, [] {
      runtime::Control& list = runtime::control(kList);
      for (int i = 1; i <= 5; ++i) list.rows.push_back({std::to_string(i), "x"});
      list.selected = 2;
      list.thumb = 37;
      list.alertKeys = {key::MouseLeft2, key::Space,     key::Insert,
                        key::Delete,     key::CtrlEnter, key::MouseRight};
    }));
    WindowView* view = waitView("LISTED");
    if (view == nullptr) return nullptr;
    auto* list = qobject_cast<PageList*>(view->control(kList));
    if (!until([&] { return list->pageRows() == 5; })) return nullptr;
    // What opening the window sends on its own (the list's real row count) is done with.
    settle();
    log->clear();
    return list;
  }
};

// The keys the model alerts reach the list through its snapshot, and the procedure reads the
// key code and character of what was typed.
TEST_F(Input, AlertedKeysAndTypedCharactersReachTheProcedure) {
  auto log = std::make_shared<EventLog>();
  PageList* list = openList(log);
  ASSERT_NE(list, nullptr);
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    QString text;
    int code, keyCode, keyChar;
  };
  const Case cases[] = {
      {Qt::Key_Up, Qt::NoModifier, "", ev::ScrollUp, 0, 0},
      {Qt::Key_Insert, Qt::NoModifier, "", ev::AlertKey, key::Insert, 0},
      {Qt::Key_Return, Qt::ControlModifier, "", ev::AlertKey, key::CtrlEnter, 0},
      {Qt::Key_Space, Qt::NoModifier, " ", ev::AlertKey, key::Space, 32},
      {Qt::Key_Minus, Qt::NoModifier, "-", ev::AlertKey, key::Character, '-'},
      {Qt::Key_Period, Qt::NoModifier, ".", ev::AlertKey, key::Character, '.'},
      {Qt::Key_unknown, Qt::NoModifier, "ё", ev::AlertKey, key::Character, 0xB8},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.code * 1000 + t.keyCode);
    log->clear();
    QKeyEvent press(QEvent::KeyPress, t.key, t.mods, t.text);
    QApplication::sendEvent(list, &press);
    ASSERT_TRUE(until([&] { return !log->all().empty(); }));
    const Taken taken = log->all().front();
    EXPECT_EQ(taken.code, t.code);
    EXPECT_EQ(taken.field, kList);
    if (t.code == ev::AlertKey) {
      EXPECT_EQ(taken.keyCode, t.keyCode);
      EXPECT_EQ(taken.keyChar, t.keyChar);
    }
  }
}

TEST_F(Input, ListClicksSelectRowsAndAlertTheMouseKeys) {
  auto log = std::make_shared<EventLog>();
  PageList* list = openList(log);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->selectedRow(), 2);

  QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(4).center());
  ASSERT_TRUE(until([&] { return log->has(ev::NewSelection); }));
  EXPECT_EQ(log->with(ev::NewSelection).back().selected, 4);

  log->clear();
  QTest::mouseDClick(list, Qt::LeftButton, {}, list->rowRect(4).center());
  ASSERT_TRUE(until([&] { return log->has(ev::AlertKey); }));
  EXPECT_EQ(log->with(ev::AlertKey).back().keyCode, key::MouseLeft2);

  // A right click on another row selects it first: the popup acts on the highlighted row.
  log->clear();
  QTest::mouseClick(list, Qt::RightButton, {}, list->rowRect(1).center());
  ASSERT_TRUE(until([&] { return log->has(ev::AlertKey); }));
  std::vector<Taken> taken = log->all();
  std::erase_if(taken, [](const Taken& t) { return t.code == ev::Selected; });
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].code, ev::NewSelection);
  EXPECT_EQ(taken[0].selected, 1);
  EXPECT_EQ(taken[1].keyCode, key::MouseRight);
}

TEST_F(Input, TheScrollBarAsksForPagesAndReportsTheThumb) {
  auto log = std::make_shared<EventLog>();
  PageList* list = openList(log);
  ASSERT_NE(list, nullptr);
  QScrollBar* bar = list->scrollBar();
  // The thumb is the model's position in the whole key, not a row of the page.
  EXPECT_EQ(bar->value(), 37);
  EXPECT_EQ(bar->maximum(), 100);

  struct Case {
    QAbstractSlider::SliderAction action;
    int code;
  };
  const Case cases[] = {
      {QAbstractSlider::SliderSingleStepAdd, ev::ScrollDown},
      {QAbstractSlider::SliderSingleStepSub, ev::ScrollUp},
      {QAbstractSlider::SliderPageStepAdd, ev::PageDown},
      {QAbstractSlider::SliderPageStepSub, ev::PageUp},
  };
  for (const Case& t : cases) {
    log->clear();
    bar->triggerAction(t.action);
    ASSERT_TRUE(until([&] { return !log->all().empty(); }));
    EXPECT_EQ(log->all().front().code, t.code);
    EXPECT_EQ(bar->value(), 37) << "the thumb waits for the model";
  }

  log->clear();
  bar->setSliderDown(true);
  bar->setSliderPosition(80);
  bar->setSliderDown(false);
  ASSERT_TRUE(until([&] { return log->has(ev::ScrollDrag); }));
  EXPECT_EQ(log->with(ev::ScrollDrag).front().thumb, 80);
}

TEST_F(Input, EntriesRefuseWhatCp1251CannotHoldAndHandAcceptedTextToTheModel) {
  struct Fields {
    char name[4] = {'O', 'l', 'd', ' '};  // STRING(4): padded, no terminator
    int32_t number = 7;
  };
  auto fields = std::make_shared<Fields>();
  runtime::WindowDef def = testWindow("ENTRY", false);
  def.controls = {testControl(1, ControlKind::Entry, "?NAME", {4, 4, 60, 10}),
                  testControl(2, ControlKind::Entry, "?NUM", {4, 20, 60, 10})};
  def.controls[0].picture = "s4";
  def.controls[1].picture = "n_8";
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log, [fields] {
    runtime::bind(1, runtime::bindString(fields->name));
    runtime::bind(2, runtime::bindLong(fields->number));
  }));
  WindowView* view = waitView("ENTRY");
  ASSERT_NE(view, nullptr);
  auto* name = qobject_cast<EntryEdit*>(view->control(1));
  auto* number = qobject_cast<EntryEdit*>(view->control(2));
  ASSERT_TRUE(until([&] { return name->text() == "Old" && number->text() == "7"; }));

  name->clear();
  type(name, QString::fromUtf8("Жāё€xyz"));
  EXPECT_EQ(name->text(), QString::fromUtf8("Жё€x")) << "ā refused, then the picture's 4";
  QTest::keyClick(name, Qt::Key_Return);
  ASSERT_TRUE(until([&] { return log->has(ev::Accepted, 1); }));
  EXPECT_EQ(log->with(ev::Accepted, 1).front().value, "Жё€x");
  // A pasted line keeps its text without the line's end; control characters between words
  // stand as one blank.
  const std::pair<const char*, const char*> pastes[] = {{"Ив\n", "Ив"}, {"\x01z\nb", "z b"}};
  for (const auto& [pasted, kept] : pastes) {
    name->clear();
    QApplication::clipboard()->setText(QString::fromUtf8(pasted));
    name->paste();
    EXPECT_EQ(name->text(), QString::fromUtf8(kept));
    EXPECT_TRUE(name->isModified()) << "a cleaned paste is an edit to hand over";
  }

  // Text the picture refuses is rejected by the model, and the field shows the model's value.
  number->clear();
  type(number, "12a");
  QTest::keyClick(number, Qt::Key_Return);
  ASSERT_TRUE(until([&] { return log->has(ev::Rejected, 2); }));
  EXPECT_EQ(number->text(), "7");
  number->clear();
  type(number, "345");
  QTest::keyClick(number, Qt::Key_Return);
  ASSERT_TRUE(until([&] { return log->has(ev::Accepted, 2); }));
  EXPECT_EQ(log->with(ev::Accepted, 2).front().value, "345");
}

TEST_F(Input, ACardGrowsButNeverShrinksBelowItsDesignSize) {
  const runtime::WindowDef& def = phonedir::layout::streetCardWindow();
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log, [] {
    runtime::Window& w = runtime::window();
    w.minWidth = w.width;
    w.minHeight = w.height;
    runtime::display();
  }));
  WindowView* view = waitView(def.proc);
  ASSERT_NE(view, nullptr);
  const DialogUnits& u = view->units();
  const QSize design(u.x(def.width), u.y(def.height));
  ASSERT_TRUE(until([&] { return view->minimumSize() == design; }));

  view->resize(design / 2);
  EXPECT_EQ(view->size(), design);

  const QSize larger = design + QSize(u.x(60), u.y(30));
  view->resize(larger);
  ASSERT_TRUE(until([&] { return log->has(ev::Sized); }));
  const Taken sized = log->with(ev::Sized).back();
  EXPECT_EQ(sized.width, u.fromX(larger.width()));
  EXPECT_EQ(sized.height, u.fromY(larger.height()));
  settle();
  EXPECT_EQ(view->size(), larger) << "the model's echo of the new size moves nothing";
}

TEST_F(Input, AWindowTimerTicksToItsProcedure) {
  runtime::WindowDef def = testWindow("TICK", false);
  def.timer = 1;
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log));
  EXPECT_TRUE(until([&] { return log->with(ev::Timer).size() >= 2; }));
}

}  // namespace
}  // namespace gui::test
