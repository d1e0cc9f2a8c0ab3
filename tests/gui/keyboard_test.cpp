// The keyboard: F10 and Alt take it to the frame's menu bar from a work window, the menu's
// commands have access keys, Esc in a card form is its Cancel button, and a key that presses
// a button acts on the text being typed; Qt's own texts (a work window's system menu, an
// entry's edit menu, standard buttons) are Russian.

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <tuple>
#include <utility>

#include "gui/frame_window.h"
#include "gui_harness.h"
#include "layout/windows.h"

namespace gui::test {
namespace {

using runtime::ControlKind;
namespace ev = runtime::ev;

int numberOf(const runtime::WindowDef& def, const std::string& label) {
  for (const runtime::ControlDef& c : def.controls) {
    if (c.label == label) return c.number;
  }
  return 0;
}

bool russian(const QString& text) {
  static const QRegularExpression cyrillic("[А-Яа-яЁё]");
  return text.contains(cyrillic);
}

// The key presses sent straight to a widget, as the focused one would receive them.
void send(QWidget* w, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
  QKeyEvent e(type, key, mods);
  QApplication::sendEvent(w, &e);
}

class Keyboard : public GuiTest {
 protected:
  // The frame with the city directory inside; the list of the directory.
  QWidget* openDirectory(const std::shared_ptr<EventLog>& frameLog) {
    start(windowProc(phonedir::layout::frameWindow(), frameLog));
    if (waitFrame() == nullptr) return nullptr;
    start(windowProc(phonedir::layout::gorodWindow(), std::make_shared<EventLog>()));
    WindowView* view = waitView(phonedir::layout::gorodWindow().proc);
    return view != nullptr ? view->control(numberOf(phonedir::layout::gorodWindow(), "?LIST"))
                           : nullptr;
  }
};

TEST_F(Keyboard, F10AndAltTakeTheKeyboardToTheMenuBar) {
  auto frameLog = std::make_shared<EventLog>();
  QWidget* list = openDirectory(frameLog);
  ASSERT_NE(list, nullptr);
  QMenuBar* bar = host().frame()->menuBar();
  const QList<QAction*> entries = bar->actions();
  ASSERT_EQ(entries.size(), 3);

  send(list, QEvent::KeyPress, Qt::Key_F10);
  EXPECT_EQ(bar->activeAction(), entries[0]) << "F10";
  // On the menu bar the arrows move and Enter chooses.
  send(bar, QEvent::KeyPress, Qt::Key_Right);
  EXPECT_EQ(bar->activeAction(), entries[1]);
  send(bar, QEvent::KeyPress, Qt::Key_Return);
  ASSERT_TRUE(until([&] { return frameLog->has(ev::Accepted, -2); }));
  settle();
  ASSERT_EQ(bar->activeAction(), nullptr);

  // Alt pressed and released alone, as the window system reports it.
  send(list, QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
  send(list, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
  send(list, QEvent::KeyRelease, Qt::Key_Alt);
  EXPECT_EQ(bar->activeAction(), entries[0]) << "Alt";
}

TEST_F(Keyboard, EveryMenuCommandHasItsOwnAccessKey) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  settle();
  QStringList keys;
  for (const runtime::ControlDef& c : phonedir::layout::frameWindow().controls) {
    if (c.kind != ControlKind::MenuItem) continue;
    SCOPED_TRACE(c.label);
    const QString shown = frame->menuAction(c.number)->text();
    EXPECT_EQ(QString(shown).remove('&'), QString::fromStdString(c.text));
    const QString key = QKeySequence::mnemonic(shown).toString();
    EXPECT_FALSE(key.isEmpty());
    EXPECT_FALSE(keys.contains(key)) << key.toStdString();
    keys << key;
  }
}

TEST_F(Keyboard, EscInACardFormPressesItsCancelButton) {
  const runtime::WindowDef* cards[] = {&phonedir::layout::phoneCardWindow(),
                                       &phonedir::layout::streetCardWindow(),
                                       &phonedir::layout::personalCardWindow()};
  for (const runtime::WindowDef* def : cards) {
    SCOPED_TRACE(def->proc);
    const int cancel = numberOf(*def, "?CANCEL");
    ASSERT_NE(cancel, 0);
    auto log = std::make_shared<EventLog>();
    start(windowProc(*def, log, [cancel] {
      runtime::window().escapeButton = cancel;
      runtime::display();
    }));
    WindowView* view = waitView(def->proc);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(until([&] { return view->snapshot().escapeButton == cancel; }));
    // From whichever control has the focus: an entry.
    QLineEdit* entry = view->findChild<QLineEdit*>();
    ASSERT_NE(entry, nullptr);
    send(entry, QEvent::KeyPress, Qt::Key_Escape);
    ASSERT_TRUE(until([&] { return log->has(ev::Accepted, cancel); }));
    EXPECT_EQ(log->with(ev::Accepted, cancel).front().keyCode, runtime::key::Escape);
    EXPECT_FALSE(log->has(ev::CloseWindow));
    view->outer()->close();
    ASSERT_TRUE(until([&] { return viewOf(def->proc) == nullptr; }));
  }
}

// Keys that press a button without moving the focus (an access key, Esc, a frame toolbar
// button) act on what the focused entry shows: its edited text reaches the model before the
// press does, as a click on the button would send it; text its picture refuses stops the
// press and is rejected instead.
TEST_F(Keyboard, AKeyThatPressesAButtonTakesTheFocusedEntrysTextFirst) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  FrameWindow* frame = waitFrame();
  ASSERT_NE(frame, nullptr);
  constexpr int kName = 1, kFlat = 2, kOk = 3, kCancel = 4, kToolbarInsert = 2000;
  struct Fields {
    char name[10] = {};
    int32_t flat = 0;
  };
  auto fields = std::make_shared<Fields>();
  runtime::WindowDef def = testWindow("CARD", true);
  def.controls = {testControl(kName, ControlKind::Entry, "?NAME", {4, 4, 60, 10}),
                  testControl(kFlat, ControlKind::Entry, "?FLAT", {4, 20, 60, 10}),
                  testControl(kOk, ControlKind::Button, "?OK", {4, 40, 45, 14}),
                  testControl(kCancel, ControlKind::Button, "?CANCEL", {60, 40, 45, 14})};
  def.controls[0].picture = "s10";
  def.controls[1].picture = "n_4";
  def.controls[2].text = "&OK";
  def.controls[3].text = "О&тменить";
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log, [fields] {
    runtime::bind(kName, runtime::bindString(fields->name));
    runtime::bind(kFlat, runtime::bindLong(fields->flat));
    runtime::window().escapeButton = kCancel;
    runtime::display();
  }));
  WindowView* view = waitView("CARD");
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(until([&] { return view->snapshot().escapeButton == kCancel; }));
  // The work window active, so that the frame's toolbar is pressed for it.
  frame->activateWindow();
  frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->outer()));
  settle();
  auto* ok = qobject_cast<QPushButton*>(view->control(kOk));
  QAbstractButton* insert = qobject_cast<QAbstractButton*>(frame->toolbarButton(kToolbarInsert));
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(insert, nullptr);

  struct Case {
    const char* how;
    int entry;
    const char* typed;
    std::function<void()> press;
    int pressed;        // the event the press gives the card (the toolbar's goes to the frame)
    const char* value;  // the variable then, as stored; null when the text is rejected
  };
  const Case cases[] = {
      {"access key", kFlat, "34", [&] { ok->animateClick(); }, kOk, "34"},
      {"Esc", kName, "XYZ", [&] { send(view->control(kName), QEvent::KeyPress, Qt::Key_Escape); },
       kCancel, "XYZ       "},
      {"toolbar", kName, "Abc", [&] { insert->click(); }, 0, "Abc       "},
      {"refused", kFlat, "3a", [&] { ok->animateClick(); }, kOk, nullptr},
      // A click moves the focus to the button first, so the entry hands its text in as it
      // loses the focus; refused there, it must stop the click all the same.
      {"mouse", kFlat, "35", [&] { QTest::mouseClick(ok, Qt::LeftButton); }, kOk, "35"},
      {"mouse, refused", kFlat, "3b", [&] { QTest::mouseClick(ok, Qt::LeftButton); }, kOk, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    auto* entry = qobject_cast<QLineEdit*>(view->control(c.entry));
    ASSERT_NE(entry, nullptr);
    // The window as the model last showed it, before the user moves the focus.
    settle();
    entry->setFocus();
    ASSERT_TRUE(until([&] { return QApplication::focusWidget() == entry; }));
    settle();
    ASSERT_EQ(QApplication::focusWidget(), entry);
    log->clear();
    entry->selectAll();
    QTest::keyClicks(entry, c.typed);
    c.press();
    if (c.value == nullptr) {
      ASSERT_TRUE(until([&] { return log->has(ev::Rejected, c.entry); }));
      settle();
      EXPECT_FALSE(log->has(ev::Accepted, c.pressed)) << "the press is dropped";
      EXPECT_TRUE(until([&] { return QApplication::focusWidget() == entry; }))
          << "the field keeps the focus";
      continue;
    }
    ASSERT_TRUE(until([&] { return log->has(ev::Accepted, c.entry); }));
    EXPECT_EQ(log->with(ev::Accepted, c.entry).front().value, c.value);
    if (c.pressed == 0) continue;
    ASSERT_TRUE(until([&] { return log->has(ev::Accepted, c.pressed); }));
    const std::vector<Taken> taken = log->with(ev::Accepted);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].field, c.entry) << "the entry first";
    EXPECT_EQ(taken[1].field, c.pressed);
  }

  // The close box likewise: the window is asked to close once the entry's text is in.
  auto* name = qobject_cast<QLineEdit*>(view->control(kName));
  settle();
  name->setFocus();
  ASSERT_TRUE(until([&] { return QApplication::focusWidget() == name; }));
  settle();
  log->clear();
  name->selectAll();
  QTest::keyClicks(name, "Def");
  view->outer()->close();
  ASSERT_TRUE(until([&] { return log->has(ev::CloseWindow); }));
  const std::vector<Taken> taken = log->all();
  ASSERT_GE(taken.size(), 2u);
  EXPECT_EQ(taken[0].code, ev::Accepted);
  EXPECT_EQ(taken[0].field, kName) << "the entry first";
  EXPECT_EQ(taken[0].value, "Def       ");
}

// A window may have Enter in its entries press its default button once the entry took the
// text (a search's conditions and its search button); a text the picture refuses stops there.
TEST_F(Keyboard, EnterInAnEntryPressesTheDefaultButtonWhereTheWindowAsks) {
  constexpr int kFlat = 1, kSearch = 2;
  struct Fields {
    int32_t flat = 0;
  };
  auto fields = std::make_shared<Fields>();
  runtime::WindowDef def = testWindow("CONDITIONS", false);
  def.controls = {testControl(kFlat, ControlKind::Entry, "?FLAT", {4, 4, 60, 10}),
                  testControl(kSearch, ControlKind::Button, "?SEARCH", {4, 20, 45, 14})};
  def.controls[0].picture = "n_4";
  def.controls[1].text = "Поиск";
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log, [fields] {
    runtime::bind(kFlat, runtime::bindLong(fields->flat));
    runtime::control(kSearch).isDefault = true;
    runtime::window().entriesPressDefault = true;
    runtime::select(kFlat);
    runtime::display();
  }));
  QLineEdit* entry = waitFocusedEntry("CONDITIONS", kFlat);
  ASSERT_NE(entry, nullptr);
  log->clear();
  QTest::keyClicks(entry, "12");
  QTest::keyClick(entry, Qt::Key_Return);
  ASSERT_TRUE(until([&] { return log->has(ev::Accepted, kSearch); }));
  const std::vector<Taken> taken = log->with(ev::Accepted);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].field, kFlat) << "the entry first";

  log->clear();
  entry->selectAll();
  QTest::keyClicks(entry, "1a");
  QTest::keyClick(entry, Qt::Key_Return);
  ASSERT_TRUE(until([&] { return log->has(ev::Rejected, kFlat); }));
  settle();
  EXPECT_FALSE(log->has(ev::Accepted, kSearch));
}

// Tab and Shift+Tab go round a work window's own controls, also when the list is the only one
// they reach: neither takes the keyboard to the work window's frame, where keys go nowhere.
TEST_F(Keyboard, TabAndShiftTabStayInTheWorkWindow) {
  const runtime::WindowDef& def = phonedir::layout::personalWindow();
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  ASSERT_NE(waitFrame(), nullptr);
  start(windowProc(def, std::make_shared<EventLog>()));
  WindowView* view = waitView(def.proc);
  ASSERT_NE(view, nullptr);
  QWidget* list = view->control(numberOf(def, "?LIST:2"));
  ASSERT_NE(list, nullptr);
  view->window()->activateWindow();
  list->setFocus();
  ASSERT_TRUE(until([&] { return QApplication::focusWidget() == list; }));
  for (const auto& [key, mods] :
       {std::pair{Qt::Key_Backtab, Qt::ShiftModifier}, std::pair{Qt::Key_Tab, Qt::NoModifier}}) {
    for (int i = 0; i < 3; ++i) {
      QTest::keyClick(QApplication::focusWidget(), key, mods);
      settle();
      EXPECT_EQ(QApplication::focusWidget(), list)
          << (key == Qt::Key_Tab ? "Tab " : "Shift+Tab ") << i + 1;
    }
  }
}

// A work window's own toolbar buttons take no focus; Ctrl+1, Ctrl+2, ... press them in their
// order, in the window the focus is in only.
TEST_F(Keyboard, CtrlAndADigitPressAToolbarButtonOfTheWindowInUse) {
  const runtime::WindowDef& def = phonedir::layout::personalWindow();
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  ASSERT_NE(waitFrame(), nullptr);
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log));
  WindowView* view = waitView(def.proc);
  ASSERT_NE(view, nullptr);
  auto other = std::make_shared<EventLog>();
  start(windowProc(phonedir::layout::gorodWindow(), other));
  ASSERT_NE(waitView(phonedir::layout::gorodWindow().proc), nullptr);
  QWidget* list = view->control(numberOf(def, "?LIST:2"));
  ASSERT_NE(list, nullptr);
  view->window()->activateWindow();
  list->setFocus();
  ASSERT_TRUE(until([&] { return QApplication::focusWidget() == list; }));
  log->clear();
  other->clear();
  QTest::keyClick(list, Qt::Key_2, Qt::ControlModifier);
  ASSERT_TRUE(until([&] { return log->has(ev::Accepted, numberOf(def, "?BUTTON2")); }));
  settle();
  EXPECT_FALSE(log->has(ev::Accepted, numberOf(def, "?BUTTON1")));
  EXPECT_TRUE(other->with(ev::Accepted).empty()) << "the other window takes no press";
}

// The frame's navigation and insert buttons have keys that press them from any window, so a
// card that has taken the toolbar over saves and moves on without the mouse.
TEST_F(Keyboard, KeysPressTheFramesNavigationButtonsFromACard) {
  auto frameLog = std::make_shared<EventLog>();
  start(windowProc(phonedir::layout::frameWindow(), frameLog));
  ASSERT_NE(waitFrame(), nullptr);
  const runtime::WindowDef& def = phonedir::layout::personalCardWindow();
  start(windowProc(def, std::make_shared<EventLog>()));
  WindowView* view = waitView(def.proc);
  ASSERT_NE(view, nullptr);
  auto* entry = qobject_cast<QLineEdit*>(view->control(numberOf(def, "?PER:PRIM")));
  ASSERT_NE(entry, nullptr);
  view->window()->activateWindow();
  entry->setFocus();
  ASSERT_TRUE(until([&] { return QApplication::focusWidget() == entry; }));
  const auto frameNumber = [](const char* label) {
    return numberOf(phonedir::layout::frameWindow(), label);
  };
  const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> keys[] = {
      {Qt::Key_Down, Qt::ControlModifier, "?TBARBRWDOWN"},
      {Qt::Key_Up, Qt::ControlModifier, "?TBARBRWUP"},
      {Qt::Key_PageDown, Qt::ControlModifier, "?TBARBRWPAGEDOWN"},
      {Qt::Key_PageUp, Qt::ControlModifier, "?TBARBRWPAGEUP"},
      {Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier, "?TBARBRWBOTTOM"},
      {Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier, "?TBARBRWTOP"},
      {Qt::Key_Insert, Qt::AltModifier, "?TBARBRWINSERT"},
  };
  for (const auto& [key, modifiers, label] : keys) {
    SCOPED_TRACE(label);
    frameLog->clear();
    QTest::keyClick(entry, key, modifiers);
    ASSERT_TRUE(until([&] { return frameLog->has(ev::Accepted, frameNumber(label)); }));
    settle();
    EXPECT_EQ(frameLog->with(ev::Accepted).size(), 1u);
  }
  // The arrows without Ctrl stay the entry's own.
  frameLog->clear();
  QTest::keyClick(entry, Qt::Key_Down);
  settle();
  EXPECT_TRUE(frameLog->with(ev::Accepted).empty());
}

// The phone card's street button is passed by Tab; F4 presses it from any of its fields.
TEST_F(Keyboard, F4ChoosesTheStreetFromAnyFieldOfThePhoneCard) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  ASSERT_NE(waitFrame(), nullptr);
  const runtime::WindowDef& def = phonedir::layout::phoneCardWindow();
  auto log = std::make_shared<EventLog>();
  start(windowProc(def, log));
  WindowView* view = waitView(def.proc);
  ASSERT_NE(view, nullptr);
  QWidget* house = view->control(numberOf(def, "?PHO:HOME"));
  view->window()->activateWindow();
  house->setFocus();
  ASSERT_TRUE(until([&] { return QApplication::focusWidget() == house; }));
  QTest::keyClick(house, Qt::Key_F4);
  EXPECT_TRUE(until([&] { return log->has(ev::Accepted, numberOf(def, "?BUTTON3")); }));
}

TEST_F(Keyboard, QtsOwnTextsAreRussian) {
  start(windowProc(phonedir::layout::frameWindow(), std::make_shared<EventLog>()));
  ASSERT_NE(waitFrame(), nullptr);
  runtime::WindowDef def = testWindow("W", true);
  def.controls = {testControl(1, ControlKind::Entry, "?E", {4, 4, 60, 10})};
  start(windowProc(def, std::make_shared<EventLog>()));
  WindowView* view = waitView("W");
  ASSERT_NE(view, nullptr);

  auto* sub = qobject_cast<QMdiSubWindow*>(view->outer());
  ASSERT_NE(sub, nullptr);
  for (const QAction* a : sub->systemMenu()->actions()) {
    if (!a->isSeparator()) {
      EXPECT_TRUE(russian(a->text())) << a->text().toStdString();
    }
  }
  auto* entry = qobject_cast<QLineEdit*>(view->control(1));
  ASSERT_NE(entry, nullptr);
  std::unique_ptr<QMenu> menu(entry->createStandardContextMenu());
  for (const QAction* a : menu->actions()) {
    if (!a->isSeparator()) {
      EXPECT_TRUE(russian(a->text())) << a->text().toStdString();
    }
  }
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                           QDialogButtonBox::No);
  for (const QAbstractButton* b : buttons.buttons()) {
    if (b->text() != "OK") {
      EXPECT_TRUE(russian(b->text())) << b->text().toStdString();
    }
  }
}

}  // namespace
}  // namespace gui::test
