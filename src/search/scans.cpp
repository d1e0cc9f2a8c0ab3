#include "search/scans.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/locale/collation.h"
#include "storage/error.h"

namespace phonedir::search {
namespace {

// How many subscribers a scan reads between two questions whether the program is closing.
constexpr int64_t kStopCheckInterval = 1024;

class Scanner {
 public:
  Scanner(storage::KeyedFile& phone, PHO_RECORD& PHO, const ScanHooks& hooks)
      : phone_(phone), PHO_(PHO), hooks_(hooks) {}

  // The next subscriber into PHO; false at the end, on an error or when the program closes.
  bool next() {
    if (out_.read >= nextStopCheck_) {
      nextStopCheck_ = out_.read + kStopCheckInterval;
      if (hooks_.stopping && hooks_.stopping()) {
        out_.stopped = true;
        return false;
      }
    }
    const int rc = phone_.next();
    if (rc == storage::kNoRecord) return false;
    if (rc != storage::kOk) {
      out_.readError = rc;
      return false;
    }
    return true;
  }

  void count(int64_t subscribers = 1) {
    out_.read += subscribers;
    if (!hooks_.count) return;
    for (int64_t i = 0; i < subscribers; ++i) hooks_.count();
  }

  bool append() {
    ++out_.written;
    if (hooks_.append && !hooks_.append()) {
      out_.appendFailed = true;
      return false;
    }
    return true;
  }

  // A scan bounded by its per-record test: leaves at the first subscriber that sets BREAK#.
  template <typename Test>
  void bounded(int key, Test test) {
    phone_.setByKey(key);
    while (next()) {
      count();
      const Verdict v = test();
      if (v.BREAK) break;
      if (v.CHECK && !append()) break;
    }
  }

  void phoneBeginning(const std::string& typed, const Conditions& c, const PhoneMask& mask) {
    const size_t fixed = std::min<size_t>(mask.E[0], kMaskSize);
    std::string beginning = typed.substr(0, fixed);
    beginning.resize(fixed, ' ');
    std::memset(PHO_.PHONE, ' ', sizeof PHO_.PHONE);
    std::memcpy(PHO_.PHONE, beginning.data(), beginning.size());
    phone_.setByKey(PHO_NUM_KEY);
    while (next()) {
      if (!sameText(std::string_view(PHO_.PHONE, fixed), beginning)) break;
      count();
      if (CHECKPHONE(PHO_, c, mask).CHECK && !append()) break;
    }
  }

  void wholeByKey(const Conditions& c, const PhoneMask& mask) {
    std::memset(PHO_.PHONE, ' ', sizeof PHO_.PHONE);
    phone_.setByKey(PHO_NUM_KEY);
    while (next()) {
      count();
      if (CHECKPHONE(PHO_, c, mask).CHECK && !append()) break;
    }
  }

  // Record-number order, then the matches in the number key's order: by the collation sort
  // key of the number and, between equal numbers, by record number, which is the order they
  // were met in (a stable sort keeps it).
  void wholeByRecordNumber(const Conditions& c, const PhoneMask& mask) {
    struct Match {
      std::string key;
      PHO_RECORD record;
    };
    std::vector<Match> matches;
    const storage::RecordFilter filter = maskPrefilter(mask);
    // The subscribers SQLite passes over count as read, for the progress to go on and to end
    // where a read of every one would: by record numbers as the reads go (never beyond the
    // number of subscribers, which deleted numbers would otherwise push it to), and the rest
    // at the end.
    const int64_t total = filter.empty() ? -1 : phone_.records();
    const bool filtered = total >= 0 && phone_.setFiltered(filter) == storage::kOk;
    if (!filtered) phone_.set(storage::kFileOrder);
    int64_t previous = 0;
    while (next()) {
      if (filtered) {
        const int64_t number = phone_.recordNumber();
        count(std::max<int64_t>(0, std::min(number - previous, total - out_.read)));
        previous = number;
      } else {
        count();
      }
      if (CHECKPHONE(PHO_, c, mask).CHECK)
        matches.push_back(
            {runtime::sortKey(std::string_view(PHO_.PHONE, sizeof PHO_.PHONE)), PHO_});
    }
    if (out_.stopped || out_.readError != 0) return;
    if (filtered && total > out_.read) count(total - out_.read);
    std::stable_sort(matches.begin(), matches.end(),
                     [](const Match& a, const Match& b) { return a.key < b.key; });
    for (const Match& m : matches) {
      PHO_ = m.record;
      if (!append()) break;
    }
  }

  ScanOutcome outcome() const { return out_; }

 private:
  storage::KeyedFile& phone_;
  PHO_RECORD& PHO_;
  const ScanHooks& hooks_;
  ScanOutcome out_;
  int64_t nextStopCheck_ = 0;  // asked again once this many subscribers are read
};

}  // namespace

storage::RecordFilter maskPrefilter(const PhoneMask& mask) {
  storage::RecordFilter filter;
  const int field = PHONE_FILE().fieldIndex("PHONE");
  if (field < 0) return filter;
  for (int i = 0; i < mask.N && i < kMaskSize; ++i) {
    const int b = mask.B[i];
    const int e = std::min(mask.E[i], kMaskSize);
    if (b < 1 || b > e) continue;
    const std::string& s = mask.S[i];
    for (int k = 0; k <= e - b && static_cast<size_t>(k) < s.size(); ++k) {
      const auto wanted = static_cast<unsigned char>(s[static_cast<size_t>(k)]);
      if (wanted == ' ') continue;
      // Every byte the segment test takes for this one.
      std::string bytes;
      for (int x = 0; x < 256; ++x) {
        const auto u = static_cast<unsigned char>(x);
        if (u == wanted || runtime::collationWeight(u) == runtime::collationWeight(wanted))
          bytes += static_cast<char>(u);
      }
      filter.push_back({field, static_cast<size_t>(b - 1 + k), std::move(bytes)});
    }
  }
  return filter;
}

ScanOutcome runScan(Scan scan, storage::KeyedFile& phone, PHO_RECORD& PHO, const Conditions& c,
                    const PhoneMask& mask, const ScanHooks& hooks, WholeFile wholeFile) {
  Scanner s(phone, PHO, hooks);
  switch (scan) {
    case Scan::None:
      break;
    case Scan::Street:
      PHO.STREET = c.STREET;
      std::memset(PHO.HOME, ' ', sizeof PHO.HOME);
      std::memcpy(PHO.HOME, c.HOME.data(), std::min(c.HOME.size(), sizeof PHO.HOME));
      std::memset(PHO.KVART, ' ', sizeof PHO.KVART);
      std::memcpy(PHO.KVART, c.KVART.data(), std::min(c.KVART.size(), sizeof PHO.KVART));
      s.bounded(PHO_ADRESS_KEY, [&] { return CHECKSTREET(PHO, c, mask); });
      break;
    case Scan::Surname:
      std::memset(PHO.FIO, 0, sizeof PHO.FIO);
      std::memcpy(PHO.FIO, c.FIO.data(), std::min(c.FIO.size(), sizeof PHO.FIO - 1));
      s.bounded(PHO_NAME_KEY, [&] { return CHECKFIO(PHO, c, mask); });
      break;
    case Scan::PhoneBeginning:
      s.phoneBeginning(c.PHONE, c, mask);
      break;
    case Scan::PhoneWhole:
      if (wholeFile == WholeFile::ByKey) {
        s.wholeByKey(c, mask);
      } else {
        s.wholeByRecordNumber(c, mask);
      }
      break;
  }
  return s.outcome();
}

}  // namespace phonedir::search
