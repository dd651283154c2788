#include "hotkeys/HotkeyDispatch.h"

#include "base/SlotCount.h"

namespace vorlune {

HotkeyDispatch::HotkeyDispatch(HotkeyBackend& backend, HotkeyActions& actions)
    : backend_(backend), actions_(actions) {
    backend_.SetFiredHandler([this](std::int32_t id) { Dispatch(id); });
}

HotkeyDispatch::HotkeyDispatch(HotkeyBackend& backend, HotkeyActions& actions,
                               const HotkeyRegistry& registry)
    : HotkeyDispatch(backend, actions) {
    registry_ = &registry;
}

HotkeyDispatch::~HotkeyDispatch() {
    backend_.SetFiredHandler(nullptr);
}

void HotkeyDispatch::Dispatch(std::int32_t id) {
    if (registry_ != nullptr && !registry_->Acts(id)) {
        return;
    }
    if (id >= 1 && id <= kSlotCount) {
        actions_.OnSlotHotkey(id);
    } else if (const SpecialHotkeyInfo* special = SpecialHotkeyWithId(id)) {
        actions_.OnSpecialHotkey(special->which);
    } else {
        return;
    }
    if (acted_) {
        // A copy: the handler may replace itself.
        const std::function<void(std::int32_t)> acted = acted_;
        acted(id);
    }
}

}  // namespace vorlune
