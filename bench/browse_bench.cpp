// The browse engine as the user drives it: the street list and the city directory on the
// headless backend, each operation beside plain SQLite reading the same page in the same run.
// Every case times one operation per iteration (manual time: the preparation of a step, such
// as clearing the locator, is left out) and reports the process's resident memory.
//   PHONEDIR_BENCH_DIR  directory that keeps the generated files between runs
//                       (default /tmp/browse-bench)

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "bench_town.h"
#include "city/city.h"
#include "data/records.h"
#include "demo_town.h"
#include "runtime/event.h"
#include "runtime/headless_backend.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"
#include "runtime/runtime.h"
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
  kKeptScroll,  // plain SQLite alone: scroll one row, keeping what it read ahead
  kRoundTrip,
  kWake,
};
const Op kOps[] = {kRefresh,    kScrollOne,  kPageDown,   kThumb,     kLocate,
                   kSortChange, kCardReturn, kKeptScroll, kRoundTrip, kWake};

using bench::fail;

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

// Reads every file of a town once, so that the operating system holds them in memory when the
// case starts. This machine's kernel takes back page cache that has gone untouched for a while
// (its DAMON reclaim, seen taking 1,000,000 streets down to 8 of 76 MB), and a read that goes
// to the disk measures the disk, for the engine and plain SQLite alike.
void warm(const std::string& dir) {
  std::vector<char> chunk(1 << 20);
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    }
  }
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
  bench::demoTown(dir, count);
  return dir;
}

// Plain SQLite doing the reads the engine does for one operation, with prepared statements
// and nothing in between: the same records, found through the same index by the same keys,
// each with its street looked up (city), inside one read transaction per file and operation,
// as the engine reads. What each operation reads is listed in RESULTS.md; in short:
//   refresh      the highlighted record by number, the record at its key (the locate's
//                probe), a page from it, and each file's data version (the engine's check
//                that the thumb stops still hold)
//   scroll one   the anchor row and the record after it
//   page down    the anchor row and a page after it
//   thumb/locate the first record not below a key value, then a page from it
//   sort change  the highlighted record by number (the window's re-read before a button),
//                then a refresh in the other order
//   card return  the highlighted record by number and its street twice (the card), then the
//                page from its first row and each file's data version
// A page's street lookups skip a street equal to the row before's. Made with `keepStreets`, a
// list keeps every street it looked up for as long as STREET's data version, read once an
// operation, stays the same, as the engine's view does: the yardstick of the engine's
// page reads without their lookups.
class PlainList {
 public:
  PlainList(const std::string& primary, const std::string& lookup, const std::string& fields,
            std::vector<std::string> keys, const std::string& index, int rows,
            bool keepStreets = false)
      : keys_(std::move(keys)), rows_(rows), keepStreets_(keepStreets) {
    db_ = open(primary);
    if (!lookup.empty()) street_ = open(lookup);
    std::string list, marks;
    for (size_t i = 0; i < keys_.size(); ++i) {
      list += (i ? ", " : "") + keys_[i];
      marks += i ? ", ?" : "?";
    }
    const std::string columns = "SELECT id, " + fields + ", " + list + " FROM records ";
    const std::string indexed = columns + "INDEXED BY " + index + " ";
    const std::string order = " ORDER BY " + list + ", id LIMIT ?";
    byId_ = prepare(db_, columns + "WHERE id = ?1");
    from_ = prepare(db_, indexed + "WHERE (" + list + ", id) >= (" + marks + ", ?)" + order);
    probe_ = prepare(db_, indexed + "WHERE (" + list + ") >= (" + marks + ")" + order);
    version_ = prepare(db_, "PRAGMA data_version");
    begin_ = prepare(db_, "BEGIN");
    commit_ = prepare(db_, "COMMIT");
    if (street_) {
      lookup_ = prepare(street_,
                        "SELECT id, NUM, NAME FROM records INDEXED BY key_NUM_KEY WHERE NUM = ?1 "
                        "ORDER BY NUM, id LIMIT 1");
      streetVersion_ = prepare(street_, "PRAGMA data_version");
      streetBegin_ = prepare(street_, "BEGIN");
      streetCommit_ = prepare(street_, "COMMIT");
    }
    streetColumn_ = street_ ? 2 : -1;  // PHONE, STREET, ...: STREET is result column 2
  }
  ~PlainList() {
    for (sqlite3_value* v : anchor_.key) sqlite3_value_free(v);
    for (sqlite3_value* v : highlight_.key) sqlite3_value_free(v);
    for (sqlite3_stmt* st : {byId_, from_, probe_, version_, begin_, commit_, lookup_,
                             streetVersion_, streetBegin_, streetCommit_})
      sqlite3_finalize(st);
    sqlite3_close(db_);
    if (street_) sqlite3_close(street_);
  }

  // Places the highlight and the page's last row at the page that starts at `probe`.
  void place(const std::vector<std::string>& probe) {
    kept_.clear();
    begin();
    readProbe(probe, rows_);
    end();
  }

  void refresh() {
    begin();
    readById(highlight_.id);
    readFrom(highlight_, 1);
    readFrom(highlight_, rows_);
    versions();
    end();
  }
  void scrollOne() {
    begin();
    readFrom(anchor_, 2);
    end();
  }
  void pageDown() {
    begin();
    readFrom(anchor_, rows_ + 1);
    end();
  }
  void locate(const std::vector<std::string>& probe) {
    begin();
    readProbe(probe, 1);
    readFrom(anchor_, rows_);
    end();
  }
  // The re-read before the button in this order, then the refresh in the other order.
  void sortChange(PlainList& other) {
    newOperation();
    readById(highlight_.id);
    other.refresh();
  }
  // Scroll one row as a program that keeps the records it read ahead for as long as the
  // file's data version stays the same, as the engine does: a page's worth read at once, then
  // for each row only the version checked and the row's street looked up.
  void scrollOneKept() {
    begin();
    if (kept_.empty()) {
      keeping_ = true;
      readFrom(anchor_, rows_ + 1);
      keeping_ = false;
      std::reverse(kept_.begin(), kept_.end());
      kept_.pop_back();  // the anchor itself
    } else {
      step(version_);
    }
    if (street_ && !kept_.empty()) lookupStreet(kept_.back(), true);
    if (!kept_.empty()) kept_.pop_back();
    end();
  }
  void cardReturn() {
    newOperation();
    readById(highlight_.id);
    if (street_) lookupStreet(lastStreet_, true);
    begin();
    readFrom(highlight_, rows_);
    versions();
    end();
  }
  int rowsRead() const { return read_; }

 private:
  struct Anchor {
    int64_t id = 0;
    std::vector<sqlite3_value*> key;
  };

  static sqlite3* open(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
      fail("plain: cannot open " + path);
    sqlite3_exec(db, "PRAGMA cache_size=-8192", nullptr, nullptr, nullptr);
    return db;
  }
  static sqlite3_stmt* prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) !=
        SQLITE_OK)
      fail("plain: " + sql + ": " + sqlite3_errmsg(db));
    return st;
  }
  static void step(sqlite3_stmt* st) {
    while (sqlite3_step(st) == SQLITE_ROW) {
    }
    sqlite3_reset(st);
  }
  // A kept street is served in an operation only after STREET's data version was read in it.
  void newOperation() {
    lastStreet_ = -1;
    streetsChecked_ = false;
  }
  void begin() {
    step(begin_);
    if (street_) step(streetBegin_);
    newOperation();
  }
  void end() {
    step(commit_);
    if (street_) step(streetCommit_);
  }
  void versions() {
    step(version_);
    if (street_) step(streetVersion_);
  }

  // One row: its fields copied out as a record read does, its street looked up.
  void take(sqlite3_stmt* st, Anchor* into) {
    const int n = sqlite3_column_count(st);
    for (int c = 1; c < n; ++c) {
      if (sqlite3_column_type(st, c) == SQLITE_INTEGER) {
        benchmark::DoNotOptimize(sqlite3_column_int64(st, c));
      } else {
        const int bytes = std::min<int>(sqlite3_column_bytes(st, c), sizeof record_);
        std::memcpy(record_, sqlite3_column_blob(st, c), bytes);
      }
    }
    benchmark::DoNotOptimize(record_);
    ++read_;
    if (keeping_) {
      kept_.push_back(street_ ? sqlite3_column_int64(st, streetColumn_) : 0);
    } else if (street_) {
      lookupStreet(sqlite3_column_int64(st, streetColumn_), false);
    }
    if (into) {
      for (sqlite3_value* v : into->key) sqlite3_value_free(v);
      into->key.clear();
      into->id = sqlite3_column_int64(st, 0);
      const int first = n - static_cast<int>(keys_.size());
      for (int c = first; c < n; ++c)
        into->key.push_back(sqlite3_value_dup(sqlite3_column_value(st, c)));
    }
  }
  void lookupStreet(int64_t number, bool always) {
    if (!always && number == lastStreet_) return;
    lastStreet_ = number;
    const bool keep = keepStreets_ && !always;
    if (keep && !streetsChecked_) {
      sqlite3_step(streetVersion_);
      const int64_t version = sqlite3_column_int64(streetVersion_, 0);
      sqlite3_reset(streetVersion_);
      if (version != streetsVersion_) streets_.clear();
      streetsVersion_ = version;
      streetsChecked_ = true;
    }
    if (keep) {
      const auto it = streets_.find(number);
      if (it != streets_.end()) {
        std::memcpy(record_, it->second.data(), it->second.size());
        return;
      }
    }
    std::string name;
    sqlite3_bind_int64(lookup_, 1, number);
    if (sqlite3_step(lookup_) == SQLITE_ROW) {
      const int bytes = std::min<int>(sqlite3_column_bytes(lookup_, 2), 19);
      std::memcpy(record_, sqlite3_column_blob(lookup_, 2), bytes);
      name.assign(record_, static_cast<size_t>(bytes));
    }
    sqlite3_reset(lookup_);
    if (keep) streets_.emplace(number, std::move(name));
  }
  // A record by number always looks its street up, as a re-read does.
  void readById(int64_t id) {
    lastStreet_ = -1;
    sqlite3_bind_int64(byId_, 1, id);
    if (sqlite3_step(byId_) == SQLITE_ROW) take(byId_, nullptr);
    sqlite3_reset(byId_);
  }
  // `count` rows from the anchor's record on; the last becomes the anchor of the next scroll.
  void readFrom(const Anchor& from, int count) {
    int i = 1;
    for (sqlite3_value* v : from.key) sqlite3_bind_value(from_, i++, v);
    sqlite3_bind_int64(from_, i++, from.id);
    sqlite3_bind_int(from_, i, count);
    Anchor last;
    while (sqlite3_step(from_) == SQLITE_ROW) take(from_, &last);
    sqlite3_reset(from_);
    if (count > 1 && !last.key.empty()) {
      std::swap(anchor_, last);
    }
    for (sqlite3_value* v : last.key) sqlite3_value_free(v);
  }
  void readProbe(const std::vector<std::string>& probe, int count) {
    for (size_t i = 0; i < probe.size(); ++i) {
      if (keys_[i] == "STREET") {
        sqlite3_bind_int64(probe_, static_cast<int>(i) + 1, std::stoll(probe[i]));
      } else {
        const std::string k = runtime::sortKey(probe[i]);
        sqlite3_bind_blob(probe_, static_cast<int>(i) + 1, k.data(), static_cast<int>(k.size()),
                          SQLITE_TRANSIENT);
      }
    }
    sqlite3_bind_int(probe_, static_cast<int>(probe.size()) + 1, count);
    bool first = true;
    Anchor row;
    while (sqlite3_step(probe_) == SQLITE_ROW) {
      take(probe_, &row);
      if (first) {
        std::swap(highlight_.id, row.id);
        for (sqlite3_value* v : highlight_.key) sqlite3_value_free(v);
        highlight_.key.clear();
        for (sqlite3_value* v : row.key) highlight_.key.push_back(sqlite3_value_dup(v));
        first = false;
      }
      std::swap(anchor_, row);
    }
    sqlite3_reset(probe_);
    for (sqlite3_value* v : row.key) sqlite3_value_free(v);
  }

  sqlite3* db_ = nullptr;
  sqlite3* street_ = nullptr;
  std::vector<std::string> keys_;
  int rows_;
  int streetColumn_ = -1;
  int64_t lastStreet_ = -1;
  bool keepStreets_ = false;
  bool streetsChecked_ = false;
  int64_t streetsVersion_ = -1;
  std::unordered_map<int64_t, std::string> streets_;
  bool keeping_ = false;
  std::vector<int64_t> kept_;  // the streets of the rows read ahead, the next one last
  int read_ = 0;
  char record_[64] = {};
  Anchor highlight_, anchor_;
  sqlite3_stmt *byId_ = nullptr, *from_ = nullptr, *probe_ = nullptr, *version_ = nullptr,
               *begin_ = nullptr, *commit_ = nullptr, *lookup_ = nullptr, *streetVersion_ = nullptr,
               *streetBegin_ = nullptr, *streetCommit_ = nullptr;
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

// CPU time of every thread of the process, in seconds: the engine's thread, the benchmark's
// and the handoff between them, without the waits for a core that a shared machine adds.
double processCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One operation as a case repeats it: `prepare`, untimed, puts the list where the operation
// starts; `op` is timed.
struct Step {
  std::function<void(int64_t)> prepare = [](int64_t) {};
  std::function<void(int64_t)> op;
  // Untimed, after plain SQLite's block: an event the window answers without reading, so
  // that the engine's next operation starts with the window's thread awake, as the one
  // before it did (waking it is timed apart, in the round-trip case after a pause).
  std::function<void()> wake = [] {};
};

double threadCpu() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall-clock seconds of one step; `cpu` gets the seconds `clock` counted meanwhile.
double timeStep(const Step& step, int64_t i, double (*clock)(), double& cpu) {
  step.prepare(i);
  const double c0 = clock();
  const auto t0 = Clock::now();
  step.op(i);
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  cpu += clock() - c0;
  return wall;
}

// Times the engine's step once per iteration (the case's time) and, when given, as many of
// plain SQLite's steps, in blocks of 25 between the engine's, so that both meet the shared
// machine in the same state: its speed changes by tens of per cent from one minute to the
// next. Reports plain SQLite's mean, the ratio of the two means and the process's resident
// memory. The engine's CPU time is the process's (the window's thread, this one, and their
// watching for each other's next event); plain SQLite's is this thread's alone. `kept`, when
// given, is plain SQLite keeping the streets it looked up, timed in blocks of its own beside
// the others' and reported as `kept_us` and `ratio_kept`.
void timed(benchmark::State& state, const Step& engine, const Step* plain,
           const Step* kept = nullptr) {
  constexpr int64_t kBlock = 25;
  const long before = residentKb();
  long most = before;
  int64_t i = 0, j = 0;
  double engineWall = 0, engineCpu = 0, plainWall = 0, plainCpu = 0, keptWall = 0, keptCpu = 0;
  for (auto _ : state) {
    if (plain != nullptr && i % kBlock == 0) {
      for (int64_t k = 0; k < kBlock; ++k) plainWall += timeStep(*plain, j++, threadCpu, plainCpu);
      if (kept != nullptr) {
        for (int64_t k = j - kBlock; k < j; ++k) keptWall += timeStep(*kept, k, threadCpu, keptCpu);
      }
      engine.wake();
    }
    const double wall = timeStep(engine, i, processCpu, engineCpu);
    state.SetIterationTime(wall);
    engineWall += wall;
    // Read every tenth operation: reading /proc between two operations takes long enough
    // for the window's thread to stop watching for the next event and go to sleep, and the
    // thread is woken again, untimed, as after plain SQLite's block. (Waking it is timed
    // apart, in the round-trip case after a pause.)
    if (i % 10 == 9) {
      most = std::max(most, residentKb());
      engine.wake();
    }
    ++i;
  }
  const double n = i > 0 ? static_cast<double>(i) : 1;
  state.counters["cpu_us"] = engineCpu * 1e6 / n;
  if (plain != nullptr && j > 0) {
    const double m = static_cast<double>(j);
    state.counters["plain_us"] = plainWall * 1e6 / m;
    state.counters["plain_cpu_us"] = plainCpu * 1e6 / m;
    state.counters["ratio"] = (engineWall / n) / (plainWall / m);
    if (kept != nullptr) {
      state.counters["kept_us"] = keptWall * 1e6 / m;
      state.counters["ratio_kept"] = (engineWall / n) / (keptWall / m);
    }
  }
  state.counters["rss_start_MB"] = before / 1024.0;
  const long end = residentKb();
  state.counters["rss_max_MB"] = std::max(most, end) / 1024.0;
  state.counters["rss_end_MB"] = end / 1024.0;
}

// A typed first letter: the CP1251 byte of a word's initial.
int initial(int64_t i) {
  return static_cast<unsigned char>(runtime::cp(kWords[i % 10])[0]);
}

Step listOp(Session& s, int op, int locateChar, int sortButton, int order) {
  auto& d = s.driver;
  const std::string& l = s.label;
  switch (op) {
    case kRefresh:
      return {.op = [&](int64_t) { d.focus(s.proc); }};
    case kScrollOne:
      // Down at the last row: the page shifts by one record; back to the top now and then.
      return {[&](int64_t i) {
                if (i % 200 == 0) d.scroll(l, ev::ScrollTop);
                d.selectRow(l, s.rows);
              },
              [&](int64_t) { d.scroll(l, ev::ScrollDown); }};
    case kPageDown:
      return {[&](int64_t i) {
                if (i % 50 == 0) d.scroll(l, ev::ScrollTop);
              },
              [&](int64_t) { d.scroll(l, ev::PageDown); }};
    case kThumb:
      return {.op = [&](int64_t) { d.thumb(l, 50); }};
    case kLocate:
      return {[&](int64_t) { d.scroll(l, ev::ScrollTop); },
              [&, locateChar](int64_t i) {
                d.key(l, key::Character, locateChar < 0 ? initial(i) : locateChar);
              }};
    case kSortChange: {
      if (sortButton == 0) {
        // One order: the sort change is the forced refresh, which focus gain takes.
        return {.op = [&](int64_t) { d.focus(s.proc); }};
      }
      // Orders 1..3 have buttons; order 4 (the opening order) has none, so from 4 the case
      // goes to 2 and back to 1, which shares its key.
      const std::string other = "?BUTTON" + std::to_string(sortButton);
      const std::string back = "?BUTTON" + std::to_string(order == 4 ? 1 : order);
      return {[&d, back](int64_t) { d.press(back); }, [&d, other](int64_t) { d.press(other); }};
    }
    case kCardReturn:
      return {[&](int64_t) { d.key(l, key::CtrlEnter); }, [&](int64_t) { d.close(); }};
    case kWake:
      // The same after a millisecond with nothing to do, as between a user's keys: the
      // window's thread has gone to sleep and is woken by the event.
      return {[](int64_t) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); },
              [&](int64_t) { d.selectRow(l, 1); }};
    default:
      // The handoff floor: an event the engine answers without reading (the highlighted row
      // selected again), there and back between this thread and the procedure's.
      return {.op = [&](int64_t) { d.selectRow(l, 1); }};
  }
}

Step listStep(Session& s, int op, int locateChar, int sortButton, int order) {
  Step step = listOp(s, op, locateChar, sortButton, order);
  step.wake = [&s] {
    const auto list = s.driver.control(s.label);
    s.driver.selectRow(s.label, list && list->selected > 0 ? list->selected : 1);
  };
  return step;
}

// Plain SQLite: each operation's reads (PlainList), in the list's place, locate and thumb
// values of the engine's case.
struct Probes {
  std::vector<std::string> place, locate, thumb;
  std::vector<std::string> top;  // the first page, where the engine's locate starts from
  bool locateInitials = false;   // locate each iteration's word initial, as the engine's case
};

Step plainStep(PlainList& p, PlainList& other, int op, const Probes& probes) {
  p.place(probes.place);
  switch (op) {
    case kRefresh:
      return {.op = [&](int64_t) { p.refresh(); }};
    case kScrollOne:
      // Back to the starting page now and then, as the engine's case goes back to the top.
      return {[&](int64_t i) {
                if (i % 200 == 0) p.place(probes.place);
              },
              [&](int64_t) { p.scrollOne(); }};
    case kKeptScroll:
      return {[&](int64_t i) {
                if (i % 200 == 0) p.place(probes.place);
              },
              [&](int64_t) { p.scrollOneKept(); }};
    case kPageDown:
      return {[&](int64_t i) {
                if (i % 50 == 0) p.place(probes.place);
              },
              [&](int64_t) { p.pageDown(); }};
    case kThumb:
      return {.op = [&](int64_t) { p.locate(probes.thumb); }};
    case kLocate:
      // From the first page, as the engine's case clears its locator by going to the top.
      return {[&](int64_t) { p.place(probes.top); },
              [&](int64_t i) {
                if (probes.locateInitials) {
                  p.locate({std::string(1, static_cast<char>(initial(i)))});
                } else {
                  p.locate(probes.locate);
                }
              }};
    case kSortChange:
      return {.op = [&](int64_t) { p.sortChange(other); }};
    default:
      return {.op = [&](int64_t) { p.cardReturn(); }};
  }
}

void BM_Street(benchmark::State& state) {
  const int64_t count = state.range(0);
  const int op = static_cast<int>(state.range(1));
  const std::string dir = streetTown(count);
  warm(dir);
  Session s(dir, &phonedir::STREET, "STREET", "?BROWSE:1");
  state.counters["rows"] = s.rows;
  auto list = [&] {
    return std::make_unique<PlainList>(dir + "/STREET.db", "", "NUM, NAME",
                                       std::vector<std::string>{"NAME_SORT"}, "key_NAME_KEY", 18);
  };
  auto p = list();
  auto other = list();  // one order: the sort change is the refresh
  const std::string word = runtime::cp(kWords[5]);
  const Probes probes{{word}, {}, {runtime::cp("Н")}, {""}, true};
  const Step engine = listStep(s, op, -1, 0, 0);
  if (op > kKeptScroll) return timed(state, engine, nullptr);
  const Step plain =
      plainStep(*p, op == kSortChange ? *p : *other, op == kSortChange ? kRefresh : op, probes);
  if (op == kKeptScroll) return timed(state, plain, nullptr);
  timed(state, engine, &plain);
}

// range(2): the order the window is in (its sort button); the sort change presses the next.
void BM_City(benchmark::State& state) {
  const int64_t count = state.range(0);
  const int op = static_cast<int>(state.range(1));
  const int order = static_cast<int>(state.range(2));
  const std::string dir = cityTown(count);
  warm(dir);
  Session s(dir, &phonedir::GOROD, "GOROD", "?LIST");
  state.counters["rows"] = s.rows;
  if (order != 4) s.driver.press("?BUTTON" + std::to_string(order));
  const int locate =
      order == 2 ? static_cast<unsigned char>(runtime::cp("К")[0]) : static_cast<int>('3');
  const int next = order == 4 ? 2 : order % 3 + 1;
  const Step engine = listStep(s, op, locate, next, order);
  if (op > kKeptScroll) return timed(state, engine, nullptr);

  const std::string fields = "PHONE, STREET, FIO, HOME, KVART";
  auto list = [&](int o, bool keepStreets = false) {
    if (o == 2)
      return std::make_unique<PlainList>(dir + "/PHONE.db", dir + "/STREET.db", fields,
                                         std::vector<std::string>{"FIO_SORT"}, "key_NAME_KEY", 12,
                                         keepStreets);
    if (o == 3)
      return std::make_unique<PlainList>(
          dir + "/PHONE.db", dir + "/STREET.db", fields,
          std::vector<std::string>{"STREET", "HOME_SORT", "KVART_SORT"}, "key_ADRESS_KEY", 12,
          keepStreets);
    return std::make_unique<PlainList>(dir + "/PHONE.db", dir + "/STREET.db", fields,
                                       std::vector<std::string>{"PHONE_SORT"}, "key_NUM_KEY", 12,
                                       keepStreets);
  };
  auto p = list(order);
  auto other = list(next);
  auto pk = list(order, true);
  auto otherKept = list(next, true);
  auto probes = [](int o) -> Probes {
    if (o == 2) return {{runtime::cp("Кузнецов")}, {runtime::cp("К")}, {runtime::cp("Н")}, {""}};
    if (o == 3) return {{"100", "", ""}, {"3", "", ""}, {"100", "", ""}, {"0", "", ""}};
    return {{"500000"}, {"3"}, {"5"}, {""}};
  };
  const Probes pr = probes(order);
  other->place(probes(next).place);
  otherKept->place(probes(next).place);
  const Step plain = plainStep(*p, *other, op, pr);
  if (op == kKeptScroll) return timed(state, plain, nullptr);
  const Step kept = plainStep(*pk, *otherKept, op, pr);
  timed(state, engine, &plain, &kept);
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
  const Step ends{.op = [&](int64_t) {
    for (bool last : {true, false}) {
      view.close();
      primary.set(key);
      view.open();
      benchmark::DoNotOptimize(last ? view.prev() : view.next());
    }
  }};
  timed(state, ends, nullptr);
  view.close();
}

// Registers one case of 300 timed operations.
void add(const char* name, void (*run)(benchmark::State&), const std::vector<int64_t>& args) {
  benchmark::RegisterBenchmark(name, run)->Args(args)->UseManualTime()->Iterations(300)->Unit(
      benchmark::kMicrosecond);
}

// Each operation's cases side by side at every size, so that a shared machine's changing speed
// falls on the figures compared alike (--benchmark_enable_random_interleaving mixes their
// repetitions as well).
void registerCases() {
  for (int op : kOps) {
    for (int64_t n : {10000, 200000, 1000000}) add("BM_Street", BM_Street, {n, op});
  }
  for (int order = 1; order <= 4; ++order) {
    for (int op : kOps) {
      for (int64_t n : {10000, 1000000}) add("BM_City", BM_City, {n, op, order});
    }
  }
  for (int64_t city : {0, 1})
    for (int64_t n : {10000, 1000000}) add("BM_EndsRead", BM_EndsRead, {n, city});
}

}  // namespace

int main(int argc, char** argv) {
  registerCases();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
