#pragma once
// Inside the runtime: each thread's stack of windows (the newest is current and the older ones
// are blocked) and what the backend is shown of them.

#include <chrono>
#include <optional>

#include "runtime/thread_state.h"

namespace runtime::detail {

// The calling thread's current window; nullptr when it has none.
Window* topWindow();
// Gives the backend the window's state when it differs from what it was last given. Never
// while the procedure is being unwound: the variables its controls show may be gone.
void push(ThreadState& t, Window& w, bool blocked, bool force = false);
// A display() inside a long loop reaches the backend at most this often, and the events a
// busy thread finds queued are taken one after another for as long without showing the window
// in between; event() always brings the backend up to date before it blocks.
inline constexpr auto kDisplayInterval = std::chrono::milliseconds(40);
// Closes the thread's current window; the one below it becomes current.
void closeTop(ThreadState& t);

// Under lock().
std::optional<ThreadId> ownerLocked(WindowId window);
void resetWindowsLocked();

}  // namespace runtime::detail
