// The search window end to end on the headless backend: its result file from opening to
// closing, a result file that cannot be made, and two programs searching in one folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../data/data_fixture.h"
#include "../data/data_fixture_files.h"
#include "data/files.h"
#include "demo_town.h"
#include "runtime/headless_driver.h"
#include "search/search.h"
#include "shell/globals.h"

namespace phonedir {
namespace {

namespace fs = std::filesystem;

class PoiskTest : public test::DataTest {
 protected:
  void SetUp() override {
    test::DataTest::SetUp();
    std::ostringstream out, err;
    ASSERT_EQ(datatool::demo(".", 2000, out, err), 0) << err.str();
  }

  void openSearch() {
    runtime::start(&POISK);
    ASSERT_TRUE(runtime::waitIdle());
    backend.takeTranscript();
  }

  void search(const std::string& mask) {
    ASSERT_TRUE(driver.type("?LOC:PHONE", mask));
    ASSERT_TRUE(driver.press("?BUTTON6"));
  }

  // The phone column of the rows the list shows, digits only; empty while the list is hidden.
  std::vector<std::string> shownNumbers() const {
    std::vector<std::string> out;
    const auto list = driver.control("?LIST");
    if (!list || list->hidden) return out;
    for (const auto& row : list->rows) out.push_back(row.at(0));
    return out;
  }

  // The result files in the folder (their journals aside).
  std::vector<std::string> resultFiles() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(".")) {
      const std::string name = e.path().filename().string();
      if (name.rfind("POISK", 0) == 0 && name.ends_with(".db")) out.push_back(name);
    }
    return out;
  }

  runtime::HeadlessDriver driver{backend};
};

bool allBeginWith(const std::vector<std::string>& numbers, char first) {
  for (const std::string& n : numbers)
    if (n.empty() || n[0] != first) return false;
  return !numbers.empty();
}

TEST_F(PoiskTest, TheResultFileLivesAsLongAsTheWindow) {
  openSearch();
  EXPECT_EQ(resultFiles(), std::vector<std::string>{POISK_PATH()});
  search("3**");
  EXPECT_TRUE(allBeginWith(shownNumbers(), '3'));
  ASSERT_TRUE(driver.close());
  ASSERT_TRUE(runtime::waitFinished());
  EXPECT_TRUE(resultFiles().empty()) << "closing the window deletes the result file";
  EXPECT_EQ(RUNNING_POISK.load(), 0);
}

TEST_F(PoiskTest, ClosingTheProgramDuringAWholeFileSearchEndsItAndLeavesNoResultFile) {
  openSearch();
  ASSERT_TRUE(driver.type("?LOC:PHONE", "?2345*"));
  const auto w = backend.windowOf("POISK");
  ASSERT_TRUE(w.has_value());
  runtime::Event press;
  press.code = runtime::ev::Accepted;
  for (const auto& c : w->controls)
    if (c.label == "?BUTTON6") press.field = c.number;
  runtime::deliver(w->id, press);
  runtime::shutdown();  // what closing the frame comes to: every procedure thread is stopped
  EXPECT_TRUE(resultFiles().empty());
  runtime::init(backend);
}

TEST_F(PoiskTest, TheFramesNavigationButtonsDriveTheListAndNothingElse) {
  openSearch();
  search("3**");
  const auto w = backend.windowOf("POISK");
  ASSERT_TRUE(w.has_value());
  int list = 0;
  for (const auto& c : w->controls)
    if (c.label == "?LIST") list = c.number;
  auto deliver = [&](int code, int field) {
    runtime::Event e;
    e.code = code;
    e.field = field;
    runtime::deliver(w->id, e);
    ASSERT_TRUE(driver.settle());
  };
  deliver(runtime::ev::Selected, list);  // the list takes the focus: the toolbar serves it
  ASSERT_GT(driver.control("?LIST")->selected, 1) << "the last subscriber written";
  const auto lastPage = shownNumbers();
  for (int number : {2000, 2001, 2002}) deliver(runtime::ev::Accepted, number);
  EXPECT_TRUE(backend.takeTranscript().empty()) << "no card, no question";
  EXPECT_EQ(shownNumbers(), lastPage);
  deliver(runtime::ev::Accepted, 2005);  // first page
  EXPECT_EQ(driver.control("?LIST")->selected, 1);
  EXPECT_NE(shownNumbers(), lastPage);
  deliver(runtime::ev::Accepted, 2008);  // next record
  EXPECT_EQ(driver.control("?LIST")->selected, 2);
  for (const auto& b : backend.toolbar()) {
    const bool update = b.number >= 2000 && b.number <= 2003;
    const bool navigation = b.number >= 2004 && b.number <= 2009;
    if (update || navigation) {
      EXPECT_EQ(b.disabled, update) << b.number;
    }
  }
}

// "Поиск" is the window's default button, pressed by Enter in a condition; Enter in the
// results list leaves them as they are.
TEST_F(PoiskTest, EnterSearchesFromTheConditionsButNotFromTheResults) {
  openSearch();
  const auto w = backend.windowOf("POISK");
  ASSERT_TRUE(w.has_value());
  int list = 0, button = 0;
  for (const auto& c : w->controls) {
    if (c.label == "?LIST") list = c.number;
    if (c.label == "?BUTTON6") button = c.number;
  }
  auto enterOn = [&](int focus) {
    runtime::Event selected;
    selected.code = runtime::ev::Selected;
    selected.field = focus;
    runtime::deliver(w->id, selected);
    runtime::Event enter;
    enter.code = runtime::ev::Accepted;
    enter.field = button;
    enter.key = runtime::key::Enter;
    runtime::deliver(w->id, enter);
    ASSERT_TRUE(driver.settle());
  };
  ASSERT_TRUE(driver.type("?LOC:PHONE", "3**"));
  enterOn(driver.control("?LOC:PHONE")->number);
  ASSERT_TRUE(allBeginWith(shownNumbers(), '3'));
  ASSERT_TRUE(driver.type("?LOC:PHONE", "4**"));
  backend.takeTranscript();
  enterOn(list);
  EXPECT_TRUE(allBeginWith(shownNumbers(), '3')) << "no search from the results";
}

TEST_F(PoiskTest, AResultFileThatCannotBeMadeIsReportedAndNoOldRowsShow) {
  openSearch();
  search("3**");
  ASSERT_FALSE(shownNumbers().empty());
  // The file gives way to a directory of its name: it can be neither replaced nor made.
  fs::remove(POISK_PATH());
  fs::create_directory(POISK_PATH());
  search("4**");
  const auto transcript = backend.takeTranscript();
  ASSERT_FALSE(transcript.empty());
  EXPECT_EQ(transcript[0].rfind("message \"Ошибка при доступе к файлу\"", 0), 0u) << transcript[0];
  EXPECT_TRUE(shownNumbers().empty());
  EXPECT_EQ(driver.control("?LIST")->rows.size(), 0u) << "the earlier results are not kept";

  fs::remove(POISK_PATH());
  search("4**");
  EXPECT_TRUE(allBeginWith(shownNumbers(), '4')) << "the next search works again";
}

// A subscriber edited by hand so that it cannot be read ends the search with the read
// message. The result file is left whole and empty: the sort buttons still work on the hidden
// list, with no message of their own, and the window stays open.
TEST_F(PoiskTest, ASearchEndedByAnUnreadableSubscriberLeavesTheWindowWorking) {
  openSearch();
  // A number longer than its field, in the middle of the numbers beginning with 3.
  const std::string where =
      "WHERE id = (SELECT min(id) FROM records WHERE hex(PHONE) LIKE '3338%')";
  ASSERT_EQ(test::editFile("PHONE.db", "UPDATE records SET PHONE = x'3338393939393939' " + where),
            "");
  search("3*");  // those before it in the key's order are written before the scan meets it
  auto transcript = backend.takeTranscript();
  ASSERT_FALSE(transcript.empty());
  EXPECT_EQ(transcript[0].rfind("message \"Ошибка извлечения записи\"", 0), 0u) << transcript[0];
  EXPECT_TRUE(shownNumbers().empty());
  for (const char* sort : {"?BUTTON1", "?BUTTON2", "?BUTTON3"}) {
    SCOPED_TRACE(sort);
    ASSERT_TRUE(driver.press(sort));
    for (const std::string& line : backend.takeTranscript())
      EXPECT_EQ(line.rfind("message", 0), std::string::npos) << line;
    ASSERT_TRUE(backend.windowOf("POISK").has_value()) << "the window stays open";
    EXPECT_TRUE(shownNumbers().empty());
  }
  ASSERT_EQ(test::editFile("PHONE.db", "DELETE FROM records WHERE length(PHONE) > 6"), "");
  search("3*");
  EXPECT_TRUE(allBeginWith(shownNumbers(), '3'));
}

TEST_F(PoiskTest, TwoProgramsSearchingInOneFolderKeepTheirOwnResults) {
  openSearch();
  search("3**");
  const std::vector<std::string> mine = shownNumbers();
  ASSERT_TRUE(allBeginWith(mine, '3'));

  // The other program searches again and again while this one does too.
  {
    std::ofstream script("other.script");
    script << "start\nmenu -3\ntype ?LOC:PHONE 4**\n";
    for (int i = 0; i < 20; ++i) script << "press ?BUTTON6\n";
    script << "dump\n";
  }
  const pid_t other = fork();
  if (other == 0) {
    // Only async-signal-safe calls between fork and exec: this process has threads.
    const int fd = open("other.out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) _exit(126);
    execl(SCRIPT_RUNNER, SCRIPT_RUNNER, "--dir", ".", "other.script", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(other, 0);
  // This one searches until the other has ended, so the two overlap whatever their speeds.
  int status = 0;
  int searches = 0;
  while (waitpid(other, &status, WNOHANG) == 0 && searches < 2000) {
    search(searches++ % 2 == 0 ? "3**" : "4*");
    EXPECT_FALSE(shownNumbers().empty());
  }
  if (searches == 2000) waitpid(other, &status, 0);
  std::ifstream out("other.out");
  const std::string transcript((std::istreambuf_iterator<char>(out)),
                               std::istreambuf_iterator<char>());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << transcript;
  EXPECT_GT(searches, 1);

  // Its list shows its own results.
  std::vector<std::string> theirs;
  std::istringstream in(transcript);
  for (std::string l; std::getline(in, l);) {
    if (l.rfind("    ", 0) == 0 && l.find(" | ") != std::string::npos)
      theirs.push_back(l.substr(6, l.find(" | ") - 6));
  }
  ASSERT_FALSE(theirs.empty()) << transcript;
  for (const std::string& n : theirs) EXPECT_TRUE(n.find('4') <= 1) << n;

  // Ours are still ours after it searched, emptied and removed its own file.
  search("3**");
  ASSERT_TRUE(driver.press("?BUTTON2"));
  ASSERT_TRUE(driver.press("?BUTTON1"));
  EXPECT_EQ(shownNumbers(), mine);
  EXPECT_EQ(resultFiles(), std::vector<std::string>{POISK_PATH()});
}

}  // namespace
}  // namespace phonedir
