#pragma once

#include <cstdint>
#include <string_view>

#include "base/AppState.h"

namespace vorlune {

// Makes slot n the current slot: its section "音效<n>", the reference its button carries and
// its number. The slot menu does this on every right-click, the trigger path before it offers
// the slot dialog.
void SelectSlot(AppState& state, std::int32_t n, std::string_view tag);

// The slot number of a section name: the ASCII digits after its last "效"; 0 when there are
// none (an empty section, or the special hotkeys' dialogs).
std::int32_t SlotNumberOfSection(std::string_view section);

}  // namespace vorlune
