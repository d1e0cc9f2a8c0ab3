#include "gui/control_set.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <utility>

#include "gui/entry_edit.h"
#include "gui/icons.h"
#include "gui/key_codes.h"
#include "gui/page_list.h"

namespace gui {
namespace {

using runtime::ControlKind;

constexpr int kMaxNesting = 32;  // bounds the walk up the parents of a malformed definition

QString text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// A label without a control to jump to shows its access-key marker as nothing.
QString withoutAccessKey(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) ++i;
    out += s[i];
  }
  return out;
}

bool takesFocus(ControlKind kind) {
  return kind == ControlKind::Entry || kind == ControlKind::List || kind == ControlKind::Button;
}

}  // namespace

ControlSet::ControlSet(QWidget* client, QWidget* strip, Sender send, QObject* parent)
    : QObject(parent), client_(client), strip_(strip), send_(std::move(send)) {}

void ControlSet::send(runtime::Event event, int field) {
  event.field = field;
  send_(event);
}

void ControlSet::accepted(int field, std::optional<std::string> text) {
  runtime::Event e = inputEvent(runtime::ev::Accepted, lastInput_);
  e.text = std::move(text);
  send(e, field);
}

QWidget* ControlSet::create(const runtime::ControlSnapshot& c) {
  QWidget* parent = c.inToolbar && strip_ ? strip_.data() : client_.data();
  if (parent == nullptr) return nullptr;
  const int number = c.number;
  QWidget* w = nullptr;
  switch (c.kind) {
    case ControlKind::Toolbar:
    case ControlKind::Region:
    case ControlKind::MenuItem:
      return nullptr;
    case ControlKind::Button:
      if (!c.icon.empty() && c.text.empty()) {
        auto* b = new QToolButton(parent);
        b->setAutoRaise(c.inToolbar);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        connectPress(b, number);
        if (c.inToolbar) addToolbarShortcut(b);
        if (!c.shortcut.empty()) addShortcut(b, c.shortcut);
        w = b;
      } else {
        auto* b = new QPushButton(parent);
        b->setAutoDefault(false);
        connectPress(b, number);
        if (!c.shortcut.empty()) addShortcut(b, c.shortcut);
        w = b;
      }
      break;
    case ControlKind::GroupBox:
      w = new QGroupBox(parent);
      w->setFocusPolicy(Qt::NoFocus);
      break;
    case ControlKind::List: {
      auto* list = new PageList(parent);
      list->setColumns(c.columns, units_);
      connect(list, &PageList::input, this,
              [this, number](const runtime::Event& e) { send(e, number); });
      connect(list, &PageList::rowsVisibleChanged, this, &ControlSet::listRowsChanged);
      w = list;
      break;
    }
    case ControlKind::Entry: {
      auto* edit = new EntryEdit(parent);
      edit->setPicture(c.picture, c.pictureWidth);
      connect(edit, &EntryEdit::accepted, this,
              [this, number](const QString& typed) { accepted(number, typed.toStdString()); });
      connect(edit, &EntryEdit::enterAccepted, this, &ControlSet::entryEntered);
      connect(edit, &EntryEdit::refused, this, [this, edit] {
        // A mouse press on a button takes the focus before the button sees the press, so the
        // entry hands its text in first; refused, it must stop that press as it stops a key.
        auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (button == nullptr || numberOf(button) == 0) return;
        refusedPressOn_ = button;
        // The field keeps the focus, as it does when Enter or Tab is refused.
        QPointer<EntryEdit> field = edit;
        QMetaObject::invokeMethod(
            this,
            [field] {
              if (field) field->setFocus(Qt::OtherFocusReason);
            },
            Qt::QueuedConnection);
      });
      w = edit;
      break;
    }
    case ControlKind::Prompt:
    case ControlKind::String:
    case ControlKind::VarString:
    case ControlKind::Image: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      w = label;
      break;
    }
    case ControlKind::Progress: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      w = bar;
      break;
    }
  }
  if (w != nullptr) {
    w->setObjectName(text(c.label));
    w->installEventFilter(this);
  }
  return w;
}

void ControlSet::apply(const std::vector<runtime::ControlSnapshot>& controls, int windowWidth) {
  windowWidth_ = windowWidth;
  const bool first = items_.empty() && !controls.empty();
  if (first) {
    for (size_t i = 0; i < controls.size(); ++i) {
      Item item;
      item.snap = controls[i];
      item.widget = create(controls[i]);
      if (controls[i].number != 0) byNumber_[controls[i].number] = i;
      items_.push_back(std::move(item));
    }
    // Group boxes lie behind the controls they frame, the outermost lowest.
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
      if (it->snap.kind == ControlKind::GroupBox && it->widget) it->widget->lower();
    }
    linkPrompts();
  } else {
    // A window's set of controls never changes; match the snapshot by position.
    const size_t n = std::min(items_.size(), controls.size());
    for (size_t i = 0; i < n; ++i) {
      Item& item = items_[i];
      if (auto* list = qobject_cast<PageList*>(item.widget.data());
          list != nullptr && item.snap.columns != controls[i].columns) {
        list->setColumns(controls[i].columns, units_);
      }
      item.snap = controls[i];
    }
  }
  for (Item& item : items_) update(item, first);
}

void ControlSet::linkPrompts() {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].snap.kind != ControlKind::Prompt || !items_[i].widget) continue;
    for (size_t j = i + 1; j < items_.size(); ++j) {
      const Item& next = items_[j];
      if (next.widget && takesFocus(next.snap.kind) && !next.snap.inToolbar) {
        static_cast<QLabel*>(items_[i].widget.data())->setBuddy(next.widget);
        break;
      }
    }
  }
}

const ControlSet::Item* ControlSet::find(int number) const {
  const auto it = byNumber_.find(number);
  return it == byNumber_.end() ? nullptr : &items_[it->second];
}

bool ControlSet::hiddenInEffect(const Item& item) const {
  const Item* it = &item;
  for (int depth = 0; it != nullptr && depth < kMaxNesting; ++depth) {
    if (it->snap.hidden) return true;
    it = it->snap.parent != 0 ? find(it->snap.parent) : nullptr;
  }
  return false;
}

bool ControlSet::disabledInEffect(const Item& item) const {
  const Item* it = &item;
  for (int depth = 0; it != nullptr && depth < kMaxNesting; ++depth) {
    if (it->snap.disabled) return true;
    it = it->snap.parent != 0 ? find(it->snap.parent) : nullptr;
  }
  return false;
}

QSize ControlSet::naturalSize(const Item& item) const {
  const runtime::ControlSnapshot& c = item.snap;
  const QWidget* w = item.widget;
  const QFontMetrics fm = w->fontMetrics();
  switch (c.kind) {
    case ControlKind::Entry: {
      // The picture's width in characters, plus the edit's frame and margins.
      const int chars = c.pictureWidth > 0 ? c.pictureWidth : 10;
      const int width = static_cast<int>(std::ceil(chars * units_.averageCharWidth())) + 8;
      return {width, fm.height() + 6};
    }
    case ControlKind::Prompt:
    case ControlKind::String:
    case ControlKind::VarString: {
      const QString shown =
          c.kind == ControlKind::VarString ? text(c.value) : withoutAccessKey(text(c.text));
      return {fm.horizontalAdvance(shown) + 2, fm.height()};
    }
    default:
      return w->sizeHint();
  }
}

QRect ControlSet::geometryOf(const Item& item) const {
  const runtime::Rect& r = item.snap.rect;
  const int x = units_.x(r.x);
  const int y = units_.y(r.y);
  const bool natural = r.w == runtime::kNaturalSize || r.h == runtime::kNaturalSize;
  const QSize nat = natural ? naturalSize(item) : QSize();
  int w = units_.x(r.w);
  if (r.w == runtime::kNaturalSize) w = nat.width();
  if (r.w == runtime::kFullWidth) w = units_.x(windowWidth_) - x;
  int h = units_.y(r.h);
  if (r.h == runtime::kNaturalSize) h = nat.height();
  return {x, y, std::max(0, w), std::max(0, h)};
}

void ControlSet::update(Item& item, bool first) {
  QWidget* w = item.widget;
  if (w == nullptr) return;
  const runtime::ControlSnapshot& c = item.snap;
  const QString caption = text(c.text);
  switch (c.kind) {
    case ControlKind::Button:
      if (auto* tool = qobject_cast<QToolButton*>(w)) {
        if (first || item.icon != c.icon) {
          item.icon = c.icon;
          tool->setIcon(catalogueIcon(c.icon));
          const int side = std::clamp(std::min(units_.x(c.rect.w), units_.y(c.rect.h)) - 8, 16, 32);
          tool->setIconSize({side, side});
        }
      } else if (auto* push = qobject_cast<QPushButton*>(w)) {
        push->setText(caption);
        push->setDefault(c.isDefault);
        if ((first || item.icon != c.icon) && !c.icon.empty()) {
          item.icon = c.icon;
          push->setIcon(catalogueIcon(c.icon));
        }
      }
      w->setFocusPolicy(c.inToolbar ? Qt::NoFocus : c.skip ? Qt::ClickFocus : Qt::StrongFocus);
      break;
    case ControlKind::GroupBox:
      static_cast<QGroupBox*>(w)->setTitle(withoutAccessKey(caption));
      break;
    case ControlKind::List: {
      auto* list = static_cast<PageList*>(w);
      list->setPage(c.rows, c.selected, c.thumb, c.scrollbar);
      list->setAlertKeys(c.alertKeys);
      w->setFocusPolicy(c.skip ? Qt::ClickFocus : Qt::StrongFocus);
      break;
    }
    case ControlKind::Entry:
      static_cast<EntryEdit*>(w)->showValue(text(c.value));
      w->setFocusPolicy(c.skip ? Qt::ClickFocus : Qt::StrongFocus);
      break;
    case ControlKind::Prompt:
    case ControlKind::String:
    case ControlKind::VarString: {
      auto* label = static_cast<QLabel*>(w);
      if (c.kind == ControlKind::VarString) {
        label->setText(text(c.value));
      } else {
        label->setText(label->buddy() != nullptr ? caption : withoutAccessKey(caption));
      }
      label->setAlignment(c.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
      break;
    }
    case ControlKind::Image:
      if (first) {
        const QRect g = geometryOf(item);
        const int side = std::max(16, std::min(g.width(), g.height()));
        const QIcon icon = infoIcon_ ? w->style()->standardIcon(QStyle::SP_MessageBoxInformation)
                                     : catalogueIcon(c.icon);
        static_cast<QLabel*>(w)->setPixmap(icon.pixmap(side, side));
        static_cast<QLabel*>(w)->setAlignment(Qt::AlignCenter);
      }
      break;
    case ControlKind::Progress: {
      auto* bar = static_cast<QProgressBar*>(w);
      const int high = std::max(c.rangeLow, c.rangeHigh);
      bar->setRange(c.rangeLow, high);
      bar->setValue(std::clamp(c.progress, c.rangeLow, high));
      break;
    }
    default:
      break;
  }
  w->setToolTip(text(c.tip));
  w->setGeometry(geometryOf(item));
  w->setEnabled(!disabledInEffect(item));
  w->setVisible(!hiddenInEffect(item));
}

void ControlSet::applyFocus(int number, int moves) {
  if (moves == appliedMoves_) return;
  const Item* item = find(number);
  if (item == nullptr || !item->widget) {
    appliedMoves_ = moves;
    return;
  }
  QWidget* target = item->widget;
  if (item->snap.kind == ControlKind::Prompt) {
    // Selecting a prompt selects the control it labels.
    target = static_cast<QLabel*>(target)->buddy();
  }
  // A control that cannot take the focus yet (its window waits for a newer one) gets it when
  // the window is usable again: the focus is only recorded once it was given.
  if (target == nullptr || !target->isEnabled() || hiddenInEffect(*item)) return;
  focusing_ = true;
  // A button the program gives the focus to shows its focus frame, as one reached by Tab
  // does: nothing else would tell the user where the keyboard is.
  if (qobject_cast<QAbstractButton*>(target) != nullptr) {
    target->window()->setAttribute(Qt::WA_KeyboardFocusChange);
  }
  target->setFocus(Qt::OtherFocusReason);
  focusing_ = false;
  // As Tab leaves it: what is typed next replaces the value instead of adding to it.
  if (auto* entry = qobject_cast<EntryEdit*>(target)) entry->selectAll();
  // Reported here rather than by the focus event, which only comes while the window is the
  // active one. The model then holds the control that really has the focus.
  appliedMoves_ = moves;
  sendSelected(numberOf(target));
}

bool ControlSet::press(int number, int key) {
  const Item* item = find(number);
  if (item == nullptr || item->snap.kind != ControlKind::Button || !item->widget) return false;
  if (hiddenInEffect(*item) || disabledInEffect(*item)) return false;
  if (acceptFocusedEntry()) send(inputEvent(runtime::ev::Accepted, key), number);
  return true;
}

bool ControlSet::pressDefault(int key) {
  const auto it = std::find_if(items_.begin(), items_.end(), [](const Item& item) {
    return item.snap.isDefault && item.snap.kind == ControlKind::Button;
  });
  return it != items_.end() && press(it->snap.number, key);
}

// A window's own toolbar buttons never take the focus; Ctrl+1, Ctrl+2, ... press them in their
// order, so that the sort orders are reachable from the keyboard too. Only the window the
// focus is in answers them.
void ControlSet::addToolbarShortcut(QAbstractButton* button) {
  constexpr int kShortcuts = 9;
  if (client_ == nullptr || client_->parentWidget() == nullptr || toolbarShortcuts_ >= kShortcuts)
    return;
  addShortcut(button, "Ctrl+" + std::to_string(++toolbarShortcuts_));
}

void ControlSet::addShortcut(QAbstractButton* button, const std::string& key) {
  // The frame's toolbar is everybody's; a window's own button answers in that window only.
  QWidget* view = client_ ? client_->parentWidget() : nullptr;
  auto* shortcut =
      new QShortcut(QKeySequence(QString::fromStdString(key)), view ? view : button->window());
  shortcut->setContext(view ? Qt::WidgetWithChildrenShortcut : Qt::ApplicationShortcut);
  connect(shortcut, &QShortcut::activated, button, [button] {
    if (button->isVisible() && button->isEnabled()) button->animateClick();
  });
}

void ControlSet::connectPress(QAbstractButton* button, int number) {
  connect(button, &QAbstractButton::pressed, this, [this, button] {
    dropClick_ = refusedPressOn_ == button;
    refusedPressOn_ = nullptr;
  });
  connect(button, &QAbstractButton::clicked, this, [this, number] {
    if (std::exchange(dropClick_, false)) return;
    if (acceptFocusedEntry()) accepted(number);
  });
}

bool ControlSet::acceptFocusedEntry() {
  // This window's own focus widget: an entry of another window is no business of this press.
  QWidget* focused = client_ ? client_->window()->focusWidget() : nullptr;
  auto* entry = qobject_cast<EntryEdit*>(focused);
  if (entry == nullptr || numberOf(entry) == 0) return true;
  return entry->acceptEdited();
}

QWidget* ControlSet::widget(int number) const {
  const Item* item = find(number);
  return item != nullptr ? item->widget.data() : nullptr;
}

const runtime::ControlSnapshot* ControlSet::control(int number) const {
  const Item* item = find(number);
  return item != nullptr ? &item->snap : nullptr;
}

int ControlSet::numberOf(const QObject* widget) const {
  for (const Item& item : items_) {
    if (item.widget == widget && widget != nullptr) return item.snap.number;
  }
  return 0;
}

std::vector<std::pair<int, int>> ControlSet::listsToMeasure() {
  std::vector<std::pair<int, int>> out;
  for (Item& item : items_) {
    auto* list = qobject_cast<PageList*>(item.widget.data());
    if (list == nullptr) continue;
    const int rows = list->rowsVisible();
    if (rows != item.snap.rowsShown && rows != item.reportedRows)
      out.emplace_back(item.snap.number, rows);
    item.reportedRows = rows;
  }
  return out;
}

void ControlSet::sendSelected(int number) {
  runtime::Event e;
  e.code = runtime::ev::Selected;
  send(e, number);
}

bool ControlSet::alertedInput(QObject* watched, QEvent* event) {
  const int number = numberOf(watched);
  const Item* item = number != 0 ? find(number) : nullptr;
  if (item == nullptr) return false;
  // A list knows its rows and its locator: it sorts its own keys and clicks out.
  const bool list = item->snap.kind == ControlKind::List;
  int code = 0;
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      code = keyCodeOf(*key);
      lastInput_ = code != 0         ? code
                   : typesText(*key) ? runtime::key::Character
                                     : runtime::key::None;
      if (list) return false;
      break;
    }
    case QEvent::MouseButtonPress:
      lastInput_ = static_cast<QMouseEvent*>(event)->button() == Qt::RightButton
                       ? runtime::key::MouseRight
                       : runtime::key::MouseLeft;
      return false;
    case QEvent::MouseButtonDblClick:
      if (list || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
      code = runtime::key::MouseLeft2;
      break;
    case QEvent::ContextMenu:
      // The right button, when alerted, instead of the control's own menu.
      if (list || static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse) {
        return false;
      }
      code = runtime::key::MouseRight;
      break;
    default:
      return false;
  }
  if (!alerts(item->snap.alertKeys, code)) return false;
  // The history key puts a saved value back into the field: the text typed over it goes.
  if (code == runtime::key::CtrlApostrophe) {
    if (auto* entry = qobject_cast<EntryEdit*>(watched)) entry->dropEdit();
  }
  send(alertEvent(code), number);
  return true;
}

bool ControlSet::eventFilter(QObject* watched, QEvent* event) {
  if (alertedInput(watched, event)) return true;
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
    const int number = numberOf(watched);
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (number != 0 && reason != Qt::PopupFocusReason) {
      if (event->type() == QEvent::FocusIn) {
        const Item* item = find(number);
        emit statusText(item != nullptr ? text(item->snap.statusText) : QString());
        if (!focusing_) sendSelected(number);
      } else {
        emit statusText(QString());
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace gui
