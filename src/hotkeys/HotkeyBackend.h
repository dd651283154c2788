#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "hotkeys/HotkeyText.h"

namespace vorlune {

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
    // A full registration is about to grab these combinations one by one: a backend may ask
    // the system for all of them at once and answer the Grab calls that follow from that.
    // Whatever no Grab took by EndBatch is let go again.
    virtual void BeginBatch(std::span<const HotkeyCombination> combinations) {
        static_cast<void>(combinations);
    }
    virtual void EndBatch() {}
    // Where fired ids go; runs on the user-interface thread from its event loop.
    virtual void SetFiredHandler(FiredHandler handler) = 0;
    // false when this session offers no global hotkeys at all (no X server); every Grab fails.
    [[nodiscard]] virtual bool Available() const = 0;
};

}  // namespace vorlune
