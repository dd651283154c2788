#include "hotkeys/BoundHotkeys.h"

#include <algorithm>

#include "hotkeys/portal/XdgShortcut.h"

namespace vorlune {
namespace {

// The ids and combinations of a set, in id order: what decides whether it must be bound anew.
std::vector<std::pair<std::int32_t, HotkeyCombination>> Combinations(
    const std::vector<HotkeyBinding>& set) {
    std::vector<std::pair<std::int32_t, HotkeyCombination>> combinations;
    combinations.reserve(set.size());
    for (const HotkeyBinding& binding : set) {
        combinations.emplace_back(binding.id, binding.combination);
    }
    std::ranges::sort(combinations, {}, &std::pair<std::int32_t, HotkeyCombination>::first);
    return combinations;
}

}  // namespace

BoundHotkeys::BoundHotkeys(HotkeyBackend& backend) : backend_(backend) {
    backend_.SetBoundHandler(
        [this](const std::optional<std::vector<BoundTrigger>>& triggers) { OnAnswer(triggers); });
}

BoundHotkeys::~BoundHotkeys() {
    backend_.SetBoundHandler(nullptr);
}

bool BoundHotkeys::Bind(std::vector<HotkeyBinding> set) {
    if (binds_ > 0 && Combinations(set) == Combinations(set_)) {
        // Same combinations: a new name is kept for the next bind, nothing is asked now.
        set_ = std::move(set);
        return false;
    }
    set_ = std::move(set);
    BindAgain();
    return true;
}

void BoundHotkeys::BindAgain() {
    hasAnswer_ = false;
    lost_ = false;
    triggers_.clear();
    ++binds_;
    backend_.BindSet(set_);
}

bool BoundHotkeys::Contains(std::int32_t id) const {
    return std::ranges::any_of(set_, [id](const HotkeyBinding& b) { return b.id == id; });
}

BoundHotkeys::State BoundHotkeys::StateOf(std::int32_t id) const {
    const auto binding =
        std::ranges::find_if(set_, [id](const HotkeyBinding& b) { return b.id == id; });
    if (binding == set_.end()) {
        return State::Refused;
    }
    if (!hasAnswer_) {
        return State::Waiting;
    }
    const auto trigger = triggers_.find(id);
    return trigger != triggers_.end() && TriggerDescribes(trigger->second, binding->combination)
               ? State::Held
               : State::Refused;
}

std::optional<std::string> BoundHotkeys::OtherTrigger(std::int32_t id) const {
    if (!hasAnswer_ || !Contains(id) || StateOf(id) != State::Refused) {
        return std::nullopt;
    }
    const auto trigger = triggers_.find(id);
    return trigger != triggers_.end() ? trigger->second : std::string();
}

void BoundHotkeys::OnAnswer(const std::optional<std::vector<BoundTrigger>>& triggers) {
    hasAnswer_ = true;
    lost_ = !triggers && !set_.empty();
    triggers_.clear();
    if (triggers) {
        for (const BoundTrigger& bound : *triggers) {
            triggers_[bound.id] = bound.trigger;
        }
    }
    if (answered_) {
        // A copy: the handler may bind a new set.
        const std::function<void()> answered = answered_;
        answered();
    }
}

}  // namespace vorlune
