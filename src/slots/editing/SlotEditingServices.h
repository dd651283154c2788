#pragma once

#include "base/AppState.h"
#include "base/DesktopServices.h"
#include "base/OnTopRelease.h"
#include "base/ProgramFolder.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "hotkeys/HotkeyRegistry.h"
#include "slots/SlotGrid.h"
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
    // Reloads a slot's button and label, or all of them, after a change to the store; every
    // hotkey is registered again after it.
    SlotGrid& grid;
    // Whether a hotkey id holds its combination now; asks a desktop that refused them again.
    HotkeyRegistry& hotkeys;
    OnTopRelease& onTop;
};

}  // namespace vorlune
