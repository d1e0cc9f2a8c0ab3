#pragma once
// A window's timer as its snapshot sets it: a period in hundredths of a second, 0 for none.

class QTimer;

namespace gui {

// Restarts or stops the timer when the period changed (or on a window's first snapshot).
void applyTimerPeriod(QTimer& timer, int hundredths, int previous, bool first);

}  // namespace gui
