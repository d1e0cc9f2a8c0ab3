#pragma once
// The per-record tests of the search and the choice among its four scans. A test looks at one
// subscriber as the scan has just read it and says whether to write it (CHECK#) and whether
// the scan has left the range its key bounds (BREAK#). Pure functions, no files.

#include <cstdint>
#include <string>

#include "data/records.h"
#include "search/phone_mask.h"

namespace phonedir::search {

// What the user asked for, as the tests read it.
struct Conditions {
  std::string PHONE;   // LOC:PHONE, six characters
  int32_t STREET = 0;  // LOC:STREET; 0 when no street is chosen
  std::string HOME;    // LOC:HOME (blank: any house)
  std::string KVART;   // LOC:KVART (blank: any flat)
  std::string FIO;     // LOC:FIO, as held (its trailing blanks count)
};

struct Verdict {
  bool CHECK = true;   // write this subscriber
  bool BREAK = false;  // the scan has left its range: stop before this subscriber
};

Verdict CHECKSTREET(const PHO_RECORD& PHO, const Conditions& c, const PhoneMask& mask);
Verdict CHECKFIO(const PHO_RECORD& PHO, const Conditions& c, const PhoneMask& mask);
Verdict CHECKPHONE(const PHO_RECORD& PHO, const Conditions& c, const PhoneMask& mask);

enum class Scan {
  None,            // no condition: nothing to search for
  Street,          // PHO:ADRESS_KEY from the street (house, flat) on
  Surname,         // PHO:NAME_KEY from the typed letters on
  PhoneBeginning,  // PHO:NUM_KEY over the numbers that begin as the mask does
  PhoneWhole,      // every subscriber: the mask begins with "?"
};

// The first that applies: a street, surname letters, a mask with a fixed beginning, a mask
// that begins with "?". A house or a flat alone is no condition.
Scan chooseScan(const Conditions& c, const PhoneMask& mask);

// The subscriber's surname as stored (up to its NUL).
std::string_view surname(const PHO_RECORD& PHO);

}  // namespace phonedir::search
