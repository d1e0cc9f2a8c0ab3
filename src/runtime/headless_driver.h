#pragma once
// Drives the program through the headless backend as a user would: each action is input for
// the active window (or the frame), delivered as an event with the key or mouse code that
// made it, after which the driver waits until every thread is idle again. Keys reach a
// control as the Qt backend lets them (alert_keys.h). Used by the tests and the scenario
// runner.

#include <optional>
#include <string>

#include "runtime/headless_backend.h"

namespace runtime {

class HeadlessDriver {
 public:
  explicit HeadlessDriver(HeadlessBackend& backend) : backend_(backend) {}

  // Each returns false (and does nothing) when there is no active window or no such control.
  bool press(const std::string& label);                          // Accepted
  bool type(const std::string& label, const std::string& text);  // Accepted with the text
  // AlertKey, when the control takes the key; a typed character is its CP1251 byte in
  // keyChar with keyCode key::Character.
  bool key(const std::string& label, int keyCode, int keyChar = 0);
  bool scroll(const std::string& label, int eventCode);  // ScrollUp..ScrollBottom
  bool thumb(const std::string& label, int position);    // ScrollDrag
  bool selectRow(const std::string& label, int row);     // NewSelection
  bool close();                                          // CloseWindow
  bool closeFrame();                    // the frame's close button: the program closes down
  bool resize(int width, int height);   // Sized
  bool menu(int number);                // a menu entry of the frame
  bool toolbar(int number);             // a toolbar button of the frame
  bool focus(const std::string& proc);  // GainFocus to that procedure's window

  // Waits until every thread is idle; false after the timeout.
  bool settle();

  // The active window in the scenario transcript's format.
  std::string dump() const;

  std::optional<ControlSnapshot> control(const std::string& label) const;

 private:
  bool send(const std::string& label, Event event);
  bool focusOn(const std::string& label);
  bool sendToFrame(Event event);

  HeadlessBackend& backend_;
};

}  // namespace runtime
