// Crash safety: a station killed at any moment of its rewrites and bulk appends leaves a sound
// file in which every record is wholly old or wholly new, and every committed run of appends
// is there entirely or not at all.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "station_client.h"
#include "storage/keyed_file.h"
#include "test_files.h"

namespace storage::test {
namespace {

constexpr int kRecords = 200;

// Parses "g<gen>-<index>": every field of a record written whole tells the same generation.
bool consistent(const Item& i) {
  const std::string t = title(i);
  const size_t dash = t.find('-');
  if (t.empty() || t[0] != 'g' || dash == std::string::npos) return false;
  const int gen = std::stoi(t.substr(1, dash - 1));
  const std::string c = code(i);
  const std::string index = t.substr(dash + 1);
  const bool codeMatches = c[0] == 'A' ? index == "0" : std::stoi(c.substr(1)) == std::stoi(index);
  return gen == i.GROUP && tag(i) == std::to_string(gen % 10000) && codeMatches;
}

TEST(CrashTest, KilledStationsLeaveSoundFiles) {
  TempDir dir;
  const std::string path = dir.file("ITEM.db");
  Item buf{};
  KeyedFile file(itemDecl(), &buf, path);
  ASSERT_EQ(file.create(), kOk);
  ASSERT_EQ(file.open(), kOk);
  ASSERT_EQ(file.stream(), kOk);
  for (int i = 1; i <= kRecords; ++i) {
    char c[8];
    std::snprintf(c, sizeof c, "B%05d", i);
    buf = item(c, 0, "g0-" + std::to_string(i), "0");
    ASSERT_EQ(file.add(), kOk);
  }
  ASSERT_EQ(file.close(), kOk);

  std::mt19937 rng(2024);
  int32_t newestGeneration = 0;
  int appendedAtEnd = 0;
  int rebuildsNeeded = 0;
  for (int round = 0; round < 100; ++round) {
    SCOPED_TRACE(round);
    {
      Station station(path);
      ASSERT_EQ(station.call("open 42"), "0");
      station.send(round % 2 ? "append-forever " + std::to_string(round)
                             : "rewrite-forever " + std::to_string(kRecords) + " " +
                                   std::to_string(round));
      ASSERT_EQ(station.reply(), "ready");
      std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
      station.kill();
    }
    ASSERT_EQ(integrityCheck(path), "ok");
    int rc = file.open();
    if (rc == kKeysInvalid) {
      // Killed between committed appends and their rebuild.
      ASSERT_EQ(file.open(kExclusive), kOk);
      ASSERT_EQ(file.buildKeys(), kOk);
      ASSERT_EQ(file.close(), kOk);
      rc = file.open();
      ++rebuildsNeeded;
    }
    ASSERT_EQ(rc, kOk);
    int base = 0;
    int appended = 0;
    ASSERT_EQ(file.set(kByCode), kOk);
    while (file.next() == kOk) {
      ASSERT_TRUE(consistent(buf)) << code(buf) << " " << title(buf) << " " << buf.GROUP;
      (buf.CODE[0] == 'A' ? appended : base)++;
      if (buf.CODE[0] == 'B') newestGeneration = std::max(newestGeneration, int32_t{buf.GROUP});
    }
    appendedAtEnd = appended;
    EXPECT_EQ(file.errorCode(), kNoRecord);
    EXPECT_EQ(base, kRecords);
    EXPECT_EQ(appended % 50, 0) << "a run of appends is committed whole";
    ASSERT_EQ(file.close(), kOk);
  }
  // The stations did get work done before they were killed.
  EXPECT_GT(newestGeneration, 0);
  EXPECT_GT(appendedAtEnd, 0);
  std::printf("newest generation %d, appended %d, rebuilds after a kill %d\n", newestGeneration,
              appendedAtEnd, rebuildsNeeded);
}

}  // namespace
}  // namespace storage::test
