// The result file between programs: its name of the program's own, and the clean-up of files
// that programs which crashed left behind, which must never take a file still in use.

#include "search/result_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../data/data_fixture.h"
#include "../data/data_fixture_files.h"
#include "data/files.h"
#include "data/records.h"

namespace phonedir::search {
namespace {

namespace fs = std::filesystem;

class ResultFileTest : public test::DataTest {
 protected:
  // The host part of this program's result file name.
  static std::string host() {
    const std::string& own = POISK_PATH();
    const size_t dash = own.rfind('-');
    return own.substr(kResultFilePrefix.size(), dash - kResultFilePrefix.size());
  }

  static std::string nameFor(const std::string& host, long pid) {
    return std::string(kResultFilePrefix) + host + "-" + std::to_string(pid) + ".db";
  }

  static void make(const std::string& path) {
    POI_RECORD buffer{};
    clearRecord(buffer);
    storage::KeyedFile file(POISK_FILE(), &buffer, path);
    ASSERT_EQ(file.create(), storage::kOk) << path;
  }

  static long deadProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
  }
};

TEST_F(ResultFileTest, TheNameCarriesTheHostAndTheProcess) {
  const std::string& own = POISK_PATH();
  EXPECT_EQ(own.rfind("POISK-", 0), 0u) << own;
  EXPECT_EQ(own.substr(own.size() - 3), ".db");
  EXPECT_NE(own.find("-" + std::to_string(getpid()) + ".db"), std::string::npos) << own;
  EXPECT_FALSE(host().empty());
  EXPECT_EQ(host().find('/'), std::string::npos);
  EXPECT_EQ(files().POISK.name(), own);
}

TEST_F(ResultFileTest, OnlyFilesThatNobodyHoldsAreRemoved) {
  const std::string crashedHere = nameFor(host(), deadProcess());
  const std::string aliveHere = nameFor(host(), getppid());  // alive, holding nothing
  const std::string heldElsewhere = nameFor("elsewhere", 77);
  const std::string crashedElsewhere = nameFor("elsewhere", 78);
  for (const std::string& f : {crashedHere, aliveHere, heldElsewhere, crashedElsewhere,
                               POISK_PATH(), std::string("POISK.db")}) {
    make(f);
  }
  // A journal that the crashed program left goes with its file.
  { std::ofstream(crashedElsewhere + "-journal") << "x"; }

  POI_RECORD buffer{};
  storage::KeyedFile held(POISK_FILE(), &buffer, heldElsewhere);
  ASSERT_EQ(held.open(storage::kExclusive), storage::kOk);

  EXPECT_EQ(removeAbandonedResultFiles(POISK_PATH()), 2);
  EXPECT_FALSE(fs::exists(crashedHere));
  EXPECT_FALSE(fs::exists(crashedElsewhere));
  EXPECT_FALSE(fs::exists(crashedElsewhere + "-journal"));
  EXPECT_TRUE(fs::exists(aliveHere)) << "a process of this host that still runs";
  EXPECT_TRUE(fs::exists(heldElsewhere)) << "a file another program holds";
  EXPECT_TRUE(fs::exists(POISK_PATH())) << "this program's own";
  EXPECT_TRUE(fs::exists("POISK.db")) << "not a result file of any program";

  held.close();
  EXPECT_EQ(removeAbandonedResultFiles(POISK_PATH()), 1) << "let go, so abandoned now";
  EXPECT_FALSE(fs::exists(heldElsewhere));
}

TEST_F(ResultFileTest, RenewingEmptiesTheFileAndHoldsItExclusively) {
  POI_RECORD buffer{};
  clearRecord(buffer);
  storage::KeyedFile file(POISK_FILE(), &buffer, POISK_PATH());
  file.setDurable(false);  // as the window's: its commits do not wait for the disk
  ASSERT_EQ(renewResultFile(file), storage::kOk);
  ASSERT_EQ(file.stream(), storage::kOk);
  std::memcpy(buffer.PHONE, "12345 ", 6);
  ASSERT_EQ(file.append(), storage::kOk);
  ASSERT_EQ(finishResultFile(file), storage::kOk);
  EXPECT_EQ(file.records(), 1);

  POI_RECORD other{};
  storage::KeyedFile intruder(POISK_FILE(), &other, POISK_PATH());
  EXPECT_EQ(intruder.open(), storage::kAccessDenied) << "held for as long as the window is open";

  ASSERT_EQ(renewResultFile(file), storage::kOk);
  EXPECT_EQ(file.records(), 0);
  EXPECT_EQ(file.set(POI_NUM_KEY), storage::kOk);
  EXPECT_EQ(file.next(), storage::kNoRecord) << "keys usable at once";

  // Another program's clean-up took the file between the close and the creation.
  file.close();
  fs::remove(POISK_PATH());
  ASSERT_EQ(renewResultFile(file), storage::kOk);
  EXPECT_TRUE(file.isOpen());
  file.close();
  EXPECT_EQ(test::integrityCheck(POISK_PATH()), "ok");
  removeResultFile(file);
  EXPECT_FALSE(fs::exists(POISK_PATH()));
}

}  // namespace
}  // namespace phonedir::search
