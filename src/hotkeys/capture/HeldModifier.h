#pragma once

#include <cstdint>

#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// The modifier a capture combines with the next key: only the one pressed last is tracked, as
// 16 (Shift), 17 (Ctrl), 18 (Alt) or 91 (Windows), and the release of any modifier key sets it
// back to 0, even while another one is still held down. Other keys leave it as it is.
std::int32_t NextHeldModifier(std::int32_t held, const KeyEvent& event);

}  // namespace vorlune
