#include "hotkeys/HotkeyRegistry.h"

#include <array>
#include <vector>

#include "base/SettingsStore.h"
#include "slots/SlotStore.h"

namespace vorlune {

HotkeyRegistry::HotkeyRegistry(HotkeyBackend& backend, const SettingsStore& settings,
                               SlotHotkeyReader readSlotHotkey, LabelWriter writeLabel,
                               EventPump processPendingEvents)
    : backend_(backend),
      settings_(settings),
      readSlotHotkey_(std::move(readSlotHotkey)),
      writeLabel_(std::move(writeLabel)),
      processPendingEvents_(std::move(processPendingEvents)),
      claims_(backend) {}

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
        std::vector<HotkeyCombination> wanted;
        for (std::int32_t slot = 1; slot <= kSlotCount; ++slot) {
            slotTexts.push_back(readSlotHotkey_ ? readSlotHotkey_(slot) : std::string());
            wanted.push_back(ParseStoredHotkey(slotTexts.back()));
        }
        for (const std::string& special : specialTexts) {
            wanted.push_back(ParseStoredHotkey(special));
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
