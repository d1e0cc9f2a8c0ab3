#include "browse/engine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

#include "browse/key_distribution.h"
#include "data/standard_warning.h"
#include "runtime/event.h"
#include "runtime/field.h"
#include "runtime/locale/charset.h"
#include "runtime/locale/collation.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "storage/error.h"
#include "storage/record_fields.h"

namespace browse {
namespace {

constexpr int kForward = 2;
constexpr int kBackward = 1;
constexpr int kStops = 100;
constexpr size_t kLocatorSize = 30;  // the characters a locator keeps

using storage::FieldType;

// The leading number of a typed locator, as a street number ("12" -> 12, "" -> 0).
int32_t leadingNumber(std::string_view text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  int64_t value = 0;
  for (size_t i = 0; i < digits; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(value);
}

// The reads of one operation run in one snapshot of the view's files, taking each file's
// lock once; the snapshot ends before any dialog (readError, the warnings of RESET and
// LOCATERECORD).
using storage::HeldReads;

}  // namespace

Engine::Engine(Def def, phonedir::RequestScope& request)
    : def_(std::move(def)), request_(request), view_(*def_.primary) {
  for (const Lookup& l : def_.lookups) view_.join(*l.file, l.key, l.primaryFields);
  for (const FieldRef& f : def_.row) rowFields_.push_back(resolve(f));
  SORT.resize(def_.orders.size());
  ends_.resize(def_.orders.size());
  rowBuffer_.fields.resize(rowFields_.size());
}

Engine::~Engine() {
  view_.close();
}

Engine::Resolved Engine::resolve(const FieldRef& ref) const {
  const storage::FileDecl& decl = ref.file->decl();
  const int index = decl.fieldIndex(ref.field);
  return {index >= 0 ? &decl.fields[index] : nullptr, ref.file->buffer()};
}

void Engine::prepare() {
  ADDQUEUE = 1;
  RECORDCOUNT = 0;
  runtime::clearAlerts(def_.buttons.list);
  for (int k : def_.alertKeys) runtime::alert(def_.buttons.list, k);
}

bool Engine::selectMode() const {
  return request_.LOCALREQUEST == phonedir::SELECTRECORD;
}

int Engine::rowsShown() const {
  const runtime::Control& list = runtime::readControl(def_.buttons.list);
  const int rows = list.rowsShown > 0 ? list.rowsShown : runtime::defaultRowsShown(list.rect.h);
  return std::max(1, rows);
}

bool Engine::sameRecord(std::string_view a, std::string_view b) const {
  const int64_t record = def_.primary->recordOf(a);
  return record != 0 && record == def_.primary->recordOf(b);
}

int64_t Engine::highlightedRecord() const {
  if (CURRENTCHOICE < 1 || CURRENTCHOICE > RECORDCOUNT) return 0;
  return def_.primary->recordOf(queue_[static_cast<size_t>(CURRENTCHOICE - 1)].POSITION);
}

bool Engine::readRow(int32_t n) {
  if (n < 1 || n > RECORDCOUNT) return false;
  // A row is read into the buffer several times an event; a buffer that holds it already
  // need not take it again.
  const Row& row = queue_[static_cast<size_t>(n - 1)];
  if (rowBuffer_.serial == 0 || rowBuffer_.serial != row.serial) rowBuffer_ = row;
  return true;
}

void Engine::clearQueue() {
  for (Row& row : queue_) spare_.push_back(std::move(row));
  queue_.clear();
}

void Engine::emptyQueue() {
  clearQueue();
  RECORDCOUNT = 0;
  showPage();
}

// The list's rows follow the queue by the rows' identities: a row the list already shows
// keeps its cells, moved to its new place, and only rows new to the list are converted, into
// the storage of rows it no longer shows. A scroll by one row converts one row.
void Engine::showPage() {
  runtime::Control& list = runtime::control(def_.buttons.list);
  auto& rows = list.rows;
  auto& ids = list.rowIds;
  if (ids.size() != rows.size()) ids.assign(rows.size(), 0);  // rows set by someone else
  const size_t count = queue_.size();
  // The rows shown go aside and the list takes the storage of the rows set aside before. An
  // emptied page (mostly one about to be read again) leaves the last rows shown aside, with
  // their storage kept apart, for the page that follows to be compared with.
  if (!rows.empty()) {
    shownCells_.swap(rows);
    shownIds_.swap(ids);
    if (count == 0) spareCells_.swap(rows);
  } else if (count > 0) {
    rows.swap(spareCells_);
  }
  rows.resize(count);
  ids.assign(count, 0);
  for (size_t r = 0; r < count; ++r) {
    for (size_t at : {r, r + 1, r - 1}) {
      if (at < shownIds_.size() && shownIds_[at] == queue_[r].id) {
        rows[r].swap(shownCells_[at]);
        shownIds_[at] = 0;
        ids[r] = queue_[r].id;
        break;
      }
    }
  }
  const int columns = std::min(def_.columns, static_cast<int>(rowFields_.size()));
  for (size_t r = 0; r < count; ++r) {
    if (ids[r] != 0) continue;
    Row& row = queue_[r];
    ids[r] = row.id;
    std::vector<std::string>& cells = rows[r];
    cells.resize(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
      const storage::Field* f = rowFields_[i].field;
      const std::string& bytes = row.fields[i];
      std::string& cell = cells[static_cast<size_t>(i)];
      if (f == nullptr) {
        cell.clear();
      } else if (f->type == FieldType::kLong) {
        cell = std::to_string(runtime::fieldLong(bytes.data()));
      } else {
        // The row holds the field alone, as it lies at the start of a record.
        cell.assign(runtime::fieldText(f->type, bytes.data(), f->width));
      }
    }
    // A row read again that shows as the row shown in its place did (a page refreshed where it
    // stands) takes over that row's identity: the list shows it without formatting it again.
    if (r < shownIds_.size() && shownIds_[r] != 0 && shownCells_[r] == cells) {
      row.id = ids[r] = shownIds_[r];
      shownIds_[r] = 0;
    }
  }
}

void Engine::readError() {
  view_.suspendReads();
  ADDQUEUE = 1;
  // The reads after a failed one in the same operation fail too: one message, one close.
  if (std::exchange(readErrorShown_, true)) return;
  phonedir::STANDARDWARNING(35, def_.fileLabel);
  runtime::post(runtime::ev::CloseWindow);
}

// --- row transfer ---

void Engine::FILLQUEUE() {
  rowBuffer_.serial = 0;                        // no longer a copy of a queue's row
  rowBuffer_.fields.resize(rowFields_.size());  // it may hold storage a queue's row gave up
  for (size_t i = 0; i < rowFields_.size(); ++i) {
    const Resolved& r = rowFields_[i];
    if (r.field == nullptr) {
      rowBuffer_.fields[i].clear();
      continue;
    }
    const char* from = static_cast<const char*>(r.buffer) + r.field->offset;
    rowBuffer_.fields[i].assign(from, r.field->width);
  }
  view_.position(rowBuffer_.POSITION);
}

void Engine::FILLBUFFER() {
  for (size_t i = 0; i < rowFields_.size(); ++i) {
    const Resolved& r = rowFields_[i];
    if (r.field == nullptr || rowBuffer_.fields[i].size() != r.field->width) continue;
    std::memcpy(static_cast<char*>(r.buffer) + r.field->offset, rowBuffer_.fields[i].data(),
                r.field->width);
  }
}

// --- reading the page ---

void Engine::RESET() {
  view_.close();
  if (def_.primary->set(order().key) != storage::kOk || view_.open() != storage::kOk) {
    view_.suspendReads();
    phonedir::STANDARDWARNING(36);
  }
}

void Engine::FILLRECORD() {
  HeldReads held(view_);
  if (RECORDCOUNT > 0) {
    readRow(FILLDIRECTION == kForward ? RECORDCOUNT : 1);
    anchor_ = rowBuffer_.POSITION;
    view_.reset(anchor_);
    SKIPFIRST = true;
  } else {
    SKIPFIRST = false;
  }
  if (ITEMSTOFILL > 0) {
    size_t hint = static_cast<size_t>(ITEMSTOFILL) + (SKIPFIRST ? 1 : 0);
    if (pageAhead_) hint = std::max(hint, static_cast<size_t>(rowsShown()));
    view_.setFetchHint(hint);
  }
  pageAhead_ = false;
  const int shown = rowsShown();
  // Once the page is full, a row read takes the place of the row it pushes off the page, in
  // that row's storage, and the page is turned round to its order once at the end (`head` is
  // where it starts meanwhile): shifting the whole queue for every row read would cost a page
  // of moves per row.
  const bool forward = FILLDIRECTION == kForward;
  size_t head = 0;
  // A row read goes into the queue by trading storage with the row buffer; the last row added
  // is copied back at the end, leaving the buffer as copying every row would have.
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t added = kNone;
  auto addTo = [&](Row& row) {
    row.fields.swap(rowBuffer_.fields);
    row.POSITION.swap(rowBuffer_.POSITION);
    row.id = row.serial = ++lastRowId_;
    rowBuffer_.serial = 0;
  };
  auto settle = [&] {
    if (added != kNone) {
      rowBuffer_ = queue_[added];
      added = kNone;
    }
    std::rotate(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head), queue_.end());
    head = 0;
  };
  while (ITEMSTOFILL > 0) {
    const int rc = forward ? view_.next() : view_.prev();
    if (rc == storage::kNoRecord) break;
    if (rc != storage::kOk) {
      settle();
      showPage();
      readError();
      return;
    }
    if (SKIPFIRST) {
      SKIPFIRST = false;
      view_.position(probe_);
      // The anchor's own record, even when another station has changed its key since the
      // page was read and it now stands a little further on.
      if (probe_ == anchor_ || sameRecord(probe_, anchor_)) continue;
    }
    if (ADDQUEUE != 0) {
      FILLQUEUE();
      if (RECORDCOUNT >= shown && !queue_.empty()) {
        // The row pushed off is the page's first going forward, its last going back.
        const size_t n = queue_.size();
        const size_t at = forward ? head : (head + n - 1) % n;
        addTo(queue_[at]);
        added = at;
        head = forward ? (head + 1) % n : at;
      } else {
        Row row;
        if (!spare_.empty()) {
          row = std::move(spare_.back());
          spare_.pop_back();
        }
        addTo(row);
        if (forward) {
          queue_.push_back(std::move(row));
          added = queue_.size() - 1;
        } else {
          queue_.insert(queue_.begin(), std::move(row));
          added = 0;
        }
        ++RECORDCOUNT;
      }
    }
    --ITEMSTOFILL;
  }
  settle();
  ADDQUEUE = 1;
  showPage();
}

void Engine::LOCATERECORD() {
  HeldReads held(view_);
  if (LOCATEMODE == 1) LOCATEMODE = 3;
  view_.close();
  storage::KeyedFile& file = *def_.primary;
  const int key = order().key;
  std::string token;
  if (LOCATEMODE == 3) token = file.position(key);
  if (!token.empty()) {
    HIGHLIGHTEDPOSITION = token;
    file.reset(token);
  } else {
    // No record to stand on (it was deleted meanwhile): its key values still say where it was.
    file.setByKey(key);
  }
  if (view_.open() != storage::kOk) {
    view_.suspendReads();
    phonedir::STANDARDWARNING(36);
  }
  emptyQueue();
  ITEMSTOFILL = 1;
  FILLDIRECTION = kForward;
  ADDQUEUE = 0;
  // The page is filled from this record on: the file serves it from the same fetch.
  pageAhead_ = true;
  FILLRECORD();
  REFRESHMODE = ITEMSTOFILL == 1 ? 4 : 1;
  REFRESHPAGE();
  POSTNEWSELECTION();
  LOCATEMODE = 0;
}

void Engine::REFRESHPAGE() {
  HeldReads held(view_);
  runtime::setWaitCursor(true);
  if (REFRESHMODE == 1) {
    HIGHLIGHTEDPOSITION = view_.position();
    view_.reset(HIGHLIGHTEDPOSITION);
    REFRESHMODE = 3;
  } else if (RECORDCOUNT > 0) {
    if (!readRow(CURRENTCHOICE)) readRow(RECORDCOUNT);
    HIGHLIGHTEDPOSITION = rowBuffer_.POSITION;
    readRow(1);
    view_.reset(rowBuffer_.POSITION);
    REFRESHMODE = 5;
  } else {
    HIGHLIGHTEDPOSITION.clear();
    RESET();
  }
  clearQueue();
  RECORDCOUNT = 0;
  ITEMSTOFILL = rowsShown();
  FILLDIRECTION = REFRESHMODE == 4 ? kBackward : kForward;
  FILLRECORD();
  if (!HIGHLIGHTEDPOSITION.empty() && ITEMSTOFILL > 0) {
    if (RECORDCOUNT == 0) RESET();
    FILLDIRECTION = FILLDIRECTION == kForward ? kBackward : kForward;
    FILLRECORD();
  }

  const Buttons& b = def_.buttons;
  const int entry = order().locatorEntry;
  if (RECORDCOUNT > 0) {
    if (entry != 0) runtime::enable(entry);
    int32_t choice = 0;
    if (!HIGHLIGHTEDPOSITION.empty()) {
      for (int32_t n = 1; n <= RECORDCOUNT && choice == 0; ++n) {
        if (queue_[static_cast<size_t>(n - 1)].POSITION == HIGHLIGHTEDPOSITION) choice = n;
      }
      // Its record under a key another station gave it meanwhile; only a record gone from
      // the page leaves the highlight on the last row.
      for (int32_t n = 1; n <= RECORDCOUNT && choice == 0; ++n) {
        if (sameRecord(queue_[static_cast<size_t>(n - 1)].POSITION, HIGHLIGHTEDPOSITION))
          choice = n;
      }
      if (choice == 0) choice = RECORDCOUNT;
      readRow(choice);
    } else {
      choice = REFRESHMODE == 4 ? RECORDCOUNT : 1;
    }
    CURRENTCHOICE = choice;
    runtime::control(b.list).selected = choice;
    FILLBUFFER();
    if (b.change != 0) runtime::enable(b.change);
    if (b.erase != 0) runtime::enable(b.erase);
  } else {
    showEmptyPage();
  }
  runtime::setWaitCursor(false);
  REFRESHMODE = 0;
}

// No record to highlight: nothing to change, delete or locate in, and the record buffer
// holds no record's values that a card or a choice could take for a record still there.
void Engine::showEmptyPage() {
  const Buttons& b = def_.buttons;
  storage::clearRecord(def_.primary->decl(), def_.primary->buffer());
  if (order().locatorEntry != 0) runtime::disable(order().locatorEntry);
  CURRENTCHOICE = 0;
  runtime::control(b.list).selected = 0;
  if (b.change != 0) runtime::disable(b.change);
  if (b.erase != 0) runtime::disable(b.erase);
}

// --- scrolling ---

void Engine::PROCESSSCROLL() {
  if (RECORDCOUNT == 0) return;
  HeldReads held(view_);
  CURRENTEVENT = event_;
  if (CURRENTEVENT <= runtime::ev::ScrollDown) {
    SCROLLONE();
  } else if (CURRENTEVENT <= runtime::ev::PageDown) {
    SCROLLPAGE();
  } else {
    SCROLLEND();
  }
  // Another station may have emptied the file since the page was read.
  if (RECORDCOUNT == 0) showEmptyPage();
  runtime::control(def_.buttons.list).selected = CURRENTCHOICE;
  POSTNEWSELECTION();
  clearLocator();
}

void Engine::SCROLLONE() {
  if (CURRENTEVENT == runtime::ev::ScrollUp && CURRENTCHOICE > 1) {
    --CURRENTCHOICE;
    return;
  }
  if (CURRENTEVENT == runtime::ev::ScrollDown && CURRENTCHOICE < RECORDCOUNT) {
    ++CURRENTCHOICE;
    return;
  }
  ITEMSTOFILL = 1;
  FILLDIRECTION = CURRENTEVENT - 2;
  pageAhead_ = true;
  FILLRECORD();
}

void Engine::SCROLLPAGE() {
  ITEMSTOFILL = rowsShown();
  FILLDIRECTION = CURRENTEVENT - 4;
  FILLRECORD();
  if (ITEMSTOFILL > 0) {
    if (CURRENTEVENT == runtime::ev::PageUp) {
      CURRENTCHOICE = std::max<int32_t>(1, CURRENTCHOICE - ITEMSTOFILL);
    } else {
      CURRENTCHOICE = std::min<int32_t>(RECORDCOUNT, CURRENTCHOICE + ITEMSTOFILL);
    }
  }
}

void Engine::SCROLLEND() {
  emptyQueue();
  RESET();
  ITEMSTOFILL = rowsShown();
  FILLDIRECTION = CURRENTEVENT == runtime::ev::ScrollTop ? kForward : kBackward;
  FILLRECORD();
  CURRENTCHOICE =
      CURRENTEVENT == runtime::ev::ScrollTop ? std::min<int32_t>(1, RECORDCOUNT) : RECORDCOUNT;
}

// --- the thumb ---

void Engine::keyFieldFromStop(int p) {
  const SortOrder& o = order();
  const Resolved key = resolve(o.keyField);
  if (key.field == nullptr) return;
  const OrderState& s = state();
  switch (o.stops) {
    case Stops::Cyrillic:
      storage::setText(*key.field, key.buffer,
                       std::string_view(phonedir::SORT_CYRILIC).substr((p - 1) * 2, 2));
      break;
    case Stops::Text:
      storage::setText(*key.field, key.buffer,
                       s.textStops.size() == kStops ? s.textStops[p - 1] : std::string());
      break;
    case Stops::Number:
      storage::setLong(*key.field, key.buffer,
                       s.numberStops.size() == kStops ? s.numberStops[p - 1] : 0);
      break;
  }
}

void Engine::SCROLLDRAG() {
  const int p = runtime::readControl(def_.buttons.list).thumb;
  if (p <= 1) {
    runtime::post(runtime::ev::ScrollTop, def_.buttons.list);
  } else if (p >= kStops) {
    runtime::post(runtime::ev::ScrollBottom, def_.buttons.list);
  } else {
    keyFieldFromStop(p);
    LOCATEMODE = 2;
    LOCATERECORD();
  }
}

// The first stop not below the highlighted record's key: 0 for the first stop, 101 when the
// key lies above the last one.
int Engine::thumbFor() {
  const SortOrder& o = order();
  const Resolved key = resolve(o.keyField);
  if (key.field == nullptr) return 0;
  const OrderState& s = state();
  for (int i = 1; i <= kStops; ++i) {
    bool reached = false;
    switch (o.stops) {
      case Stops::Cyrillic:
        reached =
            runtime::compareText(std::string_view(phonedir::SORT_CYRILIC).substr((i - 1) * 2, 2),
                                 storage::storedText(*key.field, key.buffer)) >= 0;
        break;
      case Stops::Text:
        if (s.textStops.size() != kStops) return 0;
        reached = runtime::compareText(s.textStops[i - 1],
                                       storage::storedText(*key.field, key.buffer)) >= 0;
        break;
      case Stops::Number:
        if (s.numberStops.size() != kStops) return 0;
        reached = s.numberStops[i - 1] >= storage::longValue(*key.field, key.buffer);
        break;
    }
    if (reached) return i == 1 ? 0 : i;
  }
  return kStops + 1;
}

std::vector<const storage::KeyedFile*> Engine::viewFiles() const {
  std::vector<const storage::KeyedFile*> files{def_.primary};
  for (const Lookup& l : def_.lookups) files.push_back(l.file);
  return files;
}

void Engine::INITIALIZEBROWSE() {
  HeldReads held(view_);
  const SortOrder& o = order();
  OrderState& s = state();
  Ends& ends = ends_[SORTORDER - 1];
  const Resolved key = resolve(o.keyField);
  const std::vector<const storage::KeyedFile*> files = viewFiles();
  // Taken before the reads: a change between the two makes the next stamp differ, never the
  // other way round.
  std::vector<uint64_t> stamps = view_.contentStamps();
  const bool stamped = std::find(stamps.begin(), stamps.end(), 0) == stamps.end();
  if (stamped && ends.stamps == stamps && ends.buffers.size() == files.size()) {
    RESET();
    for (size_t i = 0; i < files.size(); ++i)
      std::memcpy(files[i]->buffer(), ends.buffers[i].data(), ends.buffers[i].size());
    return;
  }
  ends.stamps.clear();
  auto keyText = [&]() -> std::string {
    if (key.field == nullptr) return {};
    if (key.field->type == FieldType::kLong)
      return std::to_string(storage::longValue(*key.field, key.buffer));
    return std::string(storage::storedText(*key.field, key.buffer));
  };
  auto readEnd = [&](bool last) {
    RESET();
    view_.setFetchHint(1);
    const int rc = last ? view_.prev() : view_.next();
    if (rc == storage::kOk) return true;
    if (rc != storage::kNoRecord) readError();
    return false;
  };
  if (!readEnd(true)) return;
  s.HIGHVALUE = keyText();
  const int32_t high = key.field != nullptr && key.field->type == FieldType::kLong
                           ? storage::longValue(*key.field, key.buffer)
                           : 0;
  if (!readEnd(false)) return;
  s.LOWVALUE = keyText();
  if (stamped) {
    ends.stamps = std::move(stamps);
    ends.buffers.clear();
    for (const storage::KeyedFile* f : files)
      ends.buffers.emplace_back(static_cast<const char*>(f->buffer()), f->decl().recordSize);
  }
  if (o.stops == Stops::Text && key.field != nullptr) {
    phonedir::StringStops stops;
    stops.SETUPSTRINGSTOPS(s.LOWVALUE, s.HIGHVALUE, static_cast<int32_t>(key.field->width),
                           phonedir::LISTTYPE_DIGITS);
    s.textStops.clear();
    for (int i = 0; i < kStops; ++i) s.textStops.push_back(stops.NEXTSTRINGSTOP());
  } else if (o.stops == Stops::Number && key.field != nullptr) {
    phonedir::RealStops stops;
    stops.SETUPREALSTOPS(storage::longValue(*key.field, key.buffer), high);
    s.numberStops.clear();
    for (int i = 0; i < kStops; ++i)
      s.numberStops.push_back(static_cast<int32_t>(std::trunc(stops.NEXTREALSTOP())));
  }
}

// --- selection, keys and the locator ---

void Engine::POSTNEWSELECTION() {
  if (NEWSELECTPOSTED) return;
  runtime::post(runtime::ev::NewSelection, def_.buttons.list);
  NEWSELECTPOSTED = true;
}

bool Engine::buttonEnabled(int control) const {
  return control != 0 && !runtime::readControl(control).disabled;
}

void Engine::press(int control) {
  if (buttonEnabled(control)) runtime::post(runtime::ev::Accepted, control);
}

void Engine::NEWSELECTION() {
  NEWSELECTPOSTED = false;
  const Buttons& b = def_.buttons;
  const runtime::Control& list = runtime::readControl(b.list);
  if (runtime::keyCode() == runtime::key::MouseRight) {
    // The click is answered once: a selection a toolbar press or a focus gain brings next
    // comes with no key of its own and would find the click's code still there.
    runtime::setKeyCode(0);
    if (!def_.popup) return;
    const bool rows = RECORDCOUNT > 0;
    std::string menu = buttonEnabled(b.insert) ? "&Добавить" : "~&Добавить";
    menu += rows && buttonEnabled(b.change) ? "|&Изменить" : "|~&Изменить";
    menu += rows && buttonEnabled(b.erase) ? "|&Удалить" : "|~&Удалить";
    POPUPTEXT = runtime::cp(menu);
    if (def_.popupTail) POPUPTEXT += def_.popupTail();
    const int item = runtime::popup(POPUPTEXT);
    if (item == 1) {
      press(b.insert);
    } else if (item == 2) {
      press(b.change);
    } else if (item == 3) {
      press(b.erase);
    } else if (item > 3 && def_.popupChoice) {
      def_.popupChoice(item);
    }
    return;
  }
  if (RECORDCOUNT == 0) {
    REFRESHWINDOW();  // the window's own buttons follow the empty page too
    return;
  }
  CURRENTCHOICE = std::clamp<int32_t>(list.selected, 1, RECORDCOUNT);
  readRow(CURRENTCHOICE);
  FILLBUFFER();
  // Taken for change only after the reads: a message a read showed has brought the window's
  // snapshot up to date, and would hide a change made through a control taken before it.
  runtime::Control& shown = runtime::control(b.list);
  if (RECORDCOUNT < rowsShown()) {
    shown.scrollbar = false;
  } else {
    shown.scrollbar = true;
    CURRENTSCROLL = thumbFor();
  }
  REFRESHWINDOW();
}

void Engine::clearLocator() {
  OrderState& s = state();
  s.LOCATORVALUE.clear();
  s.LOCATORLENGTH = 0;
  if (!order().locator) return;
  const Resolved key = resolve(order().keyField);
  if (key.field == nullptr) return;
  if (key.field->type == FieldType::kLong) {
    storage::setLong(*key.field, key.buffer, 0);
  } else {
    storage::setText(*key.field, key.buffer, {});
  }
}

void Engine::clearLocators() {
  for (OrderState& s : SORT) {
    s.LOCATORVALUE.clear();
    s.LOCATORLENGTH = 0;
  }
}

// The typed locator into the order's key field, then the page positioned at it.
void Engine::putLocatorIntoKey() {
  const SortOrder& o = order();
  const OrderState& s = state();
  const Resolved key = resolve(o.keyField);
  if (key.field == nullptr) return;
  const std::string_view typed = std::string_view(s.LOCATORVALUE).substr(0, s.LOCATORLENGTH);
  if (key.field->type == FieldType::kLong) {
    storage::setLong(*key.field, key.buffer, leadingNumber(typed));
  } else {
    storage::setText(*key.field, key.buffer, typed);
  }
  for (const FieldRef& f : o.blankOnLocate) {
    const Resolved r = resolve(f);
    if (r.field != nullptr) storage::clearField(*r.field, r.buffer);
  }
  LOCATEMODE = 2;
  LOCATERECORD();
}

void Engine::ALERTKEY() {
  const int code = runtime::keyCode();
  if (def_.alertKey && def_.alertKey(code)) return;
  const Buttons& b = def_.buttons;
  if (RECORDCOUNT > 0) {
    OrderState& s = state();
    const bool locator = order().locator;
    switch (code) {
      case runtime::key::MouseLeft2:
        press(selectMode() && b.select != 0 ? b.select : b.change);
        FILLBUFFER();
        break;
      case runtime::key::Insert:
        press(b.insert);
        break;
      case runtime::key::Delete:
        press(b.erase);
        break;
      case runtime::key::CtrlEnter:
        press(b.change);
        break;
      case runtime::key::MouseRight:
        POSTNEWSELECTION();
        return;
      case runtime::key::Backspace:
        if (locator && s.LOCATORLENGTH > 0) {
          --s.LOCATORLENGTH;
          s.LOCATORVALUE.resize(s.LOCATORLENGTH);
          putLocatorIntoKey();
        }
        break;
      case runtime::key::Space:
        if (locator && s.LOCATORLENGTH < static_cast<int>(kLocatorSize)) {
          s.LOCATORVALUE = s.LOCATORVALUE.substr(0, s.LOCATORLENGTH) + ' ';
          ++s.LOCATORLENGTH;
          putLocatorIntoKey();
        }
        break;
      default: {
        const int ch = runtime::keyChar();
        if (locator && ch != 0 && ch != ' ' && s.LOCATORLENGTH < static_cast<int>(kLocatorSize)) {
          s.LOCATORVALUE = s.LOCATORVALUE.substr(0, s.LOCATORLENGTH) + static_cast<char>(ch);
          ++s.LOCATORLENGTH;
          putLocatorIntoKey();
        }
        break;
      }
    }
  } else if (code == runtime::key::Insert) {
    press(b.insert);
  }
  POSTNEWSELECTION();
}

void Engine::takeLocatorEntry(int n, const std::string& value) {
  OrderState& s = SORT[n - 1];
  s.LOCATORVALUE = value.substr(0, kLocatorSize);
  size_t length = s.LOCATORVALUE.find_last_not_of(' ');
  s.LOCATORLENGTH = length == std::string::npos ? 0 : static_cast<int>(length + 1);
}

void Engine::clearPage() {
  emptyQueue();
  CURRENTCHOICE = 0;
  runtime::control(def_.buttons.list).selected = 0;
}

void Engine::locateByValue() {
  LOCATEMODE = 2;
  LOCATERECORD();
}

// --- sort selection and window refresh ---

void Engine::SELECTSORT() {
  LASTSORTORDER = SORTORDER;
  const int orders = static_cast<int>(def_.orders.size());
  SORTORDER = std::clamp(def_.orderFor ? def_.orderFor(LOC_KEY) : 1, 1, orders);
  if (SORTORDER != LASTSORTORDER) {
    state().LOCATORVALUE.clear();
    state().LOCATORLENGTH = 0;
  }
  if (SORTORDER != LASTSORTORDER || FORCEREFRESH) {
    HeldReads held(view_);
    GETRECORD();
    RESET();
    if (LASTSORTORDER == 0) {
      if (selectMode()) {
        LOCATEMODE = 2;
        LOCATERECORD();
      } else {
        emptyQueue();
        REFRESHMODE = 3;
        REFRESHPAGE();
        POSTNEWSELECTION();
      }
    } else {
      LOCATEMODE = 3;
      LOCATERECORD();
    }
    INITIALIZEBROWSE();
  }
  if (RECORDCOUNT > 0) {
    readRow(CURRENTCHOICE);
    FILLBUFFER();
  }
}

bool Engine::GETRECORD() {
  if (RECORDCOUNT == 0) return false;
  CURRENTCHOICE =
      std::clamp<int32_t>(runtime::readControl(def_.buttons.list).selected, 1, RECORDCOUNT);
  readRow(CURRENTCHOICE);
  view_.watch();
  if (view_.reget(rowBuffer_.POSITION) == storage::kOk) return true;
  // A record another station deleted keeps the row's values in the buffer, so that the next
  // locate lands on its neighbour instead of wherever the buffer last pointed.
  FILLBUFFER();
  return false;
}

void Engine::rowGone() {
  runtime::beep();
  request_.LOCALRESPONSE = phonedir::REQUESTCANCELLED;
  afterUpdate(false);
}

void Engine::REFRESHWINDOW() {
  SELECTSORT();
  runtime::control(def_.buttons.list).thumb = CURRENTSCROLL;
  const SortOrder& o = order();
  if (o.locatorEntry != 0) {
    const Resolved key = resolve(o.keyField);
    if (key.field != nullptr && key.field->type != FieldType::kLong)
      storage::setText(*key.field, key.buffer, state().LOCATORVALUE);
  }
  if (def_.onRefreshWindow) def_.onRefreshWindow();
  runtime::display();
  FORCEREFRESH = false;
}

// --- the window's events ---

void Engine::serve(int event) {
  namespace ev = runtime::ev;
  event_ = event;
  switch (event) {
    case ev::OpenWindow:
      if (!windowInitialized) {
        REFRESHWINDOW();
        windowInitialized = true;
      }
      runtime::select(def_.firstFocus != 0 ? def_.firstFocus : def_.buttons.list);
      return;
    case ev::GainFocus:
    case ev::Sized:
      FORCEREFRESH = true;
      REFRESHWINDOW();
      windowInitialized = true;
      return;
    case ev::Rejected:
      runtime::beep();
      runtime::display(runtime::field());
      runtime::select(runtime::field());
      return;
    case ev::CloseWindow:
    case ev::CloseDown:
      return;
    default:
      break;
  }
  if (TOOLBARMODE == 2) {
    if (def_.buttons.select != 0) SELECTDISPATCH();
    LISTBOXDISPATCH();
    if (def_.updateDispatch) UPDATEDISPATCH();
  }
  if (runtime::field() != def_.buttons.list) return;
  switch (event) {
    case ev::NewSelection:
      NEWSELECTION();
      break;
    case ev::ScrollUp:
    case ev::ScrollDown:
    case ev::PageUp:
    case ev::PageDown:
    case ev::ScrollTop:
    case ev::ScrollBottom:
      PROCESSSCROLL();
      break;
    case ev::AlertKey:
      ALERTKEY();
      break;
    case ev::ScrollDrag:
      SCROLLDRAG();
      break;
    case ev::Selected:
      ASSIGNBUTTONS();
      break;
    default:
      break;
  }
}

}  // namespace browse
