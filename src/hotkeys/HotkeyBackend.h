#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hotkeys/HotkeyText.h"

namespace vorlune {

// One hotkey as a desktop that binds whole sets is asked for it.
struct HotkeyBinding {
    std::int32_t id = 0;
    HotkeyCombination combination;
    std::string description;  // what the hotkey does, for the desktop to show (UTF-8)
    bool operator==(const HotkeyBinding&) const = default;
};

// What the desktop made of one id of a bound set: the trigger that fires it, in the desktop's
// own words (empty when it named none).
struct BoundTrigger {
    std::int32_t id = 0;
    std::string trigger;
    bool operator==(const BoundTrigger&) const = default;
};

// The system's global hotkeys: holds a key combination for an id, desktop-wide, and reports the
// id each time the combination is pressed (auto-repeat included). Conflicts between ids of this
// program are settled above the backend (HotkeyClaims); a backend only asks the system.
class HotkeyBackend {
  public:
    using FiredHandler = std::function<void(std::int32_t id)>;

    virtual ~HotkeyBackend() = default;

    // false when the system refuses: another program holds the combination, or the key does
    // not exist here. Called only for an id that holds nothing, with a key code other than 0.
    virtual bool Grab(std::int32_t id, HotkeyCombination combination) = 0;
    // Releasing an id that holds nothing is harmless.
    virtual void Release(std::int32_t id) = 0;
    // Whether an id that Grab gave its combination still holds it: a change of the keyboard
    // mapping moves keys, and the system may refuse them where they went.
    [[nodiscard]] virtual bool StillHolds(std::int32_t id) const {
        static_cast<void>(id);
        return true;
    }
    // A full registration is about to grab these combinations one by one, each for its id (the
    // first id of a combination is the one that gets it): a backend may ask the system for all
    // of them at once and answer the Grab calls that follow from that. A combination pressed
    // before its Grab call fires its id all the same. Whatever no Grab took by EndBatch is let
    // go again.
    virtual void BeginBatch(std::span<const HotkeyBinding> wanted) { static_cast<void>(wanted); }
    virtual void EndBatch() {}
    // Where fired ids go; runs on the user-interface thread from its event loop.
    virtual void SetFiredHandler(FiredHandler handler) = 0;
    // false when this session offers no global hotkeys at all (no X server); every Grab fails.
    [[nodiscard]] virtual bool Available() const = 0;
    // Whether what is grabbed fires only while a window of an X11 program has the focus: key
    // grabs through XWayland, in a Wayland session that offers no global-shortcuts portal.
    [[nodiscard]] virtual bool OnlyWithX11Focus() const { return false; }

    // A desktop's global-shortcuts portal takes the program's hotkeys as one set per session and
    // answers later, maybe after asking the user; it cannot give a single hotkey back. Such a
    // backend refuses every Grab and takes BindSet instead.
    [[nodiscard]] virtual bool BindsSets() const { return false; }
    // Hands the desktop the whole set, replacing the one it holds for this program; the answer
    // comes through the bound handler (once for sets handed over in quick succession).
    virtual void BindSet(const std::vector<HotkeyBinding>& /*set*/) {}
    // The triggers the desktop gave: after a BindSet, and again when the user changes them in the
    // desktop's settings. Ids it left out have no entry. Nothing when the desktop refused the
    // whole set or the session ended. Runs on the user-interface thread.
    using BoundHandler = std::function<void(const std::optional<std::vector<BoundTrigger>>&)>;
    virtual void SetBoundHandler(const BoundHandler& /*handler*/) {}
};

}  // namespace vorlune
