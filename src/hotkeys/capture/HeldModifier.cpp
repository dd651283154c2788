#include "hotkeys/capture/HeldModifier.h"

namespace vorlune {
namespace {

// The generic code of a left/right-specific modifier key, or 0 for any other key.
std::int32_t ModifierOf(std::int32_t virtualKey) {
    switch (virtualKey) {
        case 160:
        case 161:
            return 16;
        case 162:
        case 163:
            return 17;
        case 164:
        case 165:
            return 18;
        case 91:
        case 92:
            return 91;
        default:
            return 0;
    }
}

}  // namespace

std::int32_t NextHeldModifier(std::int32_t held, const KeyEvent& event) {
    const std::int32_t modifier = ModifierOf(event.virtualKey);
    if (modifier == 0) {
        return held;
    }
    return event.pressed ? modifier : 0;
}

}  // namespace vorlune
