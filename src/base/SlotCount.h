#pragma once

namespace vorlune {

// The program's slots are numbered 1 to 209; slot n's hotkey has id n. Below both the slot store
// and the hotkeys, which number their ids after the slots.
inline constexpr int kSlotCount = 209;

}  // namespace vorlune
