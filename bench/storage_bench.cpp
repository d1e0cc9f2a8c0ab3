// The keyed-file driver at 1,000,000 subscribers, each case beside plain SQLite doing the same
// work on the same files in the same run; the ratios driver/SQLite are printed at the end.
//   (a) position by a key value and read the next 30 subscribers with their streets
//   (b) read the whole file in a key's order
//   (c) append 100,000 subscribers without keys, then build the keys
// PHONEDIR_BENCH_DIR names a directory for the files (default: a fresh one under /tmp).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>

#include "bench_town.h"
#include "data/records.h"
#include "demo_town.h"
#include "sqlite_baseline.h"
#include "storage/keyed_file.h"
#include "storage/view.h"

namespace {

namespace fs = std::filesystem;
using phonedir::PHO_RECORD;
using phonedir::STR_RECORD;

constexpr int64_t kSubscribers = 1000000;
constexpr int64_t kAppended = 100000;
constexpr int kPage = 30;

struct Town {
  std::string dir;
  std::string phone;     // PHONE.db, read by (a) and (b)
  std::string street;    // STREET.db
  std::string pristine;  // a copy of PHONE.db that (c) starts from
  std::string work;      // the file (c) appends to
  std::vector<PHO_RECORD> probes;
  std::vector<PHO_RECORD> appended;
};

Town town;

const char* const kKeyNames[] = {"NUM_KEY", "ADRESS_KEY", "NAME_KEY"};

using bench::fail;

void buildTown() {
  town.dir = bench::benchFolder("phonedir-bench");
  town.phone = town.dir + "/PHONE.db";
  town.street = town.dir + "/STREET.db";
  town.pristine = town.dir + "/PRISTINE.db";
  town.work = town.dir + "/WORK.db";
  bench::demoTown(town.dir, kSubscribers);
  fs::copy_file(town.phone, town.pristine, fs::copy_options::overwrite_existing);

  // Probes: every 997th subscriber, a spread of real key values.
  PHO_RECORD pho{};
  storage::KeyedFile phone(phonedir::PHONE_FILE(), &pho, town.phone);
  if (phone.open() != storage::kOk) fail("cannot open " + town.phone);
  for (int64_t n = 1; n <= kSubscribers; n += 997) {
    if (phone.getByNumber(n) == storage::kOk) town.probes.push_back(pho);
  }
  // The appended subscribers are the next ones the town would get.
  int64_t made = 0;
  datatool::demoSubscribers(kSubscribers + kAppended, [&](const PHO_RECORD& r) {
    if (made++ >= kSubscribers) town.appended.push_back(r);
  });
}

void pageDriver(benchmark::State& state, int key) {
  PHO_RECORD pho{};
  STR_RECORD str{};
  storage::KeyedFile phone(phonedir::PHONE_FILE(), &pho, town.phone);
  storage::KeyedFile street(phonedir::STREET_FILE(), &str, town.street);
  if (phone.open() || street.open()) return state.SkipWithError("open failed");
  storage::View view(phone);
  view.join(street, phonedir::STR_NUM_KEY, {"STREET"});
  view.open();
  size_t i = 0;
  for (auto _ : state) {
    pho = town.probes[i++ % town.probes.size()];
    view.setByKey(key);
    int read = 0;
    while (read < kPage && view.next() == storage::kOk) ++read;
    benchmark::DoNotOptimize(str);
    if (read != kPage && view.error().code != storage::kNoRecord)
      return state.SkipWithError("read failed");
  }
}

void pageSqlite(benchmark::State& state, int key) {
  bench::Baseline sqlite(town.phone, town.street);
  size_t i = 0;
  for (auto _ : state) {
    const int read = sqlite.page(key, town.probes[i++ % town.probes.size()], kPage);
    benchmark::DoNotOptimize(read);
  }
}

void scanDriver(benchmark::State& state, int key) {
  PHO_RECORD pho{};
  storage::KeyedFile phone(phonedir::PHONE_FILE(), &pho, town.phone);
  if (phone.open()) return state.SkipWithError("open failed");
  for (auto _ : state) {
    int64_t n = 0;
    phone.set(key);
    while (phone.next() == storage::kOk) ++n;
    if (n != kSubscribers) return state.SkipWithError("scan came up short");
  }
}

void scanSqlite(benchmark::State& state, int key) {
  bench::Baseline sqlite(town.phone, town.street);
  for (auto _ : state) {
    if (sqlite.scan(key) != kSubscribers) return state.SkipWithError("scan came up short");
  }
}

void appendDriver(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(town.pristine, town.work, fs::copy_options::overwrite_existing);
    state.ResumeTiming();
    PHO_RECORD pho{};
    storage::KeyedFile phone(phonedir::PHONE_FILE(), &pho, town.work);
    int rc = phone.open();
    if (rc == storage::kOk) rc = phone.stream();
    for (const PHO_RECORD& r : town.appended) {
      if (rc != storage::kOk) break;
      pho = r;
      rc = phone.append();
    }
    if (rc == storage::kOk) rc = phone.flush();
    if (rc == storage::kOk) rc = phone.buildKeys();
    phone.close();
    if (rc != storage::kOk) return state.SkipWithError(phone.error().driverText.c_str());
  }
}

void appendSqlite(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(town.pristine, town.work, fs::copy_options::overwrite_existing);
    state.ResumeTiming();
    bench::Baseline sqlite(town.work, town.street);
    sqlite.appendThenIndex(town.appended);
  }
}

// Keeps the median of every case, for the ratios printed at the end.
class Collector : public benchmark::ConsoleReporter {
 public:
  Collector() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        medians[r.run_name.function_name] = r.GetAdjustedRealTime();
        units[r.run_name.function_name] = benchmark::GetTimeUnitString(r.time_unit);
      }
    }
  }
  std::map<std::string, double> medians;
  std::map<std::string, std::string> units;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  buildTown();
  for (int key = 0; key < 3; ++key) {
    const std::string k = kKeyNames[key];
    benchmark::RegisterBenchmark(("a_page30/" + k + "/driver").c_str(), pageDriver, key)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark(("a_page30/" + k + "/sqlite").c_str(), pageSqlite, key)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
  }
  for (int key : {phonedir::PHO_NUM_KEY, phonedir::PHO_NAME_KEY}) {
    const std::string k = kKeyNames[key];
    benchmark::RegisterBenchmark(("b_scan/" + k + "/driver").c_str(), scanDriver, key)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark(("b_scan/" + k + "/sqlite").c_str(), scanSqlite, key)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
  }
  benchmark::RegisterBenchmark("c_append100k_build/driver", appendDriver)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark("c_append100k_build/sqlite", appendSqlite)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);

  Collector reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::cout << "\nmedians, driver against plain SQLite:\n";
  for (const auto& [name, time] : reporter.medians) {
    const size_t slash = name.rfind("/driver");
    if (slash == std::string::npos) continue;
    const std::string base = name.substr(0, slash);
    const auto sqlite = reporter.medians.find(base + "/sqlite");
    if (sqlite == reporter.medians.end()) continue;
    std::printf("  %-24s driver %10.1f %s   sqlite %10.1f %s   ratio %.2f\n", base.c_str(), time,
                reporter.units[name].c_str(), sqlite->second, reporter.units[name].c_str(),
                time / sqlite->second);
  }
  benchmark::Shutdown();
  if (!bench::folderIsKept()) fs::remove_all(town.dir);
  return 0;
}
