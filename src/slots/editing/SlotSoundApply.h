#pragma once

#include <cstdint>
#include <string_view>

namespace vorlune {

class SlotGrid;
class SlotStore;

enum class SlotSoundApplied { Applied, BarInPath, WriteFailed };

// What "应用" on the slot dialog's sound page does, and a file dropped onto a slot too: the
// name and the reference written, then the slot's button and label refreshed and every hotkey
// registered again. A path the list cannot hold is refused and nothing is written.
SlotSoundApplied ApplySlotSound(SlotStore& store, SlotGrid& grid, std::int32_t n,
                                std::string_view name, std::string_view path);

}  // namespace vorlune
