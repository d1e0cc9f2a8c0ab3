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
    if (out_.read % kStopCheckInterval == 0 && hooks_.stopping && hooks_.stopping()) {
      out_.stopped = true;
      return false;
    }
    const int rc = phone_.next();
    if (rc == storage::kNoRecord) return false;
    if (rc != storage::kOk) {
      out_.readError = rc;
      return false;
    }
    return true;
  }

  void count() {
    ++out_.read;
    if (hooks_.count) hooks_.count();
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
    phone_.set(storage::kFileOrder);
    while (next()) {
      count();
      if (CHECKPHONE(PHO_, c, mask).CHECK)
        matches.push_back(
            {runtime::sortKey(std::string_view(PHO_.PHONE, sizeof PHO_.PHONE)), PHO_});
    }
    if (out_.stopped || out_.readError != 0) return;
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
};

}  // namespace

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
