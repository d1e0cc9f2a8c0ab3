#pragma once
// Procedures a scenario may call directly, as another window of the program would: the street
// list, which only ever runs as a lookup called by a window, and the cards.

#include <cstdint>
#include <functional>
#include <string>

namespace phonedir::script {

// The request word for "insert", "change", "delete" or "select"; 0 for none, -1 when unknown.
int32_t requestCode(const std::string& word);

// Starts the named procedure on a thread of its own with GLOBALREQUEST = request. When it
// returns, `answer` gets the transcript line that reports its answer and, for a lookup, the
// record it leaves: `return STREET completed 12 "ул. Ленина"`. False for an unknown name.
bool call(const std::string& proc, int32_t request,
          const std::function<void(const std::string&)>& answer);

}  // namespace phonedir::script
