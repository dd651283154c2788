#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hotkeys/BoundHotkeys.h"
#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/HotkeyClaims.h"
#include "hotkeys/SpecialHotkeys.h"

namespace vorlune {

class SettingsStore;

// A hotkey whose combination the desktop did not take as asked: it gave another trigger, or
// none (empty).
struct OtherTrigger {
    std::int32_t id = 0;
    std::string name;     // the slot's or the special hotkey's name
    std::string stored;   // display form of the stored text
    std::string trigger;  // in the desktop's words
    bool operator==(const OtherTrigger&) const = default;
};

// What the status bar says of hotkeys the desktop did not take as asked; empty when there are
// none.
std::string OtherTriggerNotice(const std::vector<OtherTrigger>& others);

// Registers the program's 212 global hotkeys from their stored texts: slot n's under id n, the
// special hotkeys under the ids of their table. Registration is always redone in full after a
// change. What a fired hotkey does is HotkeyDispatch's.
//
// On a desktop that binds whole sets (the global-shortcuts portal) registering means handing
// over the set of the combinations that are to act (the first holder keeping a combination), and
// again only when that set changed: a bind may ask the user, and the portal cannot give a single
// hotkey back. While the master switch is off the set holds only the master switch hotkey, as
// the grabs do: the keys go back to the program that has the focus (the game a host plays),
// and a master switch hotkey that a slot holds while the switch is on works to turn it on again.
class HotkeyRegistry {
  public:
    // Stored text of slot n's hotkey (empty when it has none).
    using SlotHotkeyReader = std::function<std::string(std::int32_t slot)>;
    // Slot n's name, which a desktop shows beside the slot's hotkey.
    using SlotNameReader = std::function<std::string(std::int32_t slot)>;
    // Shows a special hotkey's text (display form) in its label.
    using LabelWriter = std::function<void(SpecialHotkey, const std::string& displayText)>;
    // Lets waiting events (a hotkey pressed meanwhile, repaints) run; QCoreApplication::
    // processEvents in the program.
    using EventPump = std::function<void()>;

    HotkeyRegistry(HotkeyBackend& backend, const SettingsStore& settings,
                   SlotHotkeyReader readSlotHotkey, LabelWriter writeLabel,
                   EventPump processPendingEvents, SlotNameReader readSlotName = nullptr);
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
    [[nodiscard]] bool IsRegistered(std::int32_t id) const;
    // Whether the desktop has not answered yet for the id (it may be asking the user).
    [[nodiscard]] bool AwaitsDesktop(std::int32_t id) const;
    // Whether a fired id is to act now: always with key grabs (the system fires only what is
    // held); on a set-binding desktop only an id the last run registers.
    [[nodiscard]] bool Acts(std::int32_t id) const;
    [[nodiscard]] bool HotkeysAvailable() const { return backend_.Available(); }
    // Whether the desktop binds whole sets (the global-shortcuts portal).
    [[nodiscard]] bool BindsSets() const { return bound_ != nullptr; }
    // The hotkeys registered now whose combination the desktop did not take as asked.
    [[nodiscard]] std::vector<OtherTrigger> OtherTriggers() const;
    // Runs after every answer of a set-binding desktop, also when the user changed a trigger in
    // the desktop's settings.
    void SetAnsweredHandler(std::function<void()> answered);
    // Whether a set-binding desktop holds none of the hotkeys it was given: the user cancelled
    // its dialog, or it closed the session. Nothing binds again by itself then.
    [[nodiscard]] bool DesktopRefused() const;
    // Asks the desktop again for the same set, when it refused; false when there was nothing
    // to ask again.
    bool AskDesktopAgain();
    // Whether a fired id's combination, as stored now; nothing for an id the registry does not
    // know or that holds none.
    [[nodiscard]] std::optional<std::string> StoredTextOf(std::int32_t id) const;
    // Whether hotkeys fire only while a window of an X11 program has the focus (key grabs
    // through XWayland in a Wayland session).
    [[nodiscard]] bool OnlyWithX11Focus() const { return backend_.OnlyWithX11Focus(); }

  private:
    void RegisterAllAsSet();
    void RegisterSpecial(const SpecialHotkeyInfo& special, std::string_view storedText,
                         bool enabled);
    void CloseBatch();

    HotkeyBackend& backend_;
    const SettingsStore& settings_;
    SlotHotkeyReader readSlotHotkey_;
    LabelWriter writeLabel_;
    EventPump processPendingEvents_;
    SlotNameReader readSlotName_;
    HotkeyClaims claims_;
    std::uint64_t runs_ = 0;
    bool batchOpen_ = false;
    // Only on a set-binding desktop: the set it holds, and the ids the last run registers.
    std::unique_ptr<BoundHotkeys> bound_;
    std::set<std::int32_t> active_;
};

}  // namespace vorlune
