#include "gui/key_codes.h"

#include <algorithm>

namespace gui {

namespace key = runtime::key;

int keyCodeOf(const QKeyEvent& event) {
  const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
  const bool plain = mods == Qt::NoModifier || mods == Qt::ShiftModifier;
  const bool ctrl = mods == Qt::ControlModifier;
  switch (event.key()) {
    case Qt::Key_Insert:
      return plain ? key::Insert : 0;
    case Qt::Key_Delete:
      return plain ? key::Delete : 0;
    case Qt::Key_Backspace:
      return plain ? key::Backspace : 0;
    case Qt::Key_Space:
      return plain ? key::Space : 0;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return ctrl ? key::CtrlEnter : plain ? key::Enter : 0;
    case Qt::Key_Escape:
      return plain ? key::Escape : 0;
    case Qt::Key_Tab:
      return plain ? key::Tab : 0;
    case Qt::Key_F1:
      return plain ? key::F1 : 0;
    case Qt::Key_Apostrophe:
      return ctrl ? key::CtrlApostrophe : 0;
    default:
      break;
  }
  // Movement keys keep their code with Ctrl held (Ctrl+Home goes to the top as Home does).
  if (mods != Qt::NoModifier && mods != Qt::ControlModifier) return 0;
  switch (event.key()) {
    case Qt::Key_PageUp:
      return key::PageUp;
    case Qt::Key_PageDown:
      return key::PageDown;
    case Qt::Key_End:
      return key::End;
    case Qt::Key_Home:
      return key::Home;
    case Qt::Key_Left:
      return key::Left;
    case Qt::Key_Up:
      return key::Up;
    case Qt::Key_Right:
      return key::Right;
    case Qt::Key_Down:
      return key::Down;
    default:
      return 0;
  }
}

bool typesText(const QKeyEvent& event) {
  if ((event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
    return false;
  }
  const QString text = event.text();
  return !text.isEmpty() && text.at(0).isPrint();
}

bool alerts(const std::vector<int>& alertKeys, int code) {
  return code != 0 && std::find(alertKeys.begin(), alertKeys.end(), code) != alertKeys.end();
}

runtime::Event inputEvent(int code, int key, int value, int keyChar) {
  runtime::Event e;
  e.code = code;
  e.key = key;
  e.value = value;
  e.keyChar = keyChar;
  return e;
}

runtime::Event alertEvent(int key, int keyChar) {
  if (keyChar == 0 && (key == key::Space || key == key::Backspace)) keyChar = key;
  // The code travels as the event's value too, where the alerted-key event has always
  // carried it.
  return inputEvent(runtime::ev::AlertKey, key, key, keyChar);
}

runtime::Event characterEvent(int byte) {
  return inputEvent(runtime::ev::AlertKey, key::Character, key::Character, byte);
}

}  // namespace gui
