#pragma once
// What makes one card form out of the form engine: its window and file, how the record is
// written and deleted, its OK, Cancel and first-focus controls, the fields the history key
// restores, its captions, and what it keeps from one call to the next.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "runtime/binding.h"
#include "runtime/window_def.h"
#include "storage/keyed_file.h"

namespace forms {

// What one form procedure keeps between its calls, shared by every thread that runs it: the
// record it last tried to save (what the history key restores) and the window position the
// user last gave it. The last writer wins.
class Memory {
 public:
  // The record last saved, or empty before the first save.
  std::string history() const;
  void setHistory(std::string record);
  // The remembered position; false before the first use.
  bool position(int& x, int& y) const;
  void setPosition(int x, int y);

 private:
  mutable std::mutex mutex_;
  std::string history_;
  bool positionKnown_ = false;
  int x_ = 0, y_ = 0;
};

// A control whose history key restores a field of the record.
struct HistoryField {
  int control = 0;
  std::string field;
};

struct Def {
  const runtime::WindowDef* window = nullptr;
  storage::KeyedFile* file = nullptr;  // the file the card writes; its buffer is the record
  std::function<void()> openFiles;     // in the form's order
  std::function<void()> closeFiles;
  std::function<int32_t(bool fromForm)> update;            // the file's rewrite transaction
  std::function<int32_t()> erase;                          // the file's delete transaction
  std::vector<std::pair<int, runtime::Binding>> bindings;  // entries and their variables
  int ok = 0;
  int cancel = 0;
  int firstFocus = 0;
  std::vector<HistoryField> history;
  std::string insertCaption;  // CP1251
  std::string changeCaption;
  bool takesToolbar = false;       // the frame toolbar navigates while the card is open
  bool remembersPosition = false;  // reopens where the user last moved it
  Memory* memory = nullptr;
  // Before every redisplay of the window (the phone card looks its street up).
  std::function<void()> onRefresh;
  // The card's own controls; called with the accepted control number.
  std::function<void(int control)> onAccepted;
};

}  // namespace forms
