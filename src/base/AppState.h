#pragma once

#include <cstdint>
#include <string>

namespace vorlune {

// The one program-wide state record, created empty before the main window and touched only on
// the user-interface thread. Handlers read its values afresh each time they need them, because
// a hotkey or timer may run inside another handler that is waiting.
struct AppState {
    // The slot triggered last: its number, name and stored hotkey text.
    struct {
        std::int32_t number = 0;
        std::string name;
        std::string hotkey;
    } lastTriggered;

    // The slot the slot menu and the slot dialog act on.
    std::string currentSlotSection;
    std::string currentSlotRef;
    std::int32_t currentSlotNumber = 0;
};

}  // namespace vorlune
