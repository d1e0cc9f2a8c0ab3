// The key code a procedure reads: every user input sets it, and keys reach a control as an
// alerted key only when the control takes them.

#include <gtest/gtest.h>

#include <mutex>

#include "runtime_fixture.h"

namespace runtime {
namespace {

struct Taken {
  int code, field, keyCode, keyChar;
  bool operator==(const Taken&) const = default;
};

class KeyCodeTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    start([this] {
      openWindow(def_);
      alert(5, key::MouseRight);
      alert(5, key::Insert);
      while (const int e = event()) {
        if (e == ev::OpenWindow || e == ev::Selected) continue;  // focus is not the point here
        std::lock_guard lock(mutex_);
        taken_.push_back({e, field(), keyCode(), keyChar()});
      }
      closeWindow();
    });
    ASSERT_TRUE(waitIdle());
  }

  // What the procedure took since the last call.
  std::vector<Taken> taken() {
    std::lock_guard lock(mutex_);
    std::vector<Taken> out;
    out.swap(taken_);
    return out;
  }

 private:
  const WindowDef def_ = listWindow("A");
  std::mutex mutex_;
  std::vector<Taken> taken_;
};

TEST_F(KeyCodeTest, ARightClickIsForgottenAtTheNextInput) {
  ASSERT_TRUE(driver.key("?LIST", key::MouseRight));
  ASSERT_TRUE(driver.selectRow("?LIST", 3));
  ASSERT_TRUE(driver.key("?LIST", key::MouseRight));
  ASSERT_TRUE(driver.scroll("?LIST", ev::PageDown));
  const std::vector<Taken> expected = {
      {ev::AlertKey, 5, key::MouseRight, 0},
      {ev::NewSelection, 5, key::MouseLeft, 0},
      {ev::AlertKey, 5, key::MouseRight, 0},
      {ev::PageDown, 5, key::PageDown, 0},
  };
  EXPECT_EQ(taken(), expected);
}

TEST_F(KeyCodeTest, KeysReachAControlOnlyAsItTakesThem) {
  struct Case {
    const char* label;
    int code, ch;
    std::vector<Taken> taken;
  };
  const Case cases[] = {
      // Typed characters are never their byte values: '-' and '.' are not Insert and Delete.
      {"?LIST", key::Character, '-', {{ev::AlertKey, 5, key::Character, '-'}}},
      {"?LIST", key::Character, '.', {{ev::AlertKey, 5, key::Character, '.'}}},
      {"?LIST", key::Insert, 0, {{ev::AlertKey, 5, key::Insert, 0}}},
      {"?LIST", key::Delete, 0, {}},  // not alerted
      {"?LIST", key::Backspace, 0, {{ev::AlertKey, 5, key::Backspace, 0}}},
      {"?LIST", key::Space, ' ', {{ev::AlertKey, 5, key::Character, ' '}}},
      {"?LOC:NAME", key::Character, 'a', {}},
      {"?LOC:NAME", key::CtrlApostrophe, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.label) + " " + std::to_string(c.code));
    ASSERT_TRUE(driver.key(c.label, c.code, c.ch));
    EXPECT_EQ(taken(), c.taken);
  }
  const std::vector<int> alerted = {key::MouseRight, key::Insert};
  EXPECT_EQ(driver.control("?LIST")->alertKeys, alerted) << "the backend is told what to send";
}

TEST_F(RuntimeTest, AlertedKeysAreTheProceduresToChange) {
  const WindowDef def = listWindow("A");
  start([&] {
    openWindow(def);
    alert(1, key::CtrlApostrophe);
    alert(1, key::CtrlApostrophe);
    alert(5, key::MouseLeft2);
    while (event() != 0) {
      if (accepted() == 3) clearAlerts(5);
    }
    closeWindow();
  });
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(driver.control("?LOC:NAME")->alertKeys, std::vector<int>{key::CtrlApostrophe});
  EXPECT_EQ(driver.control("?LIST")->alertKeys, std::vector<int>{key::MouseLeft2});
  ASSERT_TRUE(driver.press("?ASK"));
  EXPECT_TRUE(driver.control("?LIST")->alertKeys.empty());
}

}  // namespace
}  // namespace runtime
