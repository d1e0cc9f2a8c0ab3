// The browse engine as the user drives it: the street list and the city directory on the
// headless backend, each operation beside plain SQLite reading the same page in the same run.
// Every case times one operation per iteration (manual time: the preparation of a step, such
// as clearing the locator, is left out) and reports the process's resident memory.
//   PHONEDIR_BENCH_DIR  directory that keeps the generated files between runs
//                       (default /tmp/browse-bench)

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "city/city.h"
#include "data/records.h"
#include "demo_town.h"
#include "runtime/event.h"
#include "runtime/headless_backend.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"
#include "runtime/runtime.h"
#include "sqlite_baseline.h"
#include "storage/keyed_file.h"
#include "storage/view.h"
#include "street/street.h"

namespace {

namespace fs = std::filesystem;
namespace ev = runtime::ev;
namespace key = runtime::key;
using Clock = std::chrono::steady_clock;

enum Op {
  kRefresh,
  kScrollOne,
  kPageDown,
  kThumb,
  kLocate,
  kSortChange,
  kCardReturn,
  kPlain,
  kRoundTrip
};
const char* const kOpNames[] = {"refresh",      "scroll_one",    "page_down",
                                "thumb_middle", "locate_prefix", "sort_change",
                                "card_return",  "plain_sqlite",  "round_trip"};

void fail(const std::string& what) {
  std::cerr << "browse_bench: " << what << "\n";
  std::exit(1);
}

std::string root() {
  const char* given = std::getenv("PHONEDIR_BENCH_DIR");
  return given ? given : "/tmp/browse-bench";
}

long residentKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

const char* const kWords[] = {"Абрикосовая", "Берёзовая", "Вишнёвая", "Гагарина", "Дачная",
                              "Лесная",      "Мира",      "Новая",    "Садовая",  "Центральная"};

// A street file of `count` streets, made the way the data tool loads files: appended in one
// stream, keys built afterwards.
std::string streetTown(int64_t count) {
  const std::string dir = root() + "/streets-" + std::to_string(count);
  if (fs::exists(dir + "/STREET.db")) return dir;
  fs::create_directories(dir);
  std::cerr << "making " << count << " streets in " << dir << "...\n";
  phonedir::STR_RECORD r{};
  storage::KeyedFile file(phonedir::STREET_FILE(), &r, dir + "/STREET.db");
  if (file.create() != 0 || file.open() != 0 || file.stream() != 0) fail("cannot make " + dir);
  for (int64_t i = 1; i <= count; ++i) {
    phonedir::clearRecord(r);
    r.NUM = static_cast<int32_t>(i);
    const std::string name = runtime::cp(std::string(kWords[(i * 7919) % 10]) + " " +
                                         std::to_string((i * 104729) % 1000003));
    std::memcpy(r.NAME, name.data(), std::min<size_t>(name.size(), 19));
    if (file.append() != 0) fail("append failed");
  }
  if (file.flush() != 0 || file.buildKeys() != 0) fail("cannot build the keys");
  file.close();
  return dir;
}

std::string cityTown(int64_t count) {
  const std::string dir = root() + "/town-" + std::to_string(count);
  if (fs::exists(dir + "/PHONE.db")) return dir;
  std::cerr << "making a town of " << count << " subscribers in " << dir << "...\n";
  std::ostringstream out;
  if (datatool::demo(dir, count, out, std::cerr) != 0) fail("demo failed");
  return dir;
}

// Plain SQLite: one page of streets in name order from a probe, keyset style.
class StreetBaseline {
 public:
  explicit StreetBaseline(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_exec(db_, "PRAGMA cache_size=-8192", nullptr, nullptr, nullptr);
    if (sqlite3_prepare_v3(db_,
                           "SELECT NUM, NAME FROM records INDEXED BY key_NAME_KEY WHERE "
                           "NAME_SORT >= ?1 ORDER BY NAME_SORT, id LIMIT ?2",
                           -1, SQLITE_PREPARE_PERSISTENT, &page_, nullptr) != SQLITE_OK)
      fail(std::string("street baseline: ") + sqlite3_errmsg(db_));
  }
  ~StreetBaseline() {
    sqlite3_finalize(page_);
    sqlite3_close(db_);
  }
  int page(const std::string& probe, int count) {
    const std::string k = runtime::sortKey(probe);
    sqlite3_bind_blob(page_, 1, k.data(), static_cast<int>(k.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(page_, 2, count);
    int n = 0;
    phonedir::STR_RECORD r{};
    while (sqlite3_step(page_) == SQLITE_ROW) {
      r.NUM = sqlite3_column_int(page_, 0);
      const int bytes = std::min(sqlite3_column_bytes(page_, 1), 19);
      std::memcpy(r.NAME, sqlite3_column_blob(page_, 1), bytes);
      benchmark::DoNotOptimize(r);
      ++n;
    }
    sqlite3_reset(page_);
    return n;
  }

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* page_ = nullptr;
};

// One window on a procedure thread of the headless runtime, in the files' directory.
struct Session {
  Session(const std::string& dir, void (*proc)(), std::string name, std::string list)
      : proc(std::move(name)), label(std::move(list)) {
    previous = fs::current_path();
    fs::current_path(dir);
    runtime::init(backend);
    runtime::start(proc);
    if (!runtime::waitIdle()) fail("the window did not open");
    const auto c = driver.control(label);
    if (!c) fail("no list " + label);
    rows = static_cast<int>(c->rows.size());
  }
  ~Session() {
    driver.closeFrame();
    driver.close();
    runtime::waitIdle();
    runtime::shutdown();
    fs::current_path(previous);
  }
  runtime::HeadlessBackend backend;
  runtime::HeadlessDriver driver{backend};
  std::string proc, label;
  fs::path previous;
  int rows = 0;
};

// Times `op` once per iteration after an untimed `prepare`; reports resident memory.
template <class Prepare, class Step>
void timed(benchmark::State& state, Prepare prepare, Step op) {
  const long before = residentKb();
  long most = before;
  int64_t i = 0;
  for (auto _ : state) {
    prepare(i);
    const auto t0 = Clock::now();
    op(i);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    most = std::max(most, residentKb());
    ++i;
  }
  state.counters["rss_start_MB"] = before / 1024.0;
  state.counters["rss_max_MB"] = most / 1024.0;
  state.counters["rss_end_MB"] = residentKb() / 1024.0;
}

// A typed first letter: the CP1251 byte of a word's initial.
int initial(int64_t i) {
  return static_cast<unsigned char>(runtime::cp(kWords[i % 10])[0]);
}

void driveList(benchmark::State& state, Session& s, int op, int locateChar, int sortButton) {
  auto& d = s.driver;
  const std::string& l = s.label;
  auto none = [](int64_t) {};
  switch (op) {
    case kRefresh:
      timed(state, none, [&](int64_t) { d.focus(s.proc); });
      break;
    case kScrollOne:
      // Down at the last row: the page shifts by one record; back to the top now and then.
      timed(
          state,
          [&](int64_t i) {
            if (i % 200 == 0) d.scroll(l, ev::ScrollTop);
            d.selectRow(l, s.rows);
          },
          [&](int64_t) { d.scroll(l, ev::ScrollDown); });
      break;
    case kPageDown:
      timed(
          state,
          [&](int64_t i) {
            if (i % 50 == 0) d.scroll(l, ev::ScrollTop);
          },
          [&](int64_t) { d.scroll(l, ev::PageDown); });
      break;
    case kThumb:
      timed(state, none, [&](int64_t i) { d.thumb(l, i % 2 ? 50 : 51); });
      break;
    case kLocate:
      timed(
          state, [&](int64_t) { d.scroll(l, ev::ScrollTop); },
          [&](int64_t i) { d.key(l, key::Character, locateChar < 0 ? initial(i) : locateChar); });
      break;
    case kSortChange:
      if (sortButton == 0) {
        // One order: the sort change is the forced refresh, which focus gain takes.
        timed(state, none, [&](int64_t) { d.focus(s.proc); });
      } else {
        // Orders 1..3 have buttons; order 4 (the opening order) has none, so from 4 the case
        // goes to 2 and back to 1, which shares its key.
        const int order = static_cast<int>(state.range(2));
        const std::string other = "?BUTTON" + std::to_string(sortButton);
        const std::string back = "?BUTTON" + std::to_string(order == 4 ? 1 : order);
        timed(
            state, [&](int64_t) { d.press(back); }, [&](int64_t) { d.press(other); });
      }
      break;
    case kCardReturn:
      timed(
          state, [&](int64_t) { d.key(l, key::CtrlEnter); }, [&](int64_t) { d.close(); });
      break;
    case kRoundTrip:
      // The handoff floor: an event the engine answers without reading (the highlighted row
      // selected again), there and back between this thread and the procedure's.
      timed(state, none, [&](int64_t) { d.selectRow(l, 1); });
      break;
    default:
      break;
  }
}

void BM_Street(benchmark::State& state) {
  const int64_t count = state.range(0);
  const int op = static_cast<int>(state.range(1));
  const std::string dir = streetTown(count);
  if (op == kPlain) {
    StreetBaseline base(dir + "/STREET.db");
    timed(
        state, [](int64_t) {},
        [&](int64_t i) { benchmark::DoNotOptimize(base.page(runtime::cp(kWords[i % 10]), 18)); });
    return;
  }
  Session s(dir, &phonedir::STREET, "STREET", "?BROWSE:1");
  state.counters["rows"] = s.rows;
  driveList(state, s, op, -1, 0);
}

// range(2): the order the window is in (its sort button); the sort change presses the next.
void BM_City(benchmark::State& state) {
  const int64_t count = state.range(0);
  const int op = static_cast<int>(state.range(1));
  const int order = static_cast<int>(state.range(2));
  const std::string dir = cityTown(count);
  if (op == kPlain) {
    bench::Baseline base(dir + "/PHONE.db", dir + "/STREET.db");
    const int keyOf[] = {0, phonedir::PHO_NUM_KEY, phonedir::PHO_NAME_KEY, phonedir::PHO_ADRESS_KEY,
                         phonedir::PHO_NUM_KEY};
    phonedir::PHO_RECORD probe{};
    phonedir::clearRecord(probe);
    std::memcpy(probe.PHONE, "500000", 6);
    const std::string fio = runtime::cp("Кузнецов");
    std::memcpy(probe.FIO, fio.data(), fio.size());
    probe.STREET = 100;
    timed(
        state, [](int64_t) {},
        [&](int64_t) { benchmark::DoNotOptimize(base.page(keyOf[order], probe, 18)); });
    return;
  }
  Session s(dir, &phonedir::GOROD, "GOROD", "?LIST");
  state.counters["rows"] = s.rows;
  if (order != 4) s.driver.press("?BUTTON" + std::to_string(order));
  const int locate =
      order == 2 ? static_cast<unsigned char>(runtime::cp("К")[0]) : static_cast<int>('3');
  driveList(state, s, op, locate, order == 4 ? 2 : order % 3 + 1);
}

// Breakdown: what the engine's key distribution reads on every refresh and sort change, timed
// on this thread: the view reset to the order and read from the last record, then again from
// the first (with the street lookups in the city). range(1): 0 streets, 1 city by NAME_KEY.
void BM_EndsRead(benchmark::State& state) {
  const int64_t count = state.range(0);
  const bool city = state.range(1) == 1;
  const std::string dir = city ? cityTown(count) : streetTown(count);
  phonedir::PHO_RECORD pho{};
  phonedir::STR_RECORD str{};
  storage::KeyedFile phone(phonedir::PHONE_FILE(), &pho, dir + "/PHONE.db");
  storage::KeyedFile street(phonedir::STREET_FILE(), &str, dir + "/STREET.db");
  if (street.open() != 0 || (city && phone.open() != 0)) fail("cannot open " + dir);
  storage::KeyedFile& primary = city ? phone : street;
  storage::View view(primary);
  if (city) view.join(street, phonedir::STR_NUM_KEY, {"STREET"});
  const int key = city ? phonedir::PHO_NAME_KEY : phonedir::STR_NAME_KEY;
  timed(
      state, [](int64_t) {},
      [&](int64_t) {
        for (bool last : {true, false}) {
          view.close();
          primary.set(key);
          view.open();
          benchmark::DoNotOptimize(last ? view.prev() : view.next());
        }
      });
  view.close();
}

void streetArgs(benchmark::internal::Benchmark* b) {
  for (int64_t n : {10000, 200000, 1000000})
    for (int op = kRefresh; op <= kRoundTrip; ++op) b->Args({n, op});
}

void cityArgs(benchmark::internal::Benchmark* b) {
  for (int64_t n : {10000, 1000000})
    for (int order = 1; order <= 4; ++order)
      for (int op = kRefresh; op <= kRoundTrip; ++op) b->Args({n, op, order});
}

}  // namespace

BENCHMARK(BM_Street)
    ->Apply(streetArgs)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_City)->Apply(cityArgs)->UseManualTime()->Iterations(300)->Unit(
    benchmark::kMicrosecond);

BENCHMARK(BM_EndsRead)
    ->Args({10000, 0})
    ->Args({1000000, 0})
    ->Args({10000, 1})
    ->Args({1000000, 1})
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
