#include "data/file_opening.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "data/files.h"
#include "data_fixture.h"
#include "data_fixture_files.h"
#include "runtime/locale/charset.h"

namespace phonedir {
namespace {

namespace fs = std::filesystem;

class FileOpeningTest : public test::DataTest {
 protected:
  // Another station: a child process that holds PHONE.db in the exclusive mode for `hold`,
  // returning once it holds it.
  pid_t holdExclusively(std::chrono::milliseconds hold) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      PHO_RECORD buffer{};
      storage::KeyedFile phone(PHONE_FILE(), &buffer);
      const int code = phone.open(storage::kExclusive);
      const char c = code == 0 ? '1' : '0';
      [[maybe_unused]] auto written = write(ready[1], &c, 1);
      std::this_thread::sleep_for(hold);
      phone.close();
      _exit(0);
    }
    char c = 0;
    EXPECT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, '1');
    close(ready[0]);
    close(ready[1]);
    return pid;
  }

  static void makePhoneFile() {
    PHO_RECORD buffer{};
    storage::KeyedFile phone(PHONE_FILE(), &buffer);
    ASSERT_EQ(phone.create(), 0);
  }
};

TEST_F(FileOpeningTest, FirstRunCreatesMissingFilesSilently) {
  const auto transcript = run([] {
    OPENFILE_PHONE();
    OPENFILE_STREET();
    OPENFILE_PERSONAL();
    EXPECT_TRUE(files().PHONE.isOpen());
    CLOSEFILE_PHONE();
    CLOSEFILE_STREET();
    CLOSEFILE_PERSONAL();
    EXPECT_FALSE(files().PHONE.isOpen());
  });
  EXPECT_TRUE(transcript.empty());
  for (const char* name : {"PHONE.db", "STREET.db", "PERSONAL.db"}) EXPECT_TRUE(fs::exists(name));
}

TEST_F(FileOpeningTest, NestedOpensShareOneInstance) {
  run([] {
    OPENFILE_PHONE();  // the browse
    OPENFILE_PHONE();  // the form it calls
    EXPECT_EQ(PHONE_USED, 2);
    CLOSEFILE_PHONE();
    EXPECT_TRUE(files().PHONE.isOpen()) << "the form's close leaves the browse's open";
    CLOSEFILE_PHONE();
    EXPECT_FALSE(files().PHONE.isOpen());
    CLOSEFILE_PHONE();  // an unpaired close does not drive the counter below 0
    EXPECT_EQ(PHONE_USED, 0);
  });
}

TEST_F(FileOpeningTest, MissingDirectoriesAreMade) {
  PHO_RECORD buffer{};
  const auto transcript = run([&] {
    storage::KeyedFile phone(PHONE_FILE(), &buffer, "one/two/PHONE.db");
    CHECKOPEN(phone, 1);
    EXPECT_TRUE(phone.isOpen());
  });
  EXPECT_TRUE(transcript.empty());
  EXPECT_TRUE(fs::exists("one/two/PHONE.db"));
}

TEST_F(FileOpeningTest, CreatedirSkipsDrivesAndTheExclamationPart) {
  auto entries = [] {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(".")) names.push_back(e.path());
    std::sort(names.begin(), names.end());
    return names;
  };
  CREATEDIR("a/b/c/file.db");
  EXPECT_TRUE(fs::is_directory("a/b/c"));
  fs::remove_all("a");
  // A drive is never made, and what lies on it cannot be made without it.
  CREATEDIR("X:\\d\\file.db");
  EXPECT_EQ(entries(), std::vector<std::string>{}) << "neither X: nor a folder named X:\\d";
  // Backslashes separate directories.
  CREATEDIR("p\\q\\file.db");
  EXPECT_TRUE(fs::is_directory("p/q"));
  fs::create_directory("C:");  // a folder that happens to be named as a drive
  CREATEDIR("C:\\e\\f\\file.db");
  EXPECT_TRUE(fs::is_directory("C:/e/f"));
  fs::remove_all("p");
  fs::remove_all("C:");
  CREATEDIR("q/r/!");
  EXPECT_TRUE(fs::is_directory("q"));
  EXPECT_FALSE(fs::exists("q/r"));
  fs::remove_all("q");
  CREATEDIR("/leading");  // a leading separator is not an empty directory name
  CREATEDIR(" s /t.db");
  EXPECT_EQ(entries(), std::vector<std::string>{"./s"});
}

TEST_F(FileOpeningTest, MissingFileThatMayNotBeCreatedStopsWithoutMakingIt) {
  const auto transcript = run([] { CHECKOPEN(files().PHONE); });
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_NE(
      transcript[0].find(
          R"(message "Ошибка при доступе к файлу" "Файл(PHONE.db) не может быть открыт.  Ошибка: Файл не найден (2).")"),
      std::string::npos)
      << transcript[0];
  EXPECT_EQ(transcript[1], R"(halt "Ошибка диска")");
  EXPECT_FALSE(fs::exists("PHONE.db"));
}

// The journal a crashed writer left of an earlier file of the name is never played into the
// new file.
TEST_F(FileOpeningTest, LeftoverJournalIsNotPlayedIntoANewFile) {
  const pid_t writer = fork();
  if (writer == 0) {
    sqlite3* db = nullptr;
    sqlite3_open("old.db", &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=DELETE; CREATE TABLE t(x); WITH RECURSIVE n(i) AS (SELECT 1 "
                 "UNION ALL SELECT i + 1 FROM n WHERE i < 2000) INSERT INTO t SELECT "
                 "randomblob(300) FROM n; PRAGMA cache_size=2; BEGIN; UPDATE t SET x = "
                 "randomblob(300);",
                 nullptr, nullptr, nullptr);
    _exit(0);  // killed in the middle of its transaction
  }
  int status = 0;
  waitpid(writer, &status, 0);
  ASSERT_TRUE(fs::exists("old.db-journal"));
  fs::rename("old.db-journal", "PHONE.db-journal");
  const auto transcript = run([] {
    OPENFILE_PHONE();
    EXPECT_EQ(files().PHONE.records(), 0);
    CLOSEFILE_PHONE();
  });
  EXPECT_TRUE(transcript.empty());
  EXPECT_FALSE(fs::exists("PHONE.db-journal"));
  EXPECT_EQ(test::integrityCheck("PHONE.db"), "ok");
  EXPECT_EQ(test::readPhoneFile().size(), 0u);
}

TEST_F(FileOpeningTest, CreationNotAllowedStopsTheProgram) {
  const auto transcript = run([] { CHECKOPEN(files().STREET, 0); });
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_NE(transcript[0].find("\"Создание файла не предусмотрено\""), std::string::npos);
  EXPECT_EQ(transcript[1], R"(halt "Ошибка создания файла!")");
}

TEST_F(FileOpeningTest, FileOfAnotherLayoutStopsTheProgram) {
  {
    STR_RECORD buffer{};
    storage::KeyedFile wrong(STREET_FILE(), &buffer, "PHONE.db");
    ASSERT_EQ(wrong.create(), 0);
  }
  const auto transcript = run([] { OPENFILE_PHONE(); });
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_EQ(
      transcript[0],
      R"(message "Файл неправильной структуры" "Файл PHONE.db не соответствует описанию. Нажмите OK для завершения программы." OK -> OK (default))");
  EXPECT_EQ(transcript[1], R"(halt "Неправильная структура файла!")");
}

TEST_F(FileOpeningTest, FileThatIsNotADatabaseStopsWithADiskError) {
  std::ofstream("PHONE.db") << std::string(4096, 'x');
  const auto transcript = run([] { OPENFILE_PHONE(); });
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_NE(
      transcript[0].find(
          R"(message "Ошибка при доступе к файлу" "Файл(PHONE.db) не может быть открыт.  Ошибка: )"),
      std::string::npos)
      << transcript[0];
  EXPECT_EQ(transcript[1], R"(halt "Ошибка диска")");
}

TEST_F(FileOpeningTest, DamagedKeysAreRebuiltUnderTheWaitWindow) {
  // A bulk append that never reached its key rebuild.
  const std::string name = "a-file-name-of-thirty-chars.db";
  ASSERT_EQ(name.size(), 30u);
  {
    PHO_RECORD buffer{};
    clearRecord(buffer);
    storage::KeyedFile phone(PHONE_FILE(), &buffer, name);
    ASSERT_EQ(phone.create(), 0);
    ASSERT_EQ(phone.open(), 0);
    std::memcpy(buffer.PHONE, "212121", 6);
    ASSERT_EQ(phone.append(), 0);
    phone.close();
    ASSERT_EQ(phone.open(), 46);
  }
  PHO_RECORD buffer{};
  const auto transcript = run([&] {
    storage::KeyedFile phone(PHONE_FILE(), &buffer, name);
    CHECKOPEN(phone, 1);
    EXPECT_EQ(phone.mode(), storage::kShared);
    EXPECT_EQ(phone.set(PHO_NUM_KEY), 0);
    EXPECT_EQ(phone.next(), 0);
  });
  const std::vector<std::string> expected = {R"(open BUILDKEYS "Ждите...")", "close BUILDKEYS"};
  EXPECT_EQ(transcript, expected);
  EXPECT_EQ(std::string(buffer.PHONE, 6), "212121");
  const auto wait = std::find_if(backend.shown.rbegin(), backend.shown.rend(),
                                 [](const auto& w) { return w.proc == "BUILDKEYS"; });
  ASSERT_NE(wait, backend.shown.rend());
  EXPECT_EQ(wait->width, 32 + 5 + 21 + 150) << "a 30-character name gets 150 units";
  bool shownName = false;
  for (const auto& c : wait->controls) shownName = shownName || c.value == name;
  EXPECT_TRUE(shownName);
}

// However recently the thread showed another window, the wait window names its file at its
// final size before the rebuild starts.
TEST_F(FileOpeningTest, WaitWindowNamesItsFileRightAfterAnotherWindow) {
  {
    PHO_RECORD buffer{};
    storage::KeyedFile phone(PHONE_FILE(), &buffer);
    ASSERT_EQ(phone.create(), 0);
  }
  ASSERT_EQ(test::editFile("PHONE.db", "UPDATE meta SET value = 'invalid' WHERE name = 'keys'"),
            "");
  run([] {
    runtime::WindowDef browse;
    browse.proc = "GOROD";
    runtime::openWindow(browse);
    runtime::display();
    CHECKOPEN(files().PHONE, 1);
    files().PHONE.close();
    runtime::closeWindow();
  });
  const auto wait = std::find_if(backend.shown.begin(), backend.shown.end(),
                                 [](const auto& w) { return w.proc == "BUILDKEYS"; });
  ASSERT_NE(wait, backend.shown.end()) << "the wait window was never shown with its name";
  EXPECT_EQ(wait->width, 32 + 5 + 21 + 100);
  bool shownName = false;
  for (const auto& c : wait->controls) shownName = shownName || c.value == "PHONE.db";
  EXPECT_TRUE(shownName);
}

TEST_F(FileOpeningTest, WaitsForAStationThatLetsGo) {
  makePhoneFile();
  const pid_t other = holdExclusively(std::chrono::seconds(3));
  const auto started = std::chrono::steady_clock::now();
  const auto transcript = run([] {
    OPENFILE_PHONE();
    EXPECT_TRUE(files().PHONE.isOpen());
  });
  EXPECT_TRUE(transcript.empty());
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  waitpid(other, nullptr, 0);
}

TEST_F(FileOpeningTest, GivesUpOnAStationThatHoldsOn) {
  makePhoneFile();
  const pid_t other = holdExclusively(std::chrono::seconds(12));
  const auto transcript = run([] { OPENFILE_PHONE(); });
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_NE(transcript[0].find("\"Ошибка при доступе к файлу\""), std::string::npos);
  EXPECT_NE(transcript[0].find("(5)"), std::string::npos) << transcript[0];
  EXPECT_EQ(transcript[1], R"(halt "Ошибка диска")");
  waitpid(other, nullptr, 0);
}

}  // namespace
}  // namespace phonedir
