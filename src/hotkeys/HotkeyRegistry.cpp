#include "hotkeys/HotkeyRegistry.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "base/SettingsStore.h"
#include "base/SlotCount.h"

namespace vorlune {

std::string OtherTriggerNotice(const std::vector<OtherTrigger>& others) {
    if (others.empty()) {
        return {};
    }
    const OtherTrigger& first = others.front();
    if (others.size() > 1) {
        return "桌面没有按保存的组合接受 " + std::to_string(others.size()) + " 个热键，例如【" +
               first.name + "】：" + (first.trigger.empty() ? "未指定" : first.trigger);
    }
    if (first.trigger.empty()) {
        return "桌面没有接受【" + first.name + "】的热键 " + first.stored;
    }
    return "桌面把【" + first.name + "】的热键定为 " + first.trigger + "，而不是 " + first.stored;
}

HotkeyRegistry::HotkeyRegistry(HotkeyBackend& backend, const SettingsStore& settings,
                               SlotHotkeyReader readSlotHotkey, LabelWriter writeLabel,
                               EventPump processPendingEvents, SlotNameReader readSlotName)
    : backend_(backend),
      settings_(settings),
      readSlotHotkey_(std::move(readSlotHotkey)),
      writeLabel_(std::move(writeLabel)),
      processPendingEvents_(std::move(processPendingEvents)),
      readSlotName_(std::move(readSlotName)),
      claims_(backend) {
    if (backend_.BindsSets()) {
        bound_ = std::make_unique<BoundHotkeys>(backend_);
    }
}

HotkeyRegistry::~HotkeyRegistry() {
    UnregisterAllHotkeys();
}

bool HotkeyRegistry::RegisterHotkey(std::int32_t id, std::string_view storedText) {
    return claims_.Claim(id, ParseStoredHotkey(storedText));
}

void HotkeyRegistry::UnregisterHotkey(std::int32_t id) {
    claims_.Release(id);
}

void HotkeyRegistry::RegisterAllHotkeys() {
    if (bound_) {
        RegisterAllAsSet();
        return;
    }
    const std::uint64_t run = ++runs_;
    // Started from a hotkey inside another run: that run's batch ends here, and so does it.
    CloseBatch();
    const bool enabled = settings_.ReadInt(setting::kHotkeysOn) == 1;
    std::array<std::string, kSpecialHotkeys.size()> specialTexts;
    for (std::size_t i = 0; i < kSpecialHotkeys.size(); ++i) {
        specialTexts[i] = settings_.Read(kSpecialHotkeys[i].setting);
    }
    std::vector<std::string> slotTexts;
    if (enabled) {
        // All texts first, so the backend can ask the system for every combination in one go.
        std::vector<HotkeyBinding> wanted;
        for (std::int32_t slot = 1; slot <= kSlotCount; ++slot) {
            slotTexts.push_back(readSlotHotkey_ ? readSlotHotkey_(slot) : std::string());
            wanted.push_back({slot, ParseStoredHotkey(slotTexts.back()), {}});
        }
        for (std::size_t i = 0; i < kSpecialHotkeys.size(); ++i) {
            wanted.push_back({kSpecialHotkeys[i].id, ParseStoredHotkey(specialTexts[i]), {}});
        }
        backend_.BeginBatch(wanted);
        batchOpen_ = true;
    }
    for (std::int32_t slot = 1; slot <= kSlotCount; ++slot) {
        if (enabled) {
            RegisterHotkey(slot, slotTexts[static_cast<std::size_t>(slot - 1)]);
        } else {
            UnregisterHotkey(slot);
        }
        if (processPendingEvents_) {
            processPendingEvents_();
        }
        // A hotkey run meanwhile re-registered everything from the current settings; going on
        // with this run's older switch value would undo that.
        if (runs_ != run) {
            return;
        }
    }
    // The special hotkeys read their texts when the run began, like the slots.
    for (std::size_t i = 0; i < kSpecialHotkeys.size(); ++i) {
        const SpecialHotkeyInfo& special = kSpecialHotkeys[i];
        const std::string& text = specialTexts[i];
        RegisterSpecial(special, text, special.independentOfSwitch ? !text.empty() : enabled);
    }
    CloseBatch();
}

void HotkeyRegistry::RegisterSpecial(const SpecialHotkeyInfo& special, std::string_view storedText,
                                     bool enabled) {
    if (writeLabel_) {
        writeLabel_(special.which, StoredToDisplay(storedText));
    }
    if (enabled) {
        RegisterHotkey(special.id, storedText);
    } else {
        UnregisterHotkey(special.id);
    }
}

void HotkeyRegistry::RegisterAllAsSet() {
    const bool enabled = settings_.ReadInt(setting::kHotkeysOn) == 1;
    std::vector<HotkeyBinding> set;
    std::map<std::pair<std::uint32_t, std::int32_t>, std::int32_t> holders;
    active_.clear();
    // Slots first, then the special hotkeys in the order of their table: the first holder of a
    // combination keeps it, as with key grabs.
    const auto add = [&](std::int32_t id, std::string_view storedText, std::string description,
                         bool acts) {
        const HotkeyCombination combination = ParseStoredHotkey(storedText);
        if (!acts || combination.key == 0 ||
            !holders.try_emplace({combination.modifiers, combination.key}, id).second) {
            return;
        }
        set.push_back({id, combination, std::move(description)});
        active_.insert(id);
    };
    for (std::int32_t slot = 1; slot <= kSlotCount; ++slot) {
        add(slot, readSlotHotkey_ ? readSlotHotkey_(slot) : std::string(),
            readSlotName_ ? readSlotName_(slot) : std::string(), enabled);
    }
    for (const SpecialHotkeyInfo& special : kSpecialHotkeys) {
        const std::string text = settings_.Read(special.setting);
        if (writeLabel_) {
            writeLabel_(special.which, StoredToDisplay(text));
        }
        add(special.id, text, std::string(special.dialogName),
            special.independentOfSwitch || enabled);
    }
    // A slot without a name still needs words for the desktop to show.
    for (HotkeyBinding& binding : set) {
        if (binding.description.empty()) {
            binding.description = "音效" + std::to_string(binding.id);
        }
    }
    bound_->Bind(std::move(set));
}

bool HotkeyRegistry::IsRegistered(std::int32_t id) const {
    if (bound_) {
        return active_.contains(id) && bound_->StateOf(id) == BoundHotkeys::State::Held;
    }
    return claims_.Holds(id);
}

bool HotkeyRegistry::AwaitsDesktop(std::int32_t id) const {
    return bound_ && active_.contains(id) && bound_->StateOf(id) == BoundHotkeys::State::Waiting;
}

bool HotkeyRegistry::Acts(std::int32_t id) const {
    return !bound_ || active_.contains(id);
}

std::vector<OtherTrigger> HotkeyRegistry::OtherTriggers() const {
    std::vector<OtherTrigger> others;
    if (!bound_) {
        return others;
    }
    for (const HotkeyBinding& binding : bound_->Set()) {
        if (!active_.contains(binding.id)) {
            continue;
        }
        if (std::optional<std::string> trigger = bound_->OtherTrigger(binding.id)) {
            const SpecialHotkeyInfo* special = SpecialHotkeyWithId(binding.id);
            const std::string stored = special != nullptr
                                           ? settings_.Read(special->setting)
                                           : (readSlotHotkey_ ? readSlotHotkey_(binding.id) : "");
            others.push_back(
                {binding.id, binding.description, StoredToDisplay(stored), std::move(*trigger)});
        }
    }
    return others;
}

void HotkeyRegistry::SetAnsweredHandler(std::function<void()> answered) {
    if (bound_) {
        bound_->SetAnsweredHandler(std::move(answered));
    }
}

bool HotkeyRegistry::DesktopRefused() const {
    return bound_ && bound_->Lost();
}

bool HotkeyRegistry::AskDesktopAgain() {
    if (!DesktopRefused()) {
        return false;
    }
    bound_->BindAgain();
    return true;
}

std::optional<std::string> HotkeyRegistry::StoredTextOf(std::int32_t id) const {
    std::string text;
    if (const SpecialHotkeyInfo* special = SpecialHotkeyWithId(id)) {
        text = settings_.Read(special->setting);
    } else if (id >= 1 && id <= kSlotCount && readSlotHotkey_) {
        text = readSlotHotkey_(id);
    }
    return text.empty() ? std::nullopt : std::optional<std::string>(std::move(text));
}

void HotkeyRegistry::UnregisterAllHotkeys() {
    CloseBatch();
    claims_.ReleaseAll();
}

void HotkeyRegistry::CloseBatch() {
    if (batchOpen_) {
        batchOpen_ = false;
        backend_.EndBatch();
    }
}

}  // namespace vorlune
