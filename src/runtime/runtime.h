#pragma once
// The runtime: numbered procedure threads, their windows and event loops, and the requests a
// procedure makes of the backend (message boxes, popups, halt, cursor, beep).
//
// A procedure opens a window and runs one loop over event(); event() blocks until the next
// event of the thread's current window and returns 0 once the window is to close. Every
// function here that takes no window acts on the calling thread's current (newest) window.
// Windows of one thread stack: while a thread has a newer window, its older ones are blocked.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "runtime/backend.h"
#include "runtime/event.h"
#include "runtime/window.h"

namespace runtime {

// The program ends when its frame is closed: closeFrame() (or the frame's own close button)
// gives the current window of every other thread CloseDown. A procedure may refuse it with
// refuseClose(), and then every window stays open; once every other thread has ended, the
// frame's event() returns 0. While that runs, stopping() is true.

// Starts the runtime over a backend. Only one runtime runs at a time.
void init(Backend& backend);
// Stops every procedure thread (their event() returns 0, message boxes take their defaults)
// and joins them. init() may follow again.
void shutdown();

// Runs the program's main procedure on thread 1; when it returns (or after a halt) the backend
// is asked to quit with exit code 0, and so it is at once when the frame was asked to close
// before the procedure started.
void runMain(std::function<void()> proc);
// Starts a procedure on a new thread (numbers 1..255, never 0); 0 when none is free.
ThreadId start(std::function<void()> proc, size_t stackSize = 0);
// The calling thread's number; 0 on threads the runtime did not start.
ThreadId thread();
// True once the program is stopping (after a halt, or shutdown()) or its frame is closing.
// Long work checks it and ends through stopThread().
bool stopping();
// Ends the calling procedure at once; its windows close without being shown again.
[[noreturn]] void stopThread();
// Closes the frame as its close button does; from any thread.
void closeFrame();
// A close asked from outside the program (SIGTERM, SIGINT): the backend's frame closes as
// by its close button when there is one, else as closeFrame() does.
void closeFromOutside();

// Waits until every procedure thread is idle: blocked in event() with nothing queued for its
// current window. False when the time runs out.
bool waitIdle(std::chrono::milliseconds timeout = std::chrono::seconds(20));
// Waits until no procedure thread is left.
bool waitFinished(std::chrono::milliseconds timeout = std::chrono::seconds(20));

// --- windows (on the owning thread) ---
WindowId openWindow(const WindowDef& def);
void closeWindow();
bool hasWindow();
Window& window();
// A control of the current window. A number the window lacks is a fault: Debug builds stop
// the program, naming the number and the window; release builds give an inert stand-in that
// corrupts nothing. 0 (field() of a window event) always gives the stand-in.
Control& control(int number);
// The same control to look at: unlike control(), it does not mark the control as changed,
// so the window's next snapshot need not compare it.
const Control& readControl(int number);
int controlNumber(std::string_view label);  // 0 when none
void bind(int control, const Binding& binding);
// Makes a key reach the procedure as AlertKey when pressed on the control.
void alert(int control, int keyCode);
void clearAlerts(int control);

int event();
int field();
int accepted();  // the accepted control, or 0 when the event is not Accepted
int keyCode();
int keyChar();
void setKeyCode(int code);
// Keeps the window open after CloseWindow or CloseDown; refusing CloseDown calls the whole
// close-down of the program off.
void refuseClose();

void select(int control = 0);  // focus a control; 0 runs the validation pass (ends in Completed)
int focus();
void display(int control = 0);
void enable(int first, int last = 0);
void disable(int first, int last = 0);
void hide(int first, int last = 0);
void unhide(int first, int last = 0);
// A tool tip; for the frame toolbar's numbers it changes the shared toolbar.
void setTip(int control, std::string_view tip);
// Changes whenever a button of the shared toolbar changes (or the toolbar itself): a window
// that set the toolbar and finds the same number has nothing to set again.
uint64_t toolbarVersion();

void post(int code, int control = 0);
// Posts to the current window of another thread; GainFocus also activates that window.
void postToThread(ThreadId thread, int code, int control = 0);

// --- requests to the backend ---
int messageBox(std::string_view text, std::string_view caption, Icon icon, int buttons,
               int defaultButton);  // CP1251 texts
int popup(std::string_view menu);
[[noreturn]] void halt(std::string_view text);
void beep();
void setWaitCursor(bool on);
ThreadId activeThread();

// --- input from the backend (any thread) ---
void deliver(WindowId window, const Event& event);

// Thrown by halt() and stopThread() (and by a message box or popup answered after the program
// stopped) to unwind the procedure's thread; caught where the runtime started that thread.
// Procedure code never catches them.
struct Halted {};
struct Stopped {};

}  // namespace runtime
