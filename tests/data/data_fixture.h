#pragma once
// A working directory of its own and a headless runtime for the data-layer tests, which run
// the system's procedures on a procedure thread and read back what the user would have seen.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/headless_backend.h"
#include "runtime/runtime.h"

namespace phonedir::test {

// Remembers every state a window was shown in, so a test can look at a window that has
// already closed again.
class RecordingBackend : public runtime::HeadlessBackend {
 public:
  void updateWindow(const runtime::WindowSnapshot& w) override {
    {
      std::lock_guard lock(shownMutex);  // every procedure thread shows its windows
      shown.push_back(w);
    }
    HeadlessBackend::updateWindow(w);
  }
  // Read only once the threads are idle.
  std::vector<runtime::WindowSnapshot> shown;
  std::mutex shownMutex;
};

class DataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("phonedir-data-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    runtime::init(backend);
  }
  void TearDown() override {
    runtime::shutdown();
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(dir_);
  }

  // Runs a procedure on a thread of its own to its end; returns the transcript it produced.
  std::vector<std::string> run(const std::function<void()>& procedure) {
    runtime::start(procedure);
    EXPECT_TRUE(runtime::waitFinished());
    return backend.takeTranscript();
  }

  RecordingBackend backend;
  std::filesystem::path dir_;
  std::filesystem::path previous_;
};

}  // namespace phonedir::test
