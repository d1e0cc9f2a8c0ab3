#include "shell/globals.h"

#include <mutex>

#include "runtime/locale/charset.h"

namespace phonedir {

thread_local int32_t GLOBALREQUEST = 0;
thread_local int32_t GLOBALRESPONSE = 0;
thread_local int32_t VCRREQUEST = 0;

std::atomic<uint8_t> RUNNING_GOROD{0};
std::atomic<uint8_t> RUNNING_PERSONAL{0};
std::atomic<uint8_t> RUNNING_POISK{0};

namespace {

std::mutex savedMutex;
SavedError saved;

std::string cut254(const std::string& s) {
  return s.size() > 254 ? s.substr(0, 254) : s;
}

// Three stops per letter (the letter alone, then "К" and "Х" after it), four for the letters
// whose names are common enough to need a finer split (З, П, Ч, Я).
std::string makeSortCyrilic() {
  std::string s = "  " + runtime::cp("АКАХ");
  for (const char* letters : {"БВГДЕЖ", "З", "ИЙКЛМНО", "П", "РСТУФХЦ", "Ч", "ШЩЪЫЬЭЮ", "Я"}) {
    const std::string cpLetters = runtime::cp(letters);
    for (char letter : cpLetters) {
      const std::string l(1, letter);
      if (cpLetters.size() > 1) {
        s += l + " " + l + runtime::cp("К") + l + runtime::cp("Х");
      } else if (l == runtime::cp("Я")) {
        s += l + " " + l + runtime::cp("З") + l + runtime::cp("П") + l + runtime::cp("Х");
      } else {
        s += l + " " + l + runtime::cp("З") + l + runtime::cp("П") + l + runtime::cp("Ч");
      }
    }
  }
  return s;
}

}  // namespace

const std::string SORT_CYRILIC = makeSortCyrilic();

void saveError(const SavedError& error) {
  std::lock_guard lock(savedMutex);
  saved = {error.SAVEERRORCODE, cut254(error.SAVEERROR), error.SAVEFILEERRORCODE,
           cut254(error.SAVEFILEERROR)};
}

SavedError takeSavedError() {
  std::lock_guard lock(savedMutex);
  SavedError out = std::move(saved);
  saved = SavedError{};
  return out;
}

}  // namespace phonedir
