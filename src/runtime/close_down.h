#pragma once
// Inside the runtime: closing the frame closes the program. Every other thread's current
// window gets CloseDown; a procedure may refuse it (refuseClose()), which calls the whole
// close-down off and leaves every window open. Threads are asked one at a time, those whose
// current window stands over another (a card over its list, which may hold unsaved work)
// first, so that a refusal finds every window still open and the order never varies. Once no other
// procedure thread is left, the frame's own event() ends its loop. While a close-down runs,
// stopping() is true, so that long work (a wait for a file, a conversion, a key rebuild) ends
// instead of holding it up.

#include "runtime/thread_state.h"

namespace runtime::detail {

bool closeDownActive();

// All under lock().
void resetCloseDownLocked();
void frameOpenedLocked(ThreadState& t, WindowId frame);
void frameClosedLocked(WindowId window);
bool isFrameLocked(WindowId window);
// Begins a close-down unless one is running.
void requestCloseDownLocked();
void refuseCloseDownLocked();
// Brings the next threads into a running close-down once the ones asked first are done.
void askNextLocked();
// Gives a thread's new current window its CloseDown when the thread is part of a close-down.
void windowBecameCurrentLocked(ThreadState& t);
// True when the frame's event() is to end: a close-down that every other thread went along with.
bool closeDownDoneLocked(const ThreadState& t, WindowId window);

}  // namespace runtime::detail
