#pragma once
// Inside the runtime: each thread's stack of windows (the newest is current and the older ones
// are blocked) and what the backend is shown of them.

#include <optional>

#include "runtime/thread_state.h"

namespace runtime::detail {

// The calling thread's current window; nullptr when it has none.
Window* topWindow();
// Gives the backend the window's state when it differs from what it was last given. Never
// while the procedure is being unwound: the variables its controls show may be gone.
void push(ThreadState& t, Window& w, bool blocked, bool force = false);
// Closes the thread's current window; the one below it becomes current.
void closeTop(ThreadState& t);

// Under lock().
std::optional<ThreadId> ownerLocked(WindowId window);
void resetWindowsLocked();

}  // namespace runtime::detail
