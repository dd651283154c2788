#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/x11/X11KeyWatcher.h"
#include "hotkeys/x11/X11Keymap.h"
#include "hotkeys/x11/XcbConnection.h"

namespace vorlune {

// Global hotkeys as passive key grabs on the root window. Like the system hotkeys of Windows,
// a combination fires only with exactly its modifiers held (CapsLock and NumLock aside) and
// fires again on every auto-repeat. A hotkey on a modifier key (Win键, Ctrl+Shift键) is not
// grabbed: while a grabbed key is held, the server sends every other key to the grabbing
// program, so Win+E would stop working for the desktop and typed keys would be lost. Such a
// hotkey watches the keys instead (as the capture does, through XInput 2 raw key events) and
// fires when its key goes down while exactly its modifiers are held by other keys.
class X11HotkeyBackend final : public HotkeyBackend {
  public:
    explicit X11HotkeyBackend(std::unique_ptr<XcbConnection> connection,
                              bool throughXWayland = false);
    ~X11HotkeyBackend() override;

    bool Grab(std::int32_t id, HotkeyCombination combination) override;
    void Release(std::int32_t id) override;
    [[nodiscard]] bool StillHolds(std::int32_t id) const override;
    void BeginBatch(std::span<const HotkeyBinding> wanted) override;
    void EndBatch() override;
    void SetFiredHandler(FiredHandler handler) override { fired_ = std::move(handler); }
    [[nodiscard]] bool Available() const override { return !connection_->Broken(); }
    [[nodiscard]] bool OnlyWithX11Focus() const override { return throughXWayland_; }

  private:
    struct Held {
        HotkeyCombination combination;
        std::uint16_t modifiers = 0;  // X modifier bits of the combination
        std::vector<xcb_keycode_t> keycodes;
        bool watched = false;  // a modifier key: watched, never grabbed
    };

    // A combination grabbed ahead by BeginBatch, waiting for its Grab call.
    struct Prefetched {
        std::int32_t id = 0;  // the id it is grabbed for
        Held keys;
        bool granted = false;
        bool taken = false;
    };

    // X modifier bits for the flags; nothing when a flag has no X modifier.
    [[nodiscard]] std::uint16_t XModifiers(std::uint32_t flags) const;
    [[nodiscard]] std::vector<std::uint16_t> LockVariants() const;
    // Grabs every keycode in every lock variant; all or nothing.
    bool GrabKeys(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers);
    void SendGrabs(const Held& keys, std::vector<xcb_void_cookie_t>& cookies);
    // Whether any of the requests failed; one round trip for all of them.
    bool AnyRefused(const std::vector<xcb_void_cookie_t>& cookies);
    void UngrabKeys(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers);
    void LetGo(const Held& held);
    // Keys are watched while some hotkey on a modifier key is held; false when they cannot be.
    bool WatchModifierKeys(bool on);
    void OnWatchedKey(const KeyEvent& event);
    [[nodiscard]] bool HeldByThisProgram(const std::vector<xcb_keycode_t>& keycodes,
                                         std::uint16_t modifiers) const;
    [[nodiscard]] Held Resolve(HotkeyCombination combination) const;
    void OnEvent(const xcb_generic_event_t& event);
    void OnKeyPress(xcb_keycode_t keycode, std::uint16_t state);
    void Fire(std::int32_t id);
    void RegrabAfterMappingChange();

    std::unique_ptr<XcbConnection> connection_;
    bool throughXWayland_ = false;
    X11Keymap keymap_;
    std::map<std::int32_t, Held> held_;
    std::map<std::pair<std::uint32_t, std::int32_t>, Prefetched> batch_;
    FiredHandler fired_;
    // A connection of its own: while a grab of ours is active, the server sends the grabbing
    // connection no raw key events, and the release of a modifier would go unseen.
    X11KeyWatcher modifierKeys_;
    bool watchingKeys_ = false;
    std::set<std::int32_t> downKeys_;  // since the watching began
};

}  // namespace vorlune
