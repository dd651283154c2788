#include "audio/controls/TimerPeriod.h"

#include <QTimer>

namespace vorlune {

void SetTimerPeriod(QTimer& timer, int milliseconds) {
    if (milliseconds <= 0) {
        timer.stop();
        return;
    }
    if (timer.isActive() && timer.interval() == milliseconds) {
        return;
    }
    timer.start(milliseconds);
}

}  // namespace vorlune
