// The search window POISK: its entries, the street lookup, the search itself (mask parse,
// scan, result file) and the result list on the browse engine.

#include <cstring>
#include <string>

#include "browse/engine.h"
#include "data/files.h"
#include "data/standard_warning.h"
#include "layout/windows.h"
#include "runtime/event.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "search/phone_mask.h"
#include "search/record_tests.h"
#include "search/result_file.h"
#include "search/scans.h"
#include "search/search.h"
#include "shell/globals.h"
#include "shell/procedure.h"
#include "street/street.h"

namespace phonedir {
namespace {

// Controls of the search window.
constexpr int BUTTON1 = 1;  // telephone order
constexpr int BUTTON2 = 2;  // surname order
constexpr int BUTTON3 = 3;  // address order
constexpr int BUTTON4 = 4;  // close
constexpr int LOC_PHONE_ENTRY = 8;
constexpr int LOC_STREETNAME_ENTRY = 10;
constexpr int BUTTON5 = 11;  // the street list
constexpr int LOC_HOME_ENTRY = 13;
constexpr int LOC_KVART_ENTRY = 15;
constexpr int BUTTON6 = 16;  // search
constexpr int LOC_FIO_ENTRY = 18;
constexpr int LIST = 22;
constexpr int LOC_NUM_BAR = 23;

constexpr int kAddressOrder = 3;
constexpr int kStreetColumn = 5;  // BRW1::POI:STREET in a page row

struct FilesOpen {
  FilesOpen() {
    OPENFILE_POISK();
    OPENFILE_PHONE();
    OPENFILE_STREET();
  }
  ~FilesOpen() {
    CLOSEFILE_POISK();
    CLOSEFILE_PHONE();
    CLOSEFILE_STREET();
  }
};

struct WindowOpen {
  explicit WindowOpen(const runtime::WindowDef& def) { runtime::openWindow(def); }
  ~WindowOpen() { runtime::closeWindow(); }
};

// At the very end, after the files are released: the result file goes from the disk.
struct ResultFileRemoval {
  ~ResultFileRemoval() { search::removeResultFile(files().POISK); }
};

template <size_t N>
void blank(char (&field)[N]) {
  std::memset(field, ' ', N);
}

class SearchWindow {
 public:
  explicit SearchWindow(RequestScope& request) : list_(resultList(), request) {
    blank(LOC_PHONE);
    blank(LOC_STREETNAME);
    blank(LOC_HOME);
    blank(LOC_KVART);
    std::memset(LOC_FIO, 0, sizeof LOC_FIO);
    runtime::bind(LOC_PHONE_ENTRY, runtime::bindString(LOC_PHONE));
    runtime::bind(LOC_STREETNAME_ENTRY, runtime::bindString(LOC_STREETNAME));
    runtime::bind(LOC_HOME_ENTRY, runtime::bindString(LOC_HOME));
    runtime::bind(LOC_KVART_ENTRY, runtime::bindString(LOC_KVART));
    runtime::bind(LOC_FIO_ENTRY, runtime::bindCString(LOC_FIO));
    runtime::bind(LOC_NUM_BAR, runtime::bindLong(LOC_NUM));
    runtime::hide(LIST);
    runtime::hide(LOC_NUM_BAR);
    runtime::control(LOC_STREETNAME_ENTRY).alertKeys = {runtime::key::MouseRight};
    // Tab passes over "Поиск": Enter in a condition presses it, so a search needs no mouse.
    runtime::control(BUTTON6).isDefault = true;
    runtime::window().entriesPressDefault = true;
    list_.LOC_KEY = 1;
    list_.prepare();
  }

  void run() {
    while (const int event = runtime::event()) {
      list_.serve(event);
      if (event == runtime::ev::AlertKey && runtime::field() == LOC_STREETNAME_ENTRY) {
        clearStreet();
        continue;
      }
      switch (const int accepted = runtime::accepted()) {
        case BUTTON1:
        case BUTTON2:
        case BUTTON3:
          list_.SYNCWINDOW();
          list_.LOC_KEY = accepted;
          list_.SELECTSORT();
          runtime::select(LIST);
          break;
        case BUTTON4:
          list_.SYNCWINDOW();
          runtime::post(runtime::ev::CloseWindow);
          break;
        case BUTTON5:
          streetLookup();
          break;
        case BUTTON6:
          // Enter searches from the conditions; in the results it is no reason to search again.
          if (runtime::keyCode() == runtime::key::Enter && runtime::focus() == LIST) break;
          search();
          break;
        default:
          break;
      }
    }
  }

 private:
  browse::Def resultList() {
    storage::KeyedFile& poisk = files().POISK;
    storage::KeyedFile& street = files().STREET;
    browse::Def d;
    d.primary = &poisk;
    d.lookups = {{&street, STR_NUM_KEY, {"STREET"}}};
    d.row = {{&poisk, "PHONE"}, {&poisk, "FIO"},    {&street, "NAME"}, {&poisk, "HOME"},
             {&poisk, "KVART"}, {&poisk, "STREET"}, {&street, "NUM"}};
    d.columns = 5;
    const browse::FieldRef number{&poisk, "PHONE"};
    d.orders = {
        {POI_NUM_KEY, number, browse::Stops::Text, false, {}, 0},
        {POI_NAME_KEY, {&poisk, "FIO"}, browse::Stops::Cyrillic, false, {}, 0},
        {POI_ADRESS_KEY,
         {&poisk, "STREET"},
         browse::Stops::Number,
         false,
         {{&poisk, "HOME"}, {&poisk, "KVART"}},
         0},
        {POI_NUM_KEY, number, browse::Stops::Text, false, {}, 0},
    };
    d.orderFor = [](int key) { return key >= 1 && key <= 3 ? key : 4; };
    d.buttons = {LIST, 0, 0, 0, 0};
    d.alertKeys = {runtime::key::MouseLeft2};
    d.fileLabel = "POISK";
    d.popup = false;
    d.updateDispatch = false;
    d.firstFocus = LOC_PHONE_ENTRY;
    d.alertKey = [this](int code) {
      ALERTKEY(code);
      return true;
    };
    return d;
  }

  // BRW1::ALERTKEY of the result list: only the address order answers typed characters, by
  // going through the streets whose number begins with the character.
  void ALERTKEY(int code) {
    const int ch = runtime::keyChar();
    if (list_.RECORDCOUNT > 0 && code != runtime::key::MouseLeft2 &&
        list_.SORTORDER == kAddressOrder && ch != 0 && ch != ' ') {
      const std::string typed(1, static_cast<char>(ch));
      auto begins = [&] {
        const auto& page = list_.page();
        const int32_t row = list_.CURRENTCHOICE;
        if (row < 1 || row > static_cast<int32_t>(page.size())) return false;
        int32_t street = 0;
        std::memcpy(&street, page[row - 1].fields[kStreetColumn].data(), sizeof street);
        return search::sameText(std::to_string(street).substr(0, 1), typed);
      };
      if (begins()) {
        list_.CURRENTEVENT = runtime::ev::ScrollDown;
        list_.SCROLLONE();
        runtime::control(LIST).selected = list_.CURRENTCHOICE;
      }
      if (!begins()) {
        POI.STREET = ch >= '0' && ch <= '9' ? ch - '0' : 0;
        blank(POI.HOME);
        blank(POI.KVART);
        list_.locateByValue();
      }
    }
    list_.POSTNEWSELECTION();
  }

  void streetLookup() {
    list_.SYNCWINDOW();
    const int32_t REQUEST = GLOBALREQUEST;
    GLOBALREQUEST = SELECTRECORD;
    STREET();
    if (GLOBALRESPONSE == REQUESTCOMPLETED) {
      LOC_STREET = STR.NUM;
      blank(LOC_STREETNAME);
      std::memcpy(LOC_STREETNAME, STR.NAME, strnlen(STR.NAME, sizeof STR.NAME));
    } else {
      LOC_STREET = 0;
      blank(LOC_STREETNAME);
    }
    GLOBALREQUEST = REQUEST;
    runtime::select(LOC_HOME_ENTRY);
    runtime::display();
  }

  void clearStreet() {
    LOC_STREET = 0;
    blank(LOC_STREETNAME);
    runtime::display();
  }

  search::Conditions conditions() const {
    search::Conditions c;
    c.PHONE.assign(LOC_PHONE, sizeof LOC_PHONE);
    c.STREET = LOC_STREET;
    c.HOME.assign(LOC_HOME, sizeof LOC_HOME);
    c.KVART.assign(LOC_KVART, sizeof LOC_KVART);
    c.FIO.assign(LOC_FIO, strnlen(LOC_FIO, sizeof LOC_FIO));
    return c;
  }

  bool APPENDPOISK() {
    std::memcpy(POI.PHONE, PHO.PHONE, sizeof POI.PHONE);
    POI.STREET = PHO.STREET;
    std::memcpy(POI.FIO, PHO.FIO, sizeof POI.FIO);
    std::memcpy(POI.HOME, PHO.HOME, sizeof POI.HOME);
    std::memcpy(POI.KVART, PHO.KVART, sizeof POI.KVART);
    return files().POISK.append() == storage::kOk;
  }

  void count() {
    if (++LOC_NUM >= 100) LOC_NUM = 0;
    runtime::display(LOC_NUM_BAR);
  }

  void information(const char* caption, const char* text) {
    // The program is closing: a box now would only hold the close up.
    if (runtime::stopping()) return;
    runtime::messageBox(runtime::cp(text), runtime::cp(caption), runtime::Icon::Information,
                        runtime::button::Ok, runtime::button::Ok);
  }

  // The search: a fresh result file, the scan the conditions choose, the keys built once, and
  // the list placed on the last subscriber written.
  void search() {
    list_.SYNCWINDOW();
    runtime::hide(LIST);
    runtime::unhide(LOC_NUM_BAR);
    runtime::display();
    storage::KeyedFile& poisk = files().POISK;
    search::removeAbandonedResultFiles(POISK_PATH());
    bool failed = false;
    if (search::renewResultFile(poisk) != storage::kOk) {
      STANDARDWARNING(30, poisk.name());
      failed = true;
    } else if (poisk.stream() != storage::kOk) {
      STANDARDWARNING(14);
      failed = true;
    }
    search::CHECKNUM(std::string_view(LOC_PHONE, sizeof LOC_PHONE), mask_);
    const search::Conditions c = conditions();
    const search::Scan scan = search::chooseScan(c, mask_);
    bool stopped = false;
    if (scan == search::Scan::None) {
      information("Условия не определены", "Необходимо определить условия ограничения поиска");
    } else if (!failed) {
      const search::ScanHooks hooks{[this] { count(); }, [this] { return APPENDPOISK(); },
                                    [] { return runtime::stopping(); }};
      const search::ScanOutcome out = search::runScan(scan, files().PHONE, PHO, c, mask_, hooks);
      stopped = out.stopped;
      if (out.readError != 0) {
        STANDARDWARNING(35, "Phone");
        failed = true;
      } else if (out.appendFailed) {
        STANDARDWARNING(14);
        failed = true;
      }
    }
    if (stopped) {
      // The program is closing: nothing of this search is kept or shown.
      poisk.rollback();
      return;
    }
    if (failed) {
      // What this search appended goes, and with it the keys' being out of date: the file is
      // empty and whole again, so that the sort buttons and the next search still work on it.
      if (poisk.isOpen()) poisk.rollback();
    } else if (search::finishResultFile(poisk) != storage::kOk) {
      STANDARDWARNING(14);
      failed = true;
    }
    runtime::hide(LOC_NUM_BAR);
    const int64_t found = failed ? 0 : poisk.records();
    if (found > 0) {
      runtime::unhide(LIST);
      // POI and the file's current record are the last subscriber written: the list is placed
      // on that very record, whatever others share its key value.
      list_.LOCATEMODE = 3;
      list_.LOCATERECORD();
      // The thumb stops follow the new results rather than the previous ones.
      list_.INITIALIZEBROWSE();
      runtime::select(LIST);
    } else {
      list_.clearPage();
      if (!failed) information("Нет данных", "Данных c заданными условиями в справочнике нет");
    }
    runtime::display();
  }

  browse::Engine list_;
  search::PhoneMask mask_;
  char LOC_PHONE[6];
  int32_t LOC_STREET = 0;
  char LOC_STREETNAME[20];
  char LOC_HOME[4];
  char LOC_KVART[4];
  char LOC_FIO[18];
  int32_t LOC_NUM = 0;
};

}  // namespace

void POISK() {
  RequestScope request;
  SingleInstance instance(RUNNING_POISK, request.LOCALREQUEST);
  if (!instance.mayRun()) return;
  ResultFileRemoval removal;
  FilesOpen filesOpen;
  WindowOpen window(layout::poiskWindow());
  SearchWindow search(request);
  search.run();
}

}  // namespace phonedir
