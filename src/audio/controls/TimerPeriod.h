#pragma once

class QTimer;

namespace vorlune {

// Sets a timer's period the way the program's timers work: 0 stops it; a running timer that
// already has this period keeps running and its next tick is not moved.
void SetTimerPeriod(QTimer& timer, int milliseconds);

}  // namespace vorlune
