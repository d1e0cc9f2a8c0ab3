#include "gui/window_timer.h"

#include <QTimer>

namespace gui {

void applyTimerPeriod(QTimer& timer, int hundredths, int previous, bool first) {
  if (!first && hundredths == previous) return;
  if (hundredths > 0) {
    timer.start(hundredths * 10);
  } else {
    timer.stop();
  }
}

}  // namespace gui
