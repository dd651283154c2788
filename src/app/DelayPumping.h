#pragma once

namespace vorlune {

// Waits for the given time while events keep being dispatched, so clicks, hotkeys and timer
// ticks that arrive meanwhile run in full.
void DelayPumping(int milliseconds);

}  // namespace vorlune
