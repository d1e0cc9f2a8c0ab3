#include "runtime/snapshot.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "runtime/locale/charset.h"
#include "runtime/picture.h"

namespace runtime {
namespace {

// Assigns and reports whether the value differed.
template <class T>
bool assign(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

// The props as shown. Given the props `before` that `shown` was taken from, a text that has not
// changed since is taken from `shown` without converting it again.
ControlSnapshot convertProps(const Control& c, const ControlProps* before = nullptr,
                             const ControlSnapshot* shown = nullptr) {
  auto convert = [&](std::string ControlProps::*text) {
    return before != nullptr && before->*text == c.*text ? shown->*text : toUtf8(c.*text);
  };
  ControlSnapshot s;
  static_cast<ControlProps&>(s) = c;
  s.text = convert(&ControlProps::text);
  s.tip = convert(&ControlProps::tip);
  s.statusText = convert(&ControlProps::statusText);
  const bool sameColumns = before != nullptr && before->columns.size() == c.columns.size();
  for (size_t i = 0; i < s.columns.size(); ++i) {
    const std::string& header = c.columns[i].header;
    s.columns[i].header = sameColumns && before->columns[i].header == header
                              ? shown->columns[i].header
                              : toUtf8(header);
  }
  s.pictureWidth = before != nullptr && before->picture == c.picture ? shown->pictureWidth
                                                                     : Picture(c.picture).width();
  return s;
}

using Rows = std::vector<std::vector<std::string>>;

// Brings `shown` to the list's rows as shown and reports whether anything in it changed. A row
// that was in the list before (`before`, `shown` as formatted by the same columns, of which
// `wasShown(r, at)` tells whether row r of the list is the row shown at `at`) at the same place
// or one place off, as after a scroll by one row, is moved over as it was shown: a scroll
// formats one row and copies none. A new row is formatted into the storage of a row no longer
// shown, so that a page of new rows allocates little once pages have been shown.
template <class WasShown>
bool formatRows(const Control& c, size_t before, const WasShown& wasShown, Rows& shown,
                std::vector<Picture>& pictures) {
  constexpr size_t kNone = static_cast<size_t>(-1);
  const size_t count = c.rows.size();
  std::vector<size_t> from(count, kNone);            // where a row was shown before
  std::vector<size_t> movedTo(shown.size(), kNone);  // where a shown row went
  if (before > 0) {
    for (size_t r = 0; r < count; ++r) {
      for (size_t at : {r, r + 1, r - 1}) {
        if (at < before && at < shown.size() && movedTo[at] == kNone && wasShown(r, at)) {
          from[r] = at;
          movedTo[at] = r;
          break;
        }
      }
    }
  }
  Rows rows(count);
  for (size_t r = 0; r < count; ++r) {
    if (from[r] != kNone) rows[r] = std::move(shown[from[r]]);
  }
  auto shownBefore = [&](size_t r) -> const std::vector<std::string>& {
    return movedTo[r] == kNone ? shown[r] : rows[movedTo[r]];
  };
  bool changed = count != shown.size();
  for (size_t r = 0; r < count && !changed; ++r) {
    if (from[r] != kNone && from[r] != r) changed = shownBefore(r) != rows[r];
  }

  std::string text;
  // Writes the row's cells over `cells`; true when any of them differs from what it was (not
  // looked at once the list is known to have changed).
  auto format = [&](const std::vector<std::string>& row, std::vector<std::string>& cells) {
    if (pictures.empty()) {
      pictures.reserve(c.columns.size() + 1);
      for (const auto& col : c.columns) pictures.emplace_back(col.picture);
      pictures.emplace_back();  // for cells beyond the columns
    }
    bool differs = changed || cells.size() != row.size();
    cells.resize(row.size());
    std::string utf8;
    for (size_t i = 0; i < row.size(); ++i) {
      const Picture& picture = pictures[std::min(i, pictures.size() - 1)];
      // Once the list is known to differ, a cell is written over in its own storage; until
      // then it is made aside and compared.
      std::string& into = differs ? cells[i] : utf8;
      if (const auto asIs = picture.asIs(row[i])) {
        toUtf8(*asIs, into);
      } else {
        picture.format(row[i], text);
        toUtf8(text, into);
      }
      if (!differs) {
        differs = utf8 != cells[i];
        cells[i].swap(utf8);
      }
    }
    return differs;
  };
  // A new row where a row no longer shown stood takes that row's storage and is compared with
  // it cell by cell; the other new rows take what storage is left.
  std::vector<size_t> spare;
  for (size_t j = 0; j < shown.size(); ++j) {
    if (movedTo[j] == kNone && (j >= count || from[j] != kNone)) spare.push_back(j);
  }
  for (size_t r = 0; r < count; ++r) {
    if (from[r] != kNone) continue;
    if (r < shown.size() && movedTo[r] == kNone) {
      changed = format(c.rows[r], shown[r]) || changed;
      rows[r] = std::move(shown[r]);
      continue;
    }
    if (!spare.empty()) {
      rows[r] = std::move(shown[spare.back()]);
      spare.pop_back();
    }
    format(c.rows[r], rows[r]);
    changed = changed || r >= shown.size() || shownBefore(r) != rows[r];
  }
  shown = std::move(rows);
  return changed;
}

uint64_t nextRevision() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

}  // namespace

void copyChanges(const WindowSnapshot& latest, WindowSnapshot& kept) {
  static_cast<WindowFrame&>(kept) = latest;
  if (kept.controls.size() != latest.controls.size()) {
    kept.controls = latest.controls;
    return;
  }
  for (size_t i = 0; i < latest.controls.size(); ++i) {
    const ControlSnapshot& c = latest.controls[i];
    if (c.revision.number == 0 || c.revision.number != kept.controls[i].revision.number)
      kept.controls[i] = c;
  }
}

bool ShownWindow::update(const Control& c, Source& source, ControlSnapshot& shown) {
  // A control not handed out for change since it was taken shows what it showed, but for its
  // bound value, which follows a variable.
  const bool untouched = source.taken && c.stamp == source.stamp;
  const bool bound = c.binding.data != nullptr;
  if (untouched && !bound) return false;
  source.stamp = c.stamp;
  bool changed = false;
  const bool propsChanged =
      !source.taken || (!untouched && !(static_cast<const ControlProps&>(c) == source.props));
  if (propsChanged) {
    ControlSnapshot props = source.taken ? convertProps(c, &source.props, &shown) : convertProps(c);
    // The rows are formatted by the columns' pictures, the value by the control's.
    if (!source.taken || c.columns != source.props.columns) source.rowsTaken = false;
    if (!source.taken || c.picture != source.props.picture || c.kind != source.props.kind)
      source.valueTaken = false;
    source.taken = true;
    source.props = c;
    changed = !(static_cast<const ControlProps&>(props) == shown) ||
              props.pictureWidth != shown.pictureWidth;
    props.value = std::move(shown.value);
    props.progress = shown.progress;
    props.rows = std::move(shown.rows);
    props.revision = shown.revision;
    shown = std::move(props);
  }
  std::string stored = bound ? readBinding(c.binding) : std::string();
  if (!source.valueTaken || bound != source.bound || stored != source.stored) {
    std::string value;
    int progress = 0;
    if (bound && c.kind == ControlKind::Progress) {
      progress = std::atoi(stored.c_str());
    } else if (bound) {
      value = toUtf8(Picture(c.picture).format(stored));
    }
    changed |= assign(shown.value, value) | assign(shown.progress, progress);
    source.stored = std::move(stored);
    source.bound = bound;
    source.valueTaken = true;
  }
  if (!source.rowsTaken) source.pictures.clear();  // the columns may have changed
  // Rows with identities are known by them; others by their texts, kept for the comparison.
  const bool byId = !c.rowIds.empty() && c.rowIds.size() == c.rows.size();
  const bool sameWay = source.rowsTaken && source.rowsById == byId;
  if (!sameWay || (!untouched && (byId ? c.rowIds != source.rowIds : c.rows != source.rows))) {
    const size_t before = !sameWay ? 0 : byId ? source.rowIds.size() : source.rows.size();
    auto wasShown = [&](size_t r, size_t at) {
      return byId ? source.rowIds[at] == c.rowIds[r] : source.rows[at] == c.rows[r];
    };
    changed |= formatRows(c, before, wasShown, shown.rows, source.pictures);
    if (byId) {
      source.rowIds = c.rowIds;
      source.rows.clear();
    } else {
      source.rows = c.rows;
      source.rowIds.clear();
    }
    source.rowsById = byId;
    source.rowsTaken = true;
  }
  if (changed || shown.revision.number == 0) shown.revision.number = nextRevision();
  return changed;
}

bool ShownWindow::update(const Window& w, bool blocked) {
  WindowSnapshot& s = snapshot_;
  bool changed = !taken_;
  if (!taken_ || w.caption != caption_) {
    changed |= assign(s.caption, toUtf8(w.caption));
    caption_ = w.caption;
  }
  if (!taken_ || w.statusTexts != statusTexts_) {
    std::vector<std::string> texts;
    for (const auto& t : w.statusTexts) texts.push_back(toUtf8(t));
    changed |= assign(s.statusTexts, texts);
    statusTexts_ = w.statusTexts;
  }
  taken_ = true;
  changed |= assign(s.id, w.id) | assign(s.thread, w.thread) | assign(s.proc, w.proc) |
             assign(s.x, w.x) | assign(s.y, w.y) | assign(s.width, w.width) |
             assign(s.height, w.height) | assign(s.minWidth, w.minWidth) |
             assign(s.minHeight, w.minHeight) | assign(s.escapeButton, w.escapeButton) |
             assign(s.fontName, w.def.fontName) | assign(s.fontSize, w.def.fontSize) |
             assign(s.helpId, w.def.helpId) | assign(s.icon, w.def.icon) |
             assign(s.wallpaper, w.def.wallpaper) | assign(s.mdiChild, w.def.mdiChild) |
             assign(s.frame, w.def.frame) | assign(s.resizable, w.def.resizable) |
             assign(s.infoIcon, w.def.infoIcon) | assign(s.toolbarHeight, w.def.toolbarHeight) |
             assign(s.toolbarWallpaper, w.def.toolbarWallpaper) |
             assign(s.statusZones, w.def.statusZones) | assign(s.timer, w.timer) |
             assign(s.focus, w.focus) | assign(s.focusMoves, w.focusMoves) |
             assign(s.entriesPressDefault, w.entriesPressDefault) | assign(s.blocked, blocked);
  if (sources_.size() != w.controls.size()) {
    sources_.assign(w.controls.size(), Source{});
    s.controls.assign(w.controls.size(), ControlSnapshot{});
    changed = true;
  }
  for (size_t i = 0; i < w.controls.size(); ++i)
    changed |= update(w.controls[i], sources_[i], s.controls[i]);
  return changed;
}

ControlSnapshot takeSnapshot(const Control& c) {
  ShownWindow::Source source;
  ControlSnapshot s;
  ShownWindow::update(c, source, s);
  return s;
}

WindowSnapshot takeSnapshot(const Window& w, bool blocked) {
  ShownWindow shown;
  shown.update(w, blocked);
  return shown.snapshot();
}

}  // namespace runtime
