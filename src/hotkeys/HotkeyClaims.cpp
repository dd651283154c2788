#include "hotkeys/HotkeyClaims.h"

namespace vorlune {

bool HotkeyClaims::Claim(std::int32_t id, HotkeyCombination combination) {
    // Held already: releasing and grabbing it again would end the same way, slower. One whose
    // keys the system took back after a mapping change is tried afresh.
    if (Held(id) == combination && combination.key != 0 && backend_.StillHolds(id)) {
        return true;
    }
    Release(id);
    if (id == 0 || combination.key == 0) {
        return false;
    }
    if (const std::optional<std::int32_t> holder = HolderOf(combination)) {
        if (*holder < id) {
            return false;
        }
        Release(*holder);
    }
    if (!backend_.Grab(id, combination)) {
        return false;
    }
    held_[id] = combination;
    return true;
}

void HotkeyClaims::Release(std::int32_t id) {
    if (held_.erase(id) > 0) {
        backend_.Release(id);
    }
}

void HotkeyClaims::ReleaseAll() {
    for (const auto& [id, combination] : held_) {
        backend_.Release(id);
    }
    held_.clear();
}

std::optional<HotkeyCombination> HotkeyClaims::Held(std::int32_t id) const {
    const auto it = held_.find(id);
    return it == held_.end() ? std::nullopt : std::optional(it->second);
}

std::optional<std::int32_t> HotkeyClaims::HolderOf(HotkeyCombination combination) const {
    for (const auto& [id, held] : held_) {
        if (held == combination) {
            return id;
        }
    }
    return std::nullopt;
}

}  // namespace vorlune
