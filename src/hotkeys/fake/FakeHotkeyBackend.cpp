#include "hotkeys/fake/FakeHotkeyBackend.h"

namespace vorlune {

bool FakeHotkeyBackend::Grab(std::int32_t id, HotkeyCombination combination) {
    ++grabCalls_;
    if (!available_ || heldElsewhere_.contains(Key(combination))) {
        return false;
    }
    // The system itself also refuses a combination held twice and a second grab of an id.
    if (held_.contains(id)) {
        return false;
    }
    for (const auto& [other, held] : held_) {
        if (held == combination) {
            return false;
        }
    }
    held_[id] = combination;
    return true;
}

void FakeHotkeyBackend::Release(std::int32_t id) {
    ++releaseCalls_;
    held_.erase(id);
}

bool FakeHotkeyBackend::Fire(std::int32_t id) {
    if (!held_.contains(id)) {
        return false;
    }
    if (handler_) {
        handler_(id);
    }
    return true;
}

bool FakeHotkeyBackend::Press(HotkeyCombination combination) {
    for (const auto& [id, held] : held_) {
        if (held == combination) {
            return Fire(id);
        }
    }
    return false;
}

std::optional<HotkeyCombination> FakeHotkeyBackend::Held(std::int32_t id) const {
    const auto it = held_.find(id);
    return it == held_.end() ? std::nullopt : std::optional(it->second);
}

}  // namespace vorlune
