#pragma once
// The four scans of PHONE: each starts where its key puts the first subscriber that can
// match, applies its per-record test to every subscriber it reads, hands the ones that match
// to APPENDPOISK in key order, and stops where its key leaves the range (or at the end).
//
// A mask that begins with "?" must look at every subscriber. Reading PHONE in key order costs
// a page fetch per subscriber, so that scan reads the file in record-number order, keeps the
// matches and hands them on in the number key's order afterwards: the same subscribers in the
// same order, and so the same last-written one, at a fraction of the cost. SQLite itself
// passes over the subscribers whose numbers cannot fit the mask (maskPrefilter), so only the
// few that may match leave the database; each of those still goes through the full test.

#include <cstdint>
#include <functional>

#include "data/records.h"
#include "search/record_tests.h"
#include "storage/keyed_file.h"

namespace phonedir::search {

struct ScanHooks {
  std::function<void()> count;     // one subscriber read (drives the progress bar)
  std::function<bool()> append;    // APPENDPOISK of PHO; false when the write failed
  std::function<bool()> stopping;  // asked now and then; true ends the scan at once
};

struct ScanOutcome {
  int readError = 0;  // a failed read of PHONE (never 33, the end): the scan stopped there
  bool appendFailed = false;
  bool stopped = false;  // the program is closing
  // Subscribers read; in record-number order also those SQLite passed over before the last
  // one read (told by record numbers, so deleted ones count as well).
  int64_t read = 0;
  int64_t written = 0;  // subscribers handed to APPENDPOISK
};

// How the whole-file scan reads: in record-number order (the default) or in the number key's
// order, subscriber by subscriber, as the other scans do.
enum class WholeFile { ByRecordNumber, ByKey };

// What every number the mask accepts holds at some positions, for SQLite to test on PHONE's
// stored numbers before the mask's own test: only positions that must hold a character other
// than a blank, each as the set of bytes that compare equal to it. Empty when nothing is sure.
storage::RecordFilter maskPrefilter(const PhoneMask& mask);

// Runs `scan` over `phone` (open on this thread, reading into PHO). Every subscriber read is
// counted; APPENDPOISK sees PHO holding the subscriber to write.
ScanOutcome runScan(Scan scan, storage::KeyedFile& phone, PHO_RECORD& PHO, const Conditions& c,
                    const PhoneMask& mask, const ScanHooks& hooks,
                    WholeFile wholeFile = WholeFile::ByRecordNumber);

}  // namespace phonedir::search
