#pragma once

#include <cstdint>
#include <functional>

#include "base/AppState.h"
#include "base/DesktopServices.h"
#include "base/ProgramFolder.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "slots/SlotStore.h"

namespace vorlune {

// What the slot menu, the slot dialog and the restore of the default set need of the program.
struct SlotEditingServices {
    AppState& state;
    SlotStore& slotStore;
    SettingsStore& settings;
    const ProgramFolder& folder;
    Prompts& prompts;
    DesktopServices& desktop;
    // Reloads slot n's button and label from the store (no slot outside 1..209), then registers
    // every hotkey again.
    std::function<void(std::int32_t n)> refreshSlot;
    // Reloads all slots, then registers every hotkey again.
    std::function<void()> loadSlotGrid;
    // Whether the hotkey id holds its combination now.
    std::function<bool(std::int32_t id)> holdsHotkey;
    // Takes the main window out of always-on-top when the setting asks for it.
    std::function<void()> keepOnTopRelease;
};

}  // namespace vorlune
