#pragma once
// The page-loaded browse engine: shows a keyed file through a list control one page at a
// time. It holds exactly the rows the list shows, reads further records only when the user
// scrolls past the page, locates a value, drags the thumb, changes the order or comes back
// from a card, and maps the thumb onto 100 key stops instead of counting records. Beside it
// (toolbar_dispatch.cpp) the frame toolbar's requests and the calls of the card form.
//
// One engine serves every list window; a Def says what differs. It runs on the thread of its
// window and takes no locks; the routines keep the names the rest of the system knows them by.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browse/browse_def.h"
#include "shell/procedure.h"
#include "storage/view.h"

namespace browse {

// One row of the page: its fields as they stand in the record buffers, and the position
// token of its record in the view's present order.
struct Row {
  std::vector<std::string> fields;
  std::string POSITION;
  // New with every copy into the row: the list knows the row's cells by `id`, which a row read
  // again that shows as before takes over from the row it replaces; `serial` is never taken
  // over, and tells the row buffer whether it holds this very row.
  uint64_t id = 0;
  uint64_t serial = 0;

  // Turning the page round swaps rows; their storage changes hands, nothing is copied.
  friend void swap(Row& a, Row& b) noexcept {
    a.fields.swap(b.fields);
    a.POSITION.swap(b.POSITION);
    std::swap(a.id, b.id);
    std::swap(a.serial, b.serial);
  }
};

// The state of one sort order.
struct OrderState {
  std::string LOCATORVALUE;            // the characters typed so far
  int LOCATORLENGTH = 0;               // how many of them count
  std::vector<std::string> textStops;  // KEYDISTRIBUTION of a text key, 100 values
  std::vector<int32_t> numberStops;    // KEYDISTRIBUTION of a numeric key, 100 values
  std::string LOWVALUE, HIGHVALUE;     // first and last key values (text or decimal)
};

class Engine {
 public:
  // `request` is the window procedure's request state; the Def's files must be open.
  Engine(Def def, phonedir::RequestScope& request);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  const Def& def() const { return def_; }

  // Sets the list's alerted keys; call once the window is open.
  void prepare();
  // Serves one event of the window: the window events every list window handles alike (515,
  // 518, 561, 26), the toolbar's requests, and the list's own events. The window handles its
  // own controls after it.
  void serve(int event);

  // --- the routines of the engine ---
  void FILLRECORD();
  void FILLQUEUE();
  void FILLBUFFER();
  void RESET();
  void LOCATERECORD();
  void REFRESHPAGE();
  void PROCESSSCROLL();
  void SCROLLONE();
  void SCROLLPAGE();
  void SCROLLEND();
  void SCROLLDRAG();
  void NEWSELECTION();
  void POSTNEWSELECTION();
  void ALERTKEY();
  void SELECTSORT();
  void INITIALIZEBROWSE();
  // False when the highlighted record could not be read again (another station deleted it):
  // the buffer then holds the row's values, so that a locate lands beside it. False too on an
  // empty page, which highlights no record.
  bool GETRECORD();
  void REFRESHWINDOW();
  bool SYNCWINDOW() { return GETRECORD(); }
  // The highlighted record is gone: with a beep, the page is rebuilt where it stands, as after
  // a cancelled card, and the action that needed the record does not go ahead.
  void rowGone();
  // Until the returned hold ends, the engine's reads see one snapshot of the view's files and
  // take each file's read lock once: for a window that reads the highlighted record again and
  // then a page, as a sort button does. Never across a dialog or a write.
  [[nodiscard]] storage::HeldReads holdReads() { return storage::HeldReads(view_); }

  // --- toolbar and updates (toolbar_dispatch.cpp) ---
  void ASSIGNBUTTONS();
  void DISPLAYBROWSETOOLBAR();
  void LISTBOXDISPATCH();
  void UPDATEDISPATCH();
  void SELECTDISPATCH();
  void BUTTONINSERT();
  void BUTTONCHANGE();
  void BUTTONDELETE();
  void CALLUPDATE();
  // The list's insert, change and delete buttons, pressed: the highlighted record is re-read
  // and the card called. False for any other control.
  bool pressUpdateButton(int control);
  void POSTVCREDIT1();
  void POSTVCREDIT2();

  // Positions by the key fields now in the record buffers (a typed entry, a chosen street).
  void locateByValue();
  // Takes a locator value typed into the order's entry, as if typed into the list.
  void takeLocatorEntry(int order, const std::string& value);
  // Clears the locator of every order.
  void clearLocators();
  // Forgets the page without reading the file: for a list whose file was replaced or lost.
  void clearPage();
  bool selectMode() const;
  int rowsShown() const;
  const std::vector<Row>& page() const { return queue_; }

  // --- state, under the names the system knows ---
  int SORTORDER = 0;
  int LASTSORTORDER = 0;
  int LOCATEMODE = 0;
  int REFRESHMODE = 0;
  int FILLDIRECTION = 0;
  int ADDQUEUE = 1;
  bool SKIPFIRST = false;
  int32_t ITEMSTOFILL = 0;
  int32_t RECORDCOUNT = 0;
  int32_t CURRENTCHOICE = 0;
  int32_t CURRENTEVENT = 0;
  int CURRENTSCROLL = 0;
  std::string HIGHLIGHTEDPOSITION;
  bool NEWSELECTPOSTED = false;
  std::string POPUPTEXT;
  std::vector<OrderState> SORT;  // per order, SORT[n - 1]

  bool FORCEREFRESH = false;
  int LOC_KEY = 0;        // the window's sort choice
  int TOOLBARMODE = 0;    // 2 while the toolbar serves this list
  Buttons BROWSEBUTTONS;  // filled by ASSIGNBUTTONS
  bool windowInitialized = false;

 private:
  // What DISPLAYBROWSETOOLBAR last set the toolbar from.
  struct ToolbarInputs {
    int list = 0, insert = 0, change = 0, erase = 0, select = 0;
    bool selectOn = false, insertOn = false, changeOn = false, eraseOn = false;
    bool operator==(const ToolbarInputs&) const = default;
  };
  void setToolbar();
  // The page's queue: an emptied page's rows go into spare_, and rows added to the page come
  // back from there, trading storage with the row buffer (FILLRECORD).
  void clearQueue();
  // The next fill reads a page's worth: the page that follows starts at the record it reads
  // (a locate), or the next scrolls by one row take the records after it (the file keeps
  // them while nothing is written to it).
  bool pageAhead_ = false;
  uint64_t toolbarSet_ = 0;  // the toolbar's version after it; 0 never
  ToolbarInputs toolbarInputs_;

  struct Resolved {
    const storage::Field* field;
    void* buffer;
  };
  Resolved resolve(const FieldRef& ref) const;
  const SortOrder& order() const { return def_.orders[SORTORDER - 1]; }
  OrderState& state() { return SORT[SORTORDER - 1]; }
  bool readRow(int32_t n);  // RT_GETqueueptr: row n into the row buffer
  bool sameRecord(std::string_view a, std::string_view b) const;  // positions of one record
  int64_t highlightedRecord() const;                              // its record number; 0 with none
  void emptyQueue();
  void showEmptyPage();
  void showPage();  // the list control's rows follow the queue
  void readError();
  void clearLocator();
  void putLocatorIntoKey();
  void keyFieldFromStop(int p);
  int thumbFor();
  bool buttonEnabled(int control) const;
  void press(int control);
  void afterUpdate(bool deleted);
  std::vector<const storage::KeyedFile*> viewFiles() const;  // the primary, then the lookups

  Def def_;
  phonedir::RequestScope& request_;
  storage::View view_;
  std::vector<Resolved> rowFields_;
  std::vector<Row> queue_;
  Row rowBuffer_;  // the row last read or added (the queue's row buffer)
  // The rows of a page emptied, kept for their storage: the rows of the next page are copied
  // into them rather than into storage allocated anew for every row of every page. (A row
  // pushed off a full page is written over in place.)
  std::vector<Row> spare_;
  uint64_t lastRowId_ = 0;
  std::string anchor_, probe_;  // FILLRECORD's, kept for their storage
  // The list's rows as showPage() last left them, by row identity, while it rearranges them.
  std::vector<std::vector<std::string>> shownCells_, spareCells_;
  std::vector<uint64_t> shownIds_;
  // Per order, what INITIALIZEBROWSE last read from the ends of the key: the files' content
  // stamps when it read them, and the record buffers it left. While no file changes, the same
  // reads would give the same values and stops, so they are taken from here.
  struct Ends {
    std::vector<uint64_t> stamps;
    std::vector<std::string> buffers;
  };
  std::vector<Ends> ends_;
  int event_ = 0;                // the event being served
  bool readErrorShown_ = false;  // the window was told to close after a read that failed
};

}  // namespace browse
