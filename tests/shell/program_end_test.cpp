// SIGTERM and SIGINT end the program as closing its frame does, also while it waits for a file
// another station holds.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "../data/data_fixture.h"
#include "../data/data_fixture_files.h"
#include "data/files.h"
#include "runtime/close_signals.h"
#include "shell/globals.h"
#include "shell/program.h"

namespace phonedir {
namespace {

// Made before main() starts any thread, so every thread of this program leaves the two
// signals to the runtime, as the program's own main() arranges.
const runtime::CloseSignals closeSignals;

class ProgramEndTest : public test::DataTest {
 protected:
  // Another station: a child process holding PHONE.db exclusively until it is killed.
  pid_t holdPhone() {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      PHO_RECORD buffer{};
      storage::KeyedFile phone(PHONE_FILE(), &buffer);
      const char c = phone.open(storage::kExclusive) == 0 ? '1' : '0';
      [[maybe_unused]] auto written = write(ready[1], &c, 1);
      for (;;) pause();
    }
    char c = 0;
    EXPECT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, '1');
    close(ready[0]);
    close(ready[1]);
    return pid;
  }

  static bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

TEST_F(ProgramEndTest, SigtermWhileWaitingForTheCityFileEndsTheProgramAtOnce) {
  test::makePhoneFile({});
  const pid_t holder = holdPhone();
  runtime::runMain(&_main);
  // The frame's thread shows the wait cursor while it retries the open.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!backend.waitCursor(1) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(backend.waitCursor(1));

  ASSERT_EQ(kill(getpid(), SIGTERM), 0);
  // The retry would go on for ten seconds before giving up with a message.
  EXPECT_TRUE(runtime::waitFinished(std::chrono::seconds(1)));
  EXPECT_EQ(backend.exitCode(), 0);
  EXPECT_TRUE(backend.takeTranscript().empty()) << "no message, no halt";
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
}

TEST_F(ProgramEndTest, SigintClosesEveryWindowAndEndsTheProgram) {
  runtime::runMain(&_main);
  ASSERT_TRUE(runtime::waitIdle());
  backend.takeTranscript();
  ASSERT_EQ(kill(getpid(), SIGINT), 0);
  ASSERT_TRUE(runtime::waitFinished());
  EXPECT_EQ(backend.exitCode(), 0);
  const auto transcript = backend.takeTranscript();
  const std::vector<std::string> expected = {"close PERSONAL", "close START"};
  EXPECT_EQ(transcript, expected);
  EXPECT_EQ(RUNNING_PERSONAL.load(), 0);
}

}  // namespace
}  // namespace phonedir
