#pragma once
// Drives the program through the headless backend as a user would: each action is input for
// the active window (or the frame), delivered as an event, after which the driver waits until
// every thread is idle again. Used by the tests and the scenario runner.

#include <optional>
#include <string>

#include "runtime/headless_backend.h"

namespace runtime {

class HeadlessDriver {
 public:
  explicit HeadlessDriver(HeadlessBackend& backend) : backend_(backend) {}

  // Each returns false (and does nothing) when there is no active window or no such control.
  bool press(const std::string& label);                              // Accepted
  bool type(const std::string& label, const std::string& text);      // Accepted with the text
  bool key(const std::string& label, int keyCode, int keyChar = 0);  // AlertKey
  bool scroll(const std::string& label, int eventCode);              // ScrollUp..ScrollBottom
  bool thumb(const std::string& label, int position);                // ScrollDrag
  bool selectRow(const std::string& label, int row);                 // NewSelection
  bool close();                                                      // CloseWindow
  bool resize(int width, int height);                                // Sized
  bool menu(int number);                                             // a menu entry of the frame
  bool toolbar(int number);             // a toolbar button of the frame
  bool focus(const std::string& proc);  // GainFocus to that procedure's window

  // Waits until every thread is idle; false after the timeout.
  bool settle();

  // The active window in the scenario transcript's format.
  std::string dump() const;

  std::optional<ControlSnapshot> control(const std::string& label) const;

 private:
  bool send(const std::string& label, Event event);
  bool sendToFrame(Event event);

  HeadlessBackend& backend_;
};

}  // namespace runtime
