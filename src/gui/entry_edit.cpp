#include "gui/entry_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QValidator>
#include <algorithm>
#include <string_view>
#include <utility>

#include "runtime/locale/charset.h"
#include "runtime/picture.h"

namespace gui {
namespace {

// Refuses an edit that would put a character into the field that CP1251 cannot hold, with
// a beep, instead of letting it be mangled later. Control characters, which a paste brings
// (a line's end, a tab), are no text of a field: a run of them between words stands as one
// blank, at either end of the text they go, so a pasted name still finds what it names.
class Cp1251Validator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    const auto control = [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; };
    for (qsizetype i = 0; i < input.size();) {
      if (!control(input.at(i))) {
        ++i;
        continue;
      }
      qsizetype end = i;
      while (end < input.size() && control(input.at(end))) ++end;
      const bool between = i > 0 && end < input.size();
      const qsizetype kept = between ? 1 : 0;
      input.replace(i, end - i, between ? QStringLiteral(" ") : QString());
      if (pos > i)
        pos = std::max<int>(static_cast<int>(i + kept), pos - static_cast<int>(end - i - kept));
      i += kept;
    }
    if (runtime::fromUtf8(input.toStdString())) return Acceptable;
    QApplication::beep();
    return Invalid;
  }
};

}  // namespace

EntryEdit::EntryEdit(QWidget* parent) : QLineEdit(parent) {
  setValidator(new Cp1251Validator(this));
  connect(this, &QLineEdit::returnPressed, this, [this] {
    if (accept()) emit enterAccepted();
  });
  connect(this, &QLineEdit::editingFinished, this, [this] {
    if (isModified()) accept();
  });
  // Typing again means the user's text, not the model's, is what the field should show. An
  // edit the validator cleaned (a paste with a line's end) is an edit all the same, though
  // the line edit forgets that it was modified when the validator changes its text.
  connect(this, &QLineEdit::textEdited, this, [this] {
    awaitingModel_ = false;
    setModified(true);
  });
}

void EntryEdit::setPicture(const std::string& picture, int width) {
  picture_ = picture;
  setMaxLength(width > 0 ? width : 32767);
}

void EntryEdit::showValue(const QString& value) {
  if (value == modelValue_ && !awaitingModel_) return;
  const bool changed = value != modelValue_;
  modelValue_ = value;
  awaitingModel_ = false;
  if (changed || text() != value) {
    const int cursor = cursorPosition();
    setText(value);
    setCursorPosition(std::min(cursor, static_cast<int>(value.size())));
  }
}

bool EntryEdit::fullWithoutValue() const {
  if (text().size() < maxLength()) return false;
  const auto cp = runtime::fromUtf8(text().toStdString());
  const auto stored = cp ? runtime::Picture(picture_).deformat(*cp) : std::nullopt;
  return stored && stored->find_first_not_of(std::string_view(" 0\0", 3)) == std::string::npos;
}

void EntryEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // Tab selects the text anyway; a click places the cursor after this, so it selects then.
  focusedByPress_ = event->reason() == Qt::MouseFocusReason;
  if (!focusedByPress_ && fullWithoutValue()) selectAll();
}

void EntryEdit::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (std::exchange(focusedByPress_, false) && fullWithoutValue()) selectAll();
}

void EntryEdit::dropEdit() {
  setText(modelValue_);
  setModified(false);
  awaitingModel_ = true;
}

bool EntryEdit::acceptEdited() {
  return !isModified() || accept();
}

bool EntryEdit::accept() {
  const QString typed = text();
  setModified(false);
  awaitingModel_ = true;
  emit accepted(typed);
  // Show at once what the model will hold: the text through the picture, or the old value
  // when the picture refuses the text (the model then keeps its value and sends no change).
  const auto cp = runtime::fromUtf8(typed.toStdString());
  const runtime::Picture picture(picture_);
  const auto stored = cp ? picture.deformat(*cp) : std::nullopt;
  setText(stored ? QString::fromStdString(runtime::toUtf8(picture.format(*stored))) : modelValue_);
  if (!stored) emit refused();
  return stored.has_value();
}

}  // namespace gui
