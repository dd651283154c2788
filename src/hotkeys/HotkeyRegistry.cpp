#include "hotkeys/HotkeyRegistry.h"

#include "base/SettingsStore.h"

#include <vector>

namespace vorlune {

HotkeyRegistry::HotkeyRegistry(HotkeyBackend& backend, const SettingsStore& settings,
                               SlotHotkeyReader readSlotHotkey, HotkeyActions actions,
                               LabelWriter writeLabel, EventPump processPendingEvents)
    : backend_(backend),
      settings_(settings),
      readSlotHotkey_(std::move(readSlotHotkey)),
      actions_(std::move(actions)),
      writeLabel_(std::move(writeLabel)),
      processPendingEvents_(std::move(processPendingEvents)),
      claims_(backend) {
    backend_.SetFiredHandler([this](std::int32_t id) { Dispatch(id); });
}

HotkeyRegistry::~HotkeyRegistry() {
    backend_.SetFiredHandler(nullptr);
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
    const std::string pause = settings_.Read(setting::kPauseHotkey);
    const std::string stop = settings_.Read(setting::kStopHotkey);
    const std::string master = settings_.Read(setting::kMasterHotkey);
    std::vector<std::string> slotTexts;
    if (enabled) {
        // All texts first, so the backend can ask the system for every combination in one go.
        std::vector<HotkeyCombination> wanted;
        for (std::int32_t slot = hotkey_id::kFirstSlot; slot <= hotkey_id::kLastSlot; ++slot) {
            slotTexts.push_back(readSlotHotkey_ ? readSlotHotkey_(slot) : std::string());
            wanted.push_back(ParseStoredHotkey(slotTexts.back()));
        }
        for (const std::string* special : {&pause, &stop, &master}) {
            wanted.push_back(ParseStoredHotkey(*special));
        }
        backend_.BeginBatch(wanted);
        batchOpen_ = true;
    }
    for (std::int32_t slot = hotkey_id::kFirstSlot; slot <= hotkey_id::kLastSlot; ++slot) {
        if (enabled) {
            RegisterHotkey(slot, slotTexts[static_cast<std::size_t>(slot - hotkey_id::kFirstSlot)]);
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
    RegisterSpecial(hotkey_id::kPause, SpecialHotkey::Pause, pause, enabled);
    RegisterSpecial(hotkey_id::kStop, SpecialHotkey::Stop, stop, enabled);
    RegisterSpecial(hotkey_id::kMasterSwitch, SpecialHotkey::MasterSwitch, master, !master.empty());
    CloseBatch();
}

void HotkeyRegistry::RegisterSpecial(std::int32_t id, SpecialHotkey which,
                                     std::string_view storedText, bool enabled) {
    if (writeLabel_) {
        writeLabel_(which, StoredToDisplay(storedText));
    }
    if (enabled) {
        RegisterHotkey(id, storedText);
    } else {
        UnregisterHotkey(id);
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

void HotkeyRegistry::Dispatch(std::int32_t id) {
    const std::function<void()>* action = nullptr;
    if (id >= hotkey_id::kFirstSlot && id <= hotkey_id::kLastSlot) {
        action = &actions_.slotTriggers[static_cast<std::size_t>(id - hotkey_id::kFirstSlot)];
    } else if (id == hotkey_id::kPause) {
        action = &actions_.pauseOrResume;
    } else if (id == hotkey_id::kStop) {
        action = &actions_.stopSound;
    } else if (id == hotkey_id::kMasterSwitch) {
        action = &actions_.masterSwitch;
    }
    if (action != nullptr && *action) {
        (*action)();
    }
}

}  // namespace vorlune
