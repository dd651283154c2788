#pragma once

#include <cstdint>
#include <functional>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/HotkeyRegistry.h"
#include "hotkeys/SpecialHotkeys.h"

namespace vorlune {

// What the program does when one of its hotkeys fires.
class HotkeyActions {
  public:
    virtual ~HotkeyActions() = default;
    // Slot n's hotkey (1..209).
    virtual void OnSlotHotkey(std::int32_t slot) = 0;
    virtual void OnSpecialHotkey(SpecialHotkey which) = 0;
};

// Takes the ids the backend reports as fired for as long as it lives and runs their actions:
// id n is slot n, the special hotkeys have the ids of their table, other ids are ignored. With
// the registry, an id it does not register now does nothing either (a desktop portal keeps
// every hotkey bound while the master switch is off).
class HotkeyDispatch {
  public:
    HotkeyDispatch(HotkeyBackend& backend, HotkeyActions& actions);
    HotkeyDispatch(HotkeyBackend& backend, HotkeyActions& actions, const HotkeyRegistry& registry);
    ~HotkeyDispatch();
    HotkeyDispatch(const HotkeyDispatch&) = delete;
    HotkeyDispatch& operator=(const HotkeyDispatch&) = delete;

    void Dispatch(std::int32_t id);
    // Told of every id that acted, after its action: a desktop that binds whole sets passes its
    // shortcuts to no window, so the hotkey capture learns of them only here.
    void SetActedHandler(std::function<void(std::int32_t id)> acted) { acted_ = std::move(acted); }

  private:
    HotkeyBackend& backend_;
    HotkeyActions& actions_;
    const HotkeyRegistry* registry_ = nullptr;
    std::function<void(std::int32_t)> acted_;
};

}  // namespace vorlune
