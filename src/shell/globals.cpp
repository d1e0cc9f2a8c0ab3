#include "shell/globals.h"

#include "runtime/locale/charset.h"

namespace phonedir {

thread_local int32_t GLOBALREQUEST = 0;
thread_local int32_t GLOBALRESPONSE = 0;
thread_local int32_t VCRREQUEST = 0;

std::atomic<uint8_t> RUNNING_GOROD{0};
std::atomic<uint8_t> RUNNING_PERSONAL{0};
std::atomic<uint8_t> RUNNING_POISK{0};

namespace {

// Saving and reporting follow each other on one thread; a message that another thread shows
// in between must not take this thread's error.
thread_local SavedError saved;

std::string cut254(const std::string& s) {
  return s.size() > 254 ? s.substr(0, 254) : s;
}

// After the two stops of А, three per letter: the letter alone, then followed by К and by Х.
// З, П and Ч, with many names, split at З, П and Ч instead; Я ends on Х.
std::string makeSortCyrilic() {
  struct Group {
    const char* letters;
    const char* seconds;
  };
  const Group groups[] = {
      {"БВГДЕЖ", " КХ"},  {"З", " ЗПЧ"}, {"ИЙКЛМНО", " КХ"}, {"П", " ЗПЧ"},
      {"РСТУФХЦ", " КХ"}, {"Ч", " ЗПЧ"}, {"ШЩЪЫЬЭЮ", " КХ"}, {"Я", " ЗПХ"},
  };
  std::string stops = "  " + runtime::cp("АКАХ");
  for (const Group& g : groups) {
    for (const char first : runtime::cp(g.letters)) {
      for (const char second : runtime::cp(g.seconds)) {
        stops += first;
        stops += second;
      }
    }
  }
  return stops;
}

}  // namespace

const std::string SORT_CYRILIC = makeSortCyrilic();

void saveError(const SavedError& error) {
  saved = {error.SAVEERRORCODE, cut254(error.SAVEERROR), error.SAVEFILEERRORCODE,
           cut254(error.SAVEFILEERROR)};
}

SavedError takeSavedError() {
  SavedError out = std::move(saved);
  saved = SavedError{};
  return out;
}

}  // namespace phonedir
