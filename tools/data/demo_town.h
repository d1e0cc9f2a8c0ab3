#pragma once
// A plausible town for demonstrations and benchmarks: about 200 streets with Russian names,
// subscribers with Russian surnames and initials living on them under five- and six-digit
// numbers, and a few dozen personal entries. The same count always gives the same town.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "data/records.h"

namespace datatool {

inline constexpr int kDemoStreets = 200;

// The records one by one, in the order they are made.
void demoStreets(const std::function<void(const phonedir::STR_RECORD&)>& emit);
void demoSubscribers(int64_t count, const std::function<void(const phonedir::PHO_RECORD&)>& emit);
void demoPersonal(const std::function<void(const phonedir::PER_RECORD&)>& emit);

// Makes STREET, PHONE and PERSONAL in `dir` (created when missing) with `subscribers`
// subscribers. Refuses to touch a directory that already holds any of them.
int demo(const std::string& dir, int64_t subscribers, std::ostream& out, std::ostream& err);

}  // namespace datatool
