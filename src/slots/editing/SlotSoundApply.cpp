#include "slots/editing/SlotSoundApply.h"

#include "slots/SlotGrid.h"
#include "slots/SlotStore.h"

namespace vorlune {

SlotSoundApplied ApplySlotSound(SlotStore& store, SlotGrid& grid, std::int32_t n,
                                std::string_view name, std::string_view path) {
    if (!SlotListCanHoldPath(path)) {
        return SlotSoundApplied::BarInPath;
    }
    const bool written = store.WriteSlotName(n, name);
    const bool refWritten = store.WriteSlotRef(n, path);
    grid.RefreshSlot(n);
    return written && refWritten ? SlotSoundApplied::Applied : SlotSoundApplied::WriteFailed;
}

}  // namespace vorlune
