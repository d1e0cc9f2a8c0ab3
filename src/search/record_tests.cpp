#include "search/record_tests.h"

#include <cstring>

namespace phonedir::search {
namespace {

std::string_view field(const char* bytes, size_t width) {
  return {bytes, width};
}

// The house and flat tests the surname and phone scans share.
bool houseAndFlat(const PHO_RECORD& PHO, const Conditions& c) {
  if (!isBlank(c.HOME) && !sameText(c.HOME, field(PHO.HOME, sizeof PHO.HOME))) return false;
  if (!isBlank(c.KVART) && !sameText(c.KVART, field(PHO.KVART, sizeof PHO.KVART))) return false;
  return true;
}

// The first n characters of the surname, n being the length of the typed letters.
bool surnameBegins(const PHO_RECORD& PHO, const std::string& letters) {
  return sameText(surname(PHO).substr(0, letters.size()), letters);
}

}  // namespace

std::string_view surname(const PHO_RECORD& PHO) {
  return {PHO.FIO, strnlen(PHO.FIO, sizeof PHO.FIO)};
}

Verdict CHECKSTREET(const PHO_RECORD& PHO, const Conditions& c, const PhoneMask& mask) {
  Verdict v;
  if (PHO.STREET != c.STREET ||
      (!isBlank(c.HOME) && !sameText(c.HOME, field(PHO.HOME, sizeof PHO.HOME)))) {
    v.BREAK = true;
    return v;
  }
  if (!isBlank(c.KVART) && !sameText(c.KVART, field(PHO.KVART, sizeof PHO.KVART))) v.CHECK = false;
  if (v.CHECK && !isBlank(c.FIO)) v.CHECK = surnameBegins(PHO, c.FIO);
  if (mask.N != 0 && v.CHECK) v.CHECK = segmentsMatch(mask, field(PHO.PHONE, sizeof PHO.PHONE));
  return v;
}

Verdict CHECKFIO(const PHO_RECORD& PHO, const Conditions& c, const PhoneMask& mask) {
  Verdict v;
  if (!surnameBegins(PHO, c.FIO)) {
    v.BREAK = true;
    return v;
  }
  v.CHECK = houseAndFlat(PHO, c);
  if (mask.N != 0 && v.CHECK) v.CHECK = segmentsMatch(mask, field(PHO.PHONE, sizeof PHO.PHONE));
  return v;
}

Verdict CHECKPHONE(const PHO_RECORD& PHO, const Conditions& c, const PhoneMask& mask) {
  Verdict v;
  v.CHECK = segmentsMatch(mask, field(PHO.PHONE, sizeof PHO.PHONE));
  if (v.CHECK) v.CHECK = houseAndFlat(PHO, c);
  return v;
}

Scan chooseScan(const Conditions& c, const PhoneMask& mask) {
  if (c.STREET != 0) return Scan::Street;
  if (!isBlank(c.FIO)) return Scan::Surname;
  if (mask.N > 0 && mask.B[0] == 1) return Scan::PhoneBeginning;
  if (mask.N > 0 && mask.B[0] > 1) return Scan::PhoneWhole;
  return Scan::None;
}

}  // namespace phonedir::search
