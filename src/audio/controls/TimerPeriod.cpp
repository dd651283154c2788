#include "audio/controls/TimerPeriod.h"

#include <QEventLoop>
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

void DelayPumping(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace vorlune
