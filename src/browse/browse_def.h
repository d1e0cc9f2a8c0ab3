#pragma once
// What makes one list window out of the browse engine: the file it shows and the lookups
// joined to it, the fields of a page row, the sort orders with their locators and thumb
// stops, the controls the engine drives, and the few hooks where a window differs. A window
// builds its Def on its own thread, since the files it names are that thread's instances.

#include <functional>
#include <string>
#include <vector>

#include "storage/keyed_file.h"

namespace browse {

// A field of the view's primary file or of a lookup file, by name.
struct FieldRef {
  storage::KeyedFile* file = nullptr;
  std::string field;
};

// A lookup file joined to every record the view reads (a subscriber's street).
struct Lookup {
  storage::KeyedFile* file = nullptr;
  int key = 0;                             // the lookup's key
  std::vector<std::string> primaryFields;  // the primary's fields matched to that key
};

enum class Stops {
  Cyrillic,  // the fixed two-letter stops of SORT_CYRILIC, against the upper-cased key
  Text,      // 100 stops between the order's first and last key, over the digits
  Number,    // 100 numeric stops between the first and last key, truncated to whole numbers
};

struct SortOrder {
  int key = 0;        // the primary file's key this order reads by
  FieldRef keyField;  // the key's first component: what the thumb and the locator set
  Stops stops = Stops::Cyrillic;
  bool locator = false;  // typed characters position the list in this order
  // Fields blanked when the locator or the thumb positions by the key field alone, so that
  // the page starts at the first record of that value (the house and flat of an address).
  std::vector<FieldRef> blankOnLocate;
  int locatorEntry = 0;  // the entry that shows the typed locator; 0 none
};

// The controls the frame's toolbar stands for; 0 where the window has none.
struct Buttons {
  int list = 0;
  int insert = 0;
  int change = 0;
  int erase = 0;
  int select = 0;
};

struct Def {
  storage::KeyedFile* primary = nullptr;
  std::vector<Lookup> lookups;
  std::vector<FieldRef> row;  // the fields of a page row; the first `columns` are shown
  int columns = 0;
  std::vector<SortOrder> orders;  // order n is orders[n - 1]
  // The order the window's sort choice (LOC_KEY) selects.
  std::function<int(int locKey)> orderFor;
  Buttons buttons;
  std::vector<int> alertKeys;  // the keys the list alerts
  std::string fileLabel;       // names the file in read-error messages
  bool popup = true;           // a right click offers insert, change and delete
  bool updateDispatch = true;  // toolbar insert, change and delete reach the buttons
  int firstFocus = 0;          // the control that takes the focus when the window opens

  // The card form that inserts, changes and deletes a row's record; empty when none.
  std::function<void()> callForm;
  // Items added to the popup after the standard three, as menu text ("|-|&Выбрать"), and
  // what choosing item n (4 or more) does.
  std::function<std::string()> popupTail;
  std::function<void(int item)> popupChoice;
  // Serves an alerted key in place of the standard keys; true when it did.
  std::function<bool(int keyCode)> alertKey;
  // Runs in REFRESHWINDOW after the sort selection, before the window is redrawn.
  std::function<void()> onRefreshWindow;
};

}  // namespace browse
