#pragma once
// The 100 stops that map a list's scroll thumb onto key values, spread from the first to the
// last key value of the file, so that a list never has to count its records. Numeric keys are
// interpolated linearly; text keys of a small alphabet (telephone numbers) are read as numbers
// in the base of their alphabet and interpolated; Cyrillic names use the fixed SORT_CYRILIC.
//
// Each generator is an object: a browse sets one up and fetches its 100 stops from it, so
// browses on different threads never share a sequence.

#include <cstdint>
#include <string>
#include <string_view>

namespace phonedir {

// List types: which characters make up a text key's alphabet.
inline constexpr int32_t LISTTYPE_LETTERS = 1;      // upper-case letters
inline constexpr int32_t LISTTYPE_PUNCTUATION = 2;  // the punctuation set
inline constexpr int32_t LISTTYPE_DIGITS = 4;
inline constexpr int32_t LISTTYPE_BOTHCASES = 8;  // with 1: letters of both cases, limits kept

class RealStops {
 public:
  void SETUPREALSTOPS(double INPUTLOWLIMIT, double INPUTHIGHLIMIT);
  // The next stop, 1st to 100th: the low limit first, the high limit last.
  double NEXTREALSTOP();

  double STEPVALUE = 0;
  int32_t CURRENTSTEP = 0;
  double LOWLIMIT = 0;
  double HIGHLIMIT = 0;
};

class StringStops {
 public:
  // The limits are the first and last key values (CP1251); size is the key field's width.
  void SETUPSTRINGSTOPS(std::string_view PROCESSLOWLIMIT, std::string_view PROCESSHIGHLIMIT,
                        int32_t INPUTSTRINGSIZE, int32_t LISTTYPE = LISTTYPE_LETTERS);
  // The next stop: the limits' shared root followed by four characters.
  std::string NEXTSTRINGSTOP();

  std::string SORTCHARACTERS;  // the alphabet, in byte order
  int32_t SORTCHARACTERCOUNT = 0;
  std::string STRINGROOT;
  int32_t STRINGROOTLEN = 0;
  int32_t STEPVALUE = 0;
  int32_t CURRENTSTEP = 0;
  int32_t LOWVALUE = 0;
  int32_t HIGHVALUE = 0;
  std::string LOWSTRING;  // four characters after the root
  std::string HIGHSTRING;

 private:
  void ADDSORTCHARACTER(char c);
  int32_t valueOf(const std::string& four) const;
};

// The punctuation set of LISTTYPE_PUNCTUATION.
extern const std::string OVERRIDECHARACTERS;

}  // namespace phonedir
