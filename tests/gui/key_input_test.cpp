// The key or mouse button behind every event a window's controls send, and the alerted keys:
// a key a control alerts reaches the procedure as an alerted key; a list's typed characters
// and Backspace always do; everything else does what the control does by default. The
// controls are driven directly, without a procedure, so each case sees exactly the events
// its input made.

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "gui/control_set.h"
#include "gui/entry_edit.h"
#include "gui/page_list.h"
#include "gui_harness.h"
#include "runtime/locale/charset.h"
#include "runtime/picture.h"

namespace gui::test {
namespace {

using runtime::ControlKind;
namespace ev = runtime::ev;
namespace key = runtime::key;

constexpr int kList = 1;
constexpr int kEntry = 2;
constexpr int kButton = 3;

struct Sent {
  int code, field, key, value, keyChar;
  bool operator==(const Sent&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Sent& s) {
  return os << "{code " << s.code << ", field " << s.field << ", key " << s.key << ", value "
            << s.value << ", char " << s.keyChar << "}";
}

class KeyInput : public GuiTest {
 protected:
  // A list of five rows (the second selected), an entry and a button; `alerted` are the keys
  // each of them alerts.
  void build(const std::vector<int>& alerted) {
    client_ = std::make_unique<QWidget>();
    client_->resize(400, 300);
    controls_ = new ControlSet(
        client_.get(), nullptr,
        [this](const runtime::Event& e) {
          // Focus notices depend on the window being active; they are no input here.
          if (e.code != ev::Selected) sent_.push_back({e.code, e.field, e.key, e.value, e.keyChar});
        },
        client_.get());
    controls_->setUnits(DialogUnits(client_->font()));
    runtime::ControlSnapshot list;
    list.number = kList;
    list.kind = ControlKind::List;
    list.rect = {4, 4, 190, 100};
    list.columns = runtime::parseListFormat("40L(2)|~Телефон~C(0)@s10@80L(2)|~Фамилия~C(0)@s17@");
    for (int i = 1; i <= 5; ++i) list.rows.push_back({std::to_string(i), "x"});
    list.selected = 2;
    runtime::ControlSnapshot entry;
    entry.number = kEntry;
    entry.kind = ControlKind::Entry;
    entry.rect = {4, 110, 60, 10};
    runtime::ControlSnapshot button;
    button.number = kButton;
    button.kind = ControlKind::Button;
    button.text = "&OK";
    button.rect = {70, 110, 45, 14};
    for (runtime::ControlSnapshot* c : {&list, &entry, &button}) c->alertKeys = alerted;
    controls_->apply({list, entry, button}, 200);
    client_->show();
  }
  PageList* list() const { return qobject_cast<PageList*>(controls_->widget(kList)); }
  std::vector<Sent> take() { return std::exchange(sent_, {}); }

  std::unique_ptr<QWidget> client_;
  ControlSet* controls_ = nullptr;
  std::vector<Sent> sent_;
};

void press(QWidget* w, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier,
           const QString& text = {}) {
  QKeyEvent e(QEvent::KeyPress, k, mods, text);
  QApplication::sendEvent(w, &e);
}

TEST_F(KeyInput, AListSendsItsKeysWithTheKeyThatCausedThem) {
  const std::vector<int> browseKeys = {key::MouseLeft2, key::Space,     key::Insert,
                                       key::Delete,     key::CtrlEnter, key::MouseRight};
  struct Case {
    const char* what;
    std::vector<int> alerted;
    Qt::Key k;
    Qt::KeyboardModifiers mods;
    QString text;
    std::vector<Sent> expected;
  };
  const Case cases[] = {
      {"Up", browseKeys, Qt::Key_Up, {}, "", {{ev::ScrollUp, kList, key::Up, 0, 0}}},
      {"Down", browseKeys, Qt::Key_Down, {}, "", {{ev::ScrollDown, kList, key::Down, 0, 0}}},
      {"PgUp", browseKeys, Qt::Key_PageUp, {}, "", {{ev::PageUp, kList, key::PageUp, 0, 0}}},
      {"PgDn", browseKeys, Qt::Key_PageDown, {}, "", {{ev::PageDown, kList, key::PageDown, 0, 0}}},
      {"Home", browseKeys, Qt::Key_Home, {}, "", {{ev::ScrollTop, kList, key::Home, 0, 0}}},
      {"Ctrl+End",
       browseKeys,
       Qt::Key_End,
       Qt::ControlModifier,
       "",
       {{ev::ScrollBottom, kList, key::End, 0, 0}}},
      {"Insert",
       browseKeys,
       Qt::Key_Insert,
       {},
       "",
       {{ev::AlertKey, kList, key::Insert, key::Insert, 0}}},
      {"Delete",
       browseKeys,
       Qt::Key_Delete,
       {},
       "",
       {{ev::AlertKey, kList, key::Delete, key::Delete, 0}}},
      {"Ctrl+Enter",
       browseKeys,
       Qt::Key_Return,
       Qt::ControlModifier,
       "",
       {{ev::AlertKey, kList, key::CtrlEnter, key::CtrlEnter, 0}}},
      {"Space alerted",
       browseKeys,
       Qt::Key_Space,
       {},
       " ",
       {{ev::AlertKey, kList, key::Space, key::Space, ' '}}},
      // Characters are characters: '-' and '.' are not Insert and Delete.
      {"minus",
       browseKeys,
       Qt::Key_Minus,
       {},
       "-",
       {{ev::AlertKey, kList, key::Character, key::Character, '-'}}},
      {"point",
       browseKeys,
       Qt::Key_Period,
       {},
       ".",
       {{ev::AlertKey, kList, key::Character, key::Character, '.'}}},
      {"Ж",
       browseKeys,
       Qt::Key_unknown,
       {},
       "Ж",
       {{ev::AlertKey, kList, key::Character, key::Character, 0xC6}}},
      {"7",
       browseKeys,
       Qt::Key_7,
       {},
       "7",
       {{ev::AlertKey, kList, key::Character, key::Character, '7'}}},
      // Backspace belongs to the locator whether alerted or not.
      {"Backspace",
       browseKeys,
       Qt::Key_Backspace,
       {},
       "\b",
       {{ev::AlertKey, kList, key::Backspace, key::Backspace, 8}}},
      // Keys nobody alerted do what the list does by default, or nothing.
      {"Space unalerted",
       {},
       Qt::Key_Space,
       {},
       " ",
       {{ev::AlertKey, kList, key::Character, key::Character, ' '}}},
      {"Insert unalerted", {}, Qt::Key_Insert, {}, "", {}},
      {"Ctrl+Enter unalerted", {}, Qt::Key_Return, Qt::ControlModifier, "", {}},
      // An alerted arrow is the procedure's to handle, not a scroll.
      {"Down alerted",
       {key::Down},
       Qt::Key_Down,
       {},
       "",
       {{ev::AlertKey, kList, key::Down, key::Down, 0}}},
      {"F1 alerted", {key::F1}, Qt::Key_F1, {}, "", {{ev::AlertKey, kList, key::F1, key::F1, 0}}},
      {"F1 unalerted", {}, Qt::Key_F1, {}, "", {}},
      // A character the character set cannot hold is refused.
      {"ā", browseKeys, Qt::Key_unknown, {}, "ā", {}},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    build(t.alerted);
    press(list(), t.k, t.mods, t.text);
    EXPECT_EQ(take(), t.expected);
  }
}

TEST_F(KeyInput, ListClicksCarryTheirButton) {
  const std::vector<int> browseKeys = {key::MouseLeft2, key::MouseRight};
  build(browseKeys);
  PageList* l = list();
  QTest::mouseClick(l, Qt::LeftButton, {}, l->rowRect(4).center());
  EXPECT_EQ(take(), (std::vector<Sent>{{ev::NewSelection, kList, key::MouseLeft, 4, 0}}));

  QTest::mouseDClick(l, Qt::LeftButton, {}, l->rowRect(4).center());
  std::vector<Sent> sent = take();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), (Sent{ev::AlertKey, kList, key::MouseLeft2, key::MouseLeft2, 0}));

  // An alerted right click selects its row without a key (or the selection would show the
  // popup as well), then alerts the right button.
  QTest::mouseClick(l, Qt::RightButton, {}, l->rowRect(1).center());
  EXPECT_EQ(take(),
            (std::vector<Sent>{{ev::NewSelection, kList, key::None, 1, 0},
                               {ev::AlertKey, kList, key::MouseRight, key::MouseRight, 0}}));

  // The scroll bar is a left click; the wheel is no key but still replaces the last one.
  l->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(take(), (std::vector<Sent>{{ev::PageDown, kList, key::MouseLeft, 0, 0}}));
  QWheelEvent wheel(QPointF(10, 30), l->mapToGlobal(QPointF(10, 30)), {}, QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(l, &wheel);
  EXPECT_EQ(take(), (std::vector<Sent>{{ev::ScrollDown, kList, key::None, 0, 0}}));

  // Unalerted, a right click is a selection by the right button and a double click nothing
  // more than its clicks.
  build({});
  l = list();
  QTest::mouseClick(l, Qt::RightButton, {}, l->rowRect(3).center());
  EXPECT_EQ(take(), (std::vector<Sent>{{ev::NewSelection, kList, key::MouseRight, 3, 0}}));
  QMouseEvent dbl(QEvent::MouseButtonDblClick, l->rowRect(3).center(),
                  l->mapToGlobal(l->rowRect(3).center()), Qt::LeftButton, Qt::LeftButton, {});
  QApplication::sendEvent(l, &dbl);
  EXPECT_EQ(take(), std::vector<Sent>{});
}

TEST_F(KeyInput, EntriesAndButtonsAlertWhatTheyAreToldToAndAcceptWithTheirKey) {
  build({key::CtrlApostrophe, key::MouseRight});
  auto* entry = qobject_cast<QLineEdit*>(controls_->widget(kEntry));
  auto* button = qobject_cast<QPushButton*>(controls_->widget(kButton));
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(button, nullptr);

  press(entry, Qt::Key_Apostrophe, Qt::ControlModifier);
  EXPECT_EQ(
      take(),
      (std::vector<Sent>{{ev::AlertKey, kEntry, key::CtrlApostrophe, key::CtrlApostrophe, 0}}));
  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2), entry->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(entry, &menu);
  EXPECT_EQ(take(),
            (std::vector<Sent>{{ev::AlertKey, kEntry, key::MouseRight, key::MouseRight, 0}}));

  entry->setText("abc");
  press(entry, Qt::Key_Return);
  EXPECT_EQ(take(), (std::vector<Sent>{{ev::Accepted, kEntry, key::Enter, 0, 0}}));

  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(take(), (std::vector<Sent>{{ev::Accepted, kButton, key::MouseLeft, 0, 0}}));
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(take(), (std::vector<Sent>{{ev::Accepted, kButton, key::Space, 0, 0}}));

  // Not alerted: Ctrl+' is the entry's own, and F1 goes nowhere.
  build({});
  entry = qobject_cast<QLineEdit*>(controls_->widget(kEntry));
  press(entry, Qt::Key_Apostrophe, Qt::ControlModifier);
  press(entry, Qt::Key_F1);
  EXPECT_EQ(take(), std::vector<Sent>{});
}

// The history key asks the procedure to put a saved value into the field: what was typed over
// the field's value and not handed in goes, even when the procedure's answer is that very value.
TEST_F(KeyInput, TheHistoryKeyDropsWhatWasTypedOverTheField) {
  build({key::CtrlApostrophe});
  auto* entry = qobject_cast<EntryEdit*>(controls_->widget(kEntry));
  ASSERT_NE(entry, nullptr);
  entry->showValue("X");
  entry->setFocus();
  entry->end(false);
  QTest::keyClicks(entry, "ZZZ");
  ASSERT_EQ(entry->text(), "XZZZ");
  press(entry, Qt::Key_Apostrophe, Qt::ControlModifier);
  EXPECT_EQ(
      take(),
      (std::vector<Sent>{{ev::AlertKey, kEntry, key::CtrlApostrophe, key::CtrlApostrophe, 0}}))
      << "the typed text is not handed in";
  EXPECT_EQ(entry->text(), "X");
  entry->showValue("Y");
  EXPECT_EQ(entry->text(), "Y") << "the value the procedure put back";
}

// A number's picture fills its field with zeros and separators when the number is blank, so
// nothing typed would fit: a click into the field selects that text for typing to replace. A
// field that holds a value keeps the cursor where the click put it.
TEST_F(KeyInput, AClickIntoANumberFieldFullOfItsPictureLetsTypingReplaceIt) {
  build({});
  auto* entry = qobject_cast<EntryEdit*>(controls_->widget(kEntry));
  ASSERT_NE(entry, nullptr);
  client_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(client_.get()));
  const runtime::Picture picture("P<#-##-##P");
  entry->setPicture("P<#-##-##P", picture.width());
  const QPoint end(entry->width() - 4, entry->height() / 2);

  entry->showValue(QString::fromStdString(runtime::toUtf8(picture.format(std::string(6, ' ')))));
  ASSERT_GE(entry->text().size(), entry->maxLength());
  QTest::mouseClick(entry, Qt::LeftButton, {}, end);
  QTest::keyClicks(entry, "512345");
  EXPECT_EQ(entry->text(), "512345");

  controls_->widget(kButton)->setFocus();
  entry->showValue("51-23-45");
  QTest::mouseClick(entry, Qt::LeftButton, {}, end);
  EXPECT_FALSE(entry->hasSelectedText());
}

// The focus given by the program, as Tab gives it: an entry's text is selected, so what is
// typed next replaces it.
TEST_F(KeyInput, AnEntryTheProgramFocusesIsTypedOver) {
  build({});
  auto* entry = qobject_cast<QLineEdit*>(controls_->widget(kEntry));
  ASSERT_NE(entry, nullptr);
  entry->setText("0");
  controls_->applyFocus(kEntry, 1);
  EXPECT_EQ(entry->selectedText(), "0");
  QTest::keyClicks(entry, "777");
  EXPECT_EQ(entry->text(), "777");
}

// The procedure's focus reaches the window with every display, and a display may have been
// made before the procedure took the user's last move of the focus.
TEST_F(KeyInput, AnOlderDisplayDoesNotTakeTheFocusBackFromWhereTheUserMovedIt) {
  build({});
  client_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(client_.get()));
  QWidget* entry = controls_->widget(kEntry);
  QWidget* button = controls_->widget(kButton);
  controls_->applyFocus(kEntry, 1);
  ASSERT_EQ(QApplication::focusWidget(), entry);
  button->setFocus(Qt::TabFocusReason);
  controls_->applyFocus(kEntry, 1);
  EXPECT_EQ(QApplication::focusWidget(), button) << "the display before the move";
  controls_->applyFocus(kEntry, 2);
  EXPECT_EQ(QApplication::focusWidget(), entry) << "the procedure moved it again";
}

}  // namespace
}  // namespace gui::test
