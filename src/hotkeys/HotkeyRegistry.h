#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/HotkeyClaims.h"

namespace vorlune {

class SettingsStore;

// Ids of the program's hotkeys: slot n has id n.
namespace hotkey_id {
inline constexpr std::int32_t kFirstSlot = 1;
inline constexpr std::int32_t kLastSlot = 209;
inline constexpr std::int32_t kPause = 844;
inline constexpr std::int32_t kStop = 855;
inline constexpr std::int32_t kMasterSwitch = 886;
}  // namespace hotkey_id

inline constexpr std::size_t kSlotHotkeyCount = 209;

// The three hotkeys of the control strip, each shown in its own label.
enum class SpecialHotkey { Pause, Stop, MasterSwitch };

// What each hotkey does when pressed: slotTriggers[n - 1] is a click on slot n.
struct HotkeyActions {
    std::array<std::function<void()>, kSlotHotkeyCount> slotTriggers;
    std::function<void()> pauseOrResume;
    std::function<void()> stopSound;
    std::function<void()> masterSwitch;
};

// Registers the program's 212 global hotkeys from their stored texts and runs the action of a
// hotkey that fires. Registration is always redone in full after a change.
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
                   SlotHotkeyReader readSlotHotkey, HotkeyActions actions, LabelWriter writeLabel,
                   EventPump processPendingEvents);
    ~HotkeyRegistry();
    HotkeyRegistry(const HotkeyRegistry&) = delete;
    HotkeyRegistry& operator=(const HotkeyRegistry&) = delete;

    // Releases the id's old combination and registers the one of `storedText`; false when
    // nothing is registered (empty text, a name of no key, a combination taken, a refusal).
    bool RegisterHotkey(std::int32_t id, std::string_view storedText);
    void UnregisterHotkey(std::int32_t id);

    // Slots 1-209 in order, then pause, stop and master switch, with the switch read afresh:
    // while it is off only the master switch hotkey is registered. The three labels are written
    // on every run. Waiting events run after each slot; when one of them starts a new full
    // registration (the master switch hotkey), that run is complete and this one stops.
    void RegisterAllHotkeys();
    void UnregisterAllHotkeys();

    // Whether the id holds its combination now ("saved but not registered" when not).
    bool IsRegistered(std::int32_t id) const { return claims_.Holds(id); }
    bool HotkeysAvailable() const { return backend_.Available(); }

    // Runs the action of a fired id; ids without an action are ignored.
    void Dispatch(std::int32_t id);

  private:
    void RegisterSpecial(std::int32_t id, SpecialHotkey which, std::string_view storedText,
                         bool enabled);
    void CloseBatch();

    HotkeyBackend& backend_;
    const SettingsStore& settings_;
    SlotHotkeyReader readSlotHotkey_;
    HotkeyActions actions_;
    LabelWriter writeLabel_;
    EventPump processPendingEvents_;
    HotkeyClaims claims_;
    std::uint64_t runs_ = 0;
    bool batchOpen_ = false;
};

}  // namespace vorlune
