#include "hotkeys/fake/FakeHotkeyBackend.h"

#include <algorithm>

#include "hotkeys/portal/XdgShortcut.h"

namespace vorlune {

bool FakeHotkeyBackend::Grab(std::int32_t id, HotkeyCombination combination) {
    ++grabCalls_;
    if (!available_ || bindsSets_ || heldElsewhere_.contains(Key(combination))) {
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
    const bool inSet =
        bindsSets_ && !sets_.empty() &&
        std::ranges::any_of(sets_.back(), [id](const HotkeyBinding& b) { return b.id == id; });
    if (!held_.contains(id) && !inSet) {
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

void FakeHotkeyBackend::Answer(const std::map<std::int32_t, std::string>& others) {
    std::vector<BoundTrigger> triggers;
    if (!sets_.empty()) {
        for (const HotkeyBinding& binding : sets_.back()) {
            const auto other = others.find(binding.id);
            if (other == others.end()) {
                triggers.push_back({binding.id, XdgTrigger(binding.combination).value_or("")});
            } else if (other->second != "-") {
                triggers.push_back({binding.id, other->second});
            }
        }
    }
    if (bound_) {
        const BoundHandler bound = bound_;
        bound(triggers);
    }
}

void FakeHotkeyBackend::AnswerNothing() {
    if (bound_) {
        const BoundHandler bound = bound_;
        bound(std::nullopt);
    }
}

std::optional<HotkeyCombination> FakeHotkeyBackend::Held(std::int32_t id) const {
    const auto it = held_.find(id);
    return it == held_.end() ? std::nullopt : std::optional(it->second);
}

}  // namespace vorlune
