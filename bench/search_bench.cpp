// The search at 1,000,000 subscribers: each case renews the result file, runs the scan the
// conditions choose, appends what it finds and builds the result file's keys, as one press of
// "Поиск" does. Beside them plain SQLite reading every row of PHONE in row-id order (the
// yardstick of the whole-file search) and the whole-file search read in key order (what the
// record-order scan replaces). After the figures: the search window itself on the headless
// backend, how often its progress bar is shown during a whole-file search, and how long the
// program takes to end when it is closed in the middle of one.
// PHONEDIR_BENCH_DIR names a directory for the town (default: a fresh one under /tmp).

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "bench_town.h"
#include "data/files.h"
#include "data/records.h"
#include "demo_town.h"
#include "runtime/headless_backend.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "search/phone_mask.h"
#include "search/record_tests.h"
#include "search/result_file.h"
#include "search/scans.h"
#include "search/search.h"
#include "sqlite_baseline.h"

namespace {

namespace fs = std::filesystem;
using namespace phonedir;

constexpr int64_t kSubscribers = 1000000;

std::string dir;

using bench::fail;

void buildTown() {
  dir = bench::benchFolder("phonedir-search");
  bench::demoTown(dir, kSubscribers);
}

struct Case {
  std::string mask;
  int32_t street = 0;
  std::string home;
  std::string fio;  // UTF-8
  search::WholeFile wholeFile = search::WholeFile::ByRecordNumber;
};

// One press of "Поиск" without the window: renew, scan, append, build the keys.
void runSearch(benchmark::State& state, Case k) {
  PHO_RECORD pho{};
  POI_RECORD poi{};
  storage::KeyedFile phone(PHONE_FILE(), &pho, dir + "/PHONE.db");
  storage::KeyedFile poisk(POISK_FILE(), &poi, dir + "/POISK-bench-1.db");
  poisk.setDurable(false);  // as the window's own result file
  if (phone.open() != storage::kOk) return state.SkipWithError("cannot open PHONE");
  search::Conditions c;
  c.PHONE = k.mask;
  c.PHONE.resize(6, ' ');
  c.STREET = k.street;
  c.HOME = k.home;
  c.HOME.resize(4, ' ');
  c.KVART = "    ";
  c.FIO = runtime::cp(k.fio);
  int64_t results = 0, read = 0;
  for (auto _ : state) {
    search::PhoneMask mask;
    search::CHECKNUM(c.PHONE, mask);
    if (search::renewResultFile(poisk) != storage::kOk || poisk.stream() != storage::kOk)
      return state.SkipWithError("cannot renew the result file");
    const search::ScanHooks hooks{{},
                                  [&] {
                                    std::memcpy(&poi, &pho, sizeof poi);
                                    return poisk.append() == storage::kOk;
                                  },
                                  {}};
    const search::ScanOutcome out =
        search::runScan(search::chooseScan(c, mask), phone, pho, c, mask, hooks, k.wholeFile);
    if (out.readError != 0 || out.appendFailed) return state.SkipWithError("scan failed");
    if (search::finishResultFile(poisk) != storage::kOk) return state.SkipWithError("keys");
    results = poisk.records();
    read = out.read;
  }
  state.counters["results"] = static_cast<double>(results);
  state.counters["read"] = static_cast<double>(read);
  search::removeResultFile(poisk);
}

void sqliteRowid(benchmark::State& state) {
  bench::Baseline sqlite(dir + "/PHONE.db", dir + "/STREET.db");
  for (auto _ : state) {
    if (sqlite.scanByRowid() != kSubscribers) return state.SkipWithError("scan came up short");
  }
}

class Collector : public benchmark::ConsoleReporter {
 public:
  Collector() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
        medians[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
  }
  std::map<std::string, double> medians;
};

// Counts the search window's snapshots whose progress value changed.
class ProgressBackend : public runtime::HeadlessBackend {
 public:
  void updateWindow(const runtime::WindowSnapshot& w) override {
    if (w.proc == "POISK") {
      for (const auto& c : w.controls) {
        if (c.label == "?LOC:NUM" && !c.hidden && c.progress != last_) {
          last_ = c.progress;
          ++moves;
        }
      }
    }
    HeadlessBackend::updateWindow(w);
  }
  std::atomic<int> moves{0};

 private:
  int last_ = -1;
};

// The search window on the headless backend: a whole-file search to its end, then one closed
// in its middle.
void responsiveness() {
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  for (int run = 0; run < 2; ++run) {
    ProgressBackend backend;
    runtime::init(backend);
    runtime::HeadlessDriver driver(backend);
    runtime::start(&POISK);
    runtime::waitIdle();
    driver.type("?LOC:PHONE", "?2345*");
    const auto w = backend.windowOf("POISK");
    runtime::Event press;
    press.code = runtime::ev::Accepted;
    press.field = runtime::controlNumber("?BUTTON6");
    for (const auto& c : w->controls)
      if (c.label == "?BUTTON6") press.field = c.number;
    const auto start = Clock::now();
    runtime::deliver(w->id, press);
    if (run == 0) {
      driver.settle();
      std::printf("  whole-file search in the window: %.0f ms, progress bar shown %d times\n",
                  ms(Clock::now() - start), backend.moves.load());
      runtime::shutdown();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      const int moves = backend.moves.load();
      const auto closing = Clock::now();
      runtime::shutdown();  // what closing the frame comes to once the frame has ended
      std::printf(
          "  closed 150 ms into the search (%d progress updates by then): ended %.1f ms "
          "later\n",
          moves, ms(Clock::now() - closing));
    }
  }
  fs::current_path(previous);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  buildTown();
  // The whole-file cases run once per repetition; the short ones ten times in a row on one
  // open PHONE, as a window searches again and again.
  auto add = [](const char* name, auto&& fn, int repetitions, int iterations = 1) {
    benchmark::RegisterBenchmark(name, fn)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(iterations)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true);
  };
  add("sqlite_rowid_all", sqliteRowid, 5);
  add(
      "whole_file/?2345*",
      [](benchmark::State& s) {
        runSearch(s, {"?2345*", 0, "", ""});
      },
      5);
  add(
      "whole_file/?????7",
      [](benchmark::State& s) {
        runSearch(s, {"?????7", 0, "", ""});
      },
      3);
  add(
      "whole_file_by_key/?2345*",
      [](benchmark::State& s) {
        runSearch(s, {"?2345*", 0, "", "", search::WholeFile::ByKey});
      },
      1);
  add(
      "beginning/3456*",
      [](benchmark::State& s) {
        runSearch(s, {"3456*", 0, "", ""});
      },
      5, 10);
  add(
      "beginning/345*",
      [](benchmark::State& s) {
        runSearch(s, {"345*", 0, "", ""});
      },
      5, 10);
  add(
      "surname/Иванова А",
      [](benchmark::State& s) {
        runSearch(s, {"", 0, "", "Иванова А"});
      },
      5, 10);
  add(
      "street_house/1,15",
      [](benchmark::State& s) {
        runSearch(s, {"", 1, "15", ""});
      },
      5, 10);
  Collector reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double yardstick = reporter.medians["sqlite_rowid_all"];
  std::cout << "\nmedians against plain SQLite reading every row in row-id order (" << yardstick
            << " ms):\n";
  for (const auto& [name, time] : reporter.medians)
    std::printf("  %-28s %9.1f ms   ratio %.2f\n", name.c_str(), time, time / yardstick);
  std::cout << "\nthe search window:\n";
  responsiveness();
  benchmark::Shutdown();
  if (!bench::folderIsKept()) fs::remove_all(dir);
  return 0;
}
