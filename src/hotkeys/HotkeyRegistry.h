#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/HotkeyClaims.h"
#include "hotkeys/SpecialHotkeys.h"

namespace vorlune {

class SettingsStore;

// Registers the program's 212 global hotkeys from their stored texts: slot n's under id n, the
// special hotkeys under the ids of their table. Registration is always redone in full after a
// change. What a fired hotkey does is HotkeyDispatch's.
class HotkeyRegistry {
  public:
    // Stored text of slot n's hotkey (empty when it has none).
    using SlotHotkeyReader = std::function<std::string(std::int32_t slot)>;
    // Shows a special hotkey's text (display form) in its label.
    using LabelWriter = std::function<void(SpecialHotkey, const std::string& displayText)>;
    // Lets waiting events (a hotkey pressed meanwhile, repaints) run; QCoreApplication::
    // processEvents in the program.
    using EventPump = std::function<void()>;

    HotkeyRegistry(HotkeyBackend& backend, const SettingsStore& settings,
                   SlotHotkeyReader readSlotHotkey, LabelWriter writeLabel,
                   EventPump processPendingEvents);
    ~HotkeyRegistry();
    HotkeyRegistry(const HotkeyRegistry&) = delete;
    HotkeyRegistry& operator=(const HotkeyRegistry&) = delete;

    // Releases the id's old combination and registers the one of `storedText`; false when
    // nothing is registered (empty text, a name of no key, a combination taken, a refusal).
    bool RegisterHotkey(std::int32_t id, std::string_view storedText);
    void UnregisterHotkey(std::int32_t id);

    // Slots 1-209 in order, then the special hotkeys in the order of their table, with the
    // switch read afresh: while it is off only a non-empty master switch hotkey is registered.
    // The three labels are written on every run. Waiting events run after each slot; when one
    // of them starts a new full registration (the master switch hotkey), that run is complete
    // and this one stops.
    void RegisterAllHotkeys();
    void UnregisterAllHotkeys();

    // Whether the id holds its combination now ("saved but not registered" when not).
    [[nodiscard]] bool IsRegistered(std::int32_t id) const { return claims_.Holds(id); }
    [[nodiscard]] bool HotkeysAvailable() const { return backend_.Available(); }

  private:
    void RegisterSpecial(const SpecialHotkeyInfo& special, std::string_view storedText,
                         bool enabled);
    void CloseBatch();

    HotkeyBackend& backend_;
    const SettingsStore& settings_;
    SlotHotkeyReader readSlotHotkey_;
    LabelWriter writeLabel_;
    EventPump processPendingEvents_;
    HotkeyClaims claims_;
    std::uint64_t runs_ = 0;
    bool batchOpen_ = false;
};

}  // namespace vorlune
