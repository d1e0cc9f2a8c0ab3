#pragma once
// A headless runtime for the runtime's own tests, and a small window to drive: two entries
// (?LOC:NAME, ?LOC:COUNT) and two buttons (?ASK, ?OK).

#include <gtest/gtest.h>

#include <string>

#include "runtime/headless_backend.h"
#include "runtime/headless_driver.h"
#include "runtime/runtime.h"

namespace runtime {

template <typename Backend = HeadlessBackend>
class RuntimeTestOver : public ::testing::Test {
 protected:
  void SetUp() override { init(backend); }
  void TearDown() override { shutdown(); }

  Backend backend;
  HeadlessDriver driver{backend};
};

using RuntimeTest = RuntimeTestOver<>;

WindowDef simpleWindow(const std::string& proc);
// The same with a list (?LIST, number 5) in place of the buttons' room.
WindowDef listWindow(const std::string& proc);

}  // namespace runtime
