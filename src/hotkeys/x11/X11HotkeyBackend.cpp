#include "hotkeys/x11/X11HotkeyBackend.h"

#include <algorithm>

namespace vorlune {
namespace {

constexpr std::uint16_t kShift = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t kControl = XCB_MOD_MASK_CONTROL;

// The flag a key sets while held down, generic or left/right-specific; 0 for other keys.
std::uint32_t ModifierFlagOf(std::int32_t virtualKey) {
    switch (virtualKey) {
        case 16:
        case 160:
        case 161:
            return kModShift;
        case 17:
        case 162:
        case 163:
            return kModControl;
        case 18:
        case 164:
        case 165:
            return kModAlt;
        case 91:
        case 92:
            return kModWin;
        default:
            return 0;
    }
}

// Whether a watched key is the key of a hotkey: the same code, or the left or right key of a
// generic Shift, Ctrl or Alt.
bool IsKeyOf(std::int32_t hotkeyKey, std::int32_t watchedKey) {
    if (hotkeyKey == watchedKey) {
        return true;
    }
    switch (hotkeyKey) {
        case 16:
            return watchedKey == 160 || watchedKey == 161;
        case 17:
            return watchedKey == 162 || watchedKey == 163;
        case 18:
            return watchedKey == 164 || watchedKey == 165;
        default:
            return false;
    }
}

}  // namespace

X11HotkeyBackend::X11HotkeyBackend(std::unique_ptr<XcbConnection> connection, bool throughXWayland)
    : connection_(std::move(connection)), throughXWayland_(throughXWayland) {
    keymap_.Load(connection_->Get());
    connection_->SetEventHandler([this](const xcb_generic_event_t& event) { OnEvent(event); });
}

X11HotkeyBackend::~X11HotkeyBackend() {
    connection_->SetEventHandler(nullptr);
    EndBatch();
    for (const auto& [id, held] : held_) {
        LetGo(held);
    }
    xcb_flush(connection_->Get());
}

std::uint16_t X11HotkeyBackend::XModifiers(std::uint32_t flags) const {
    std::uint16_t modifiers = 0;
    if ((flags & kModShift) != 0) {
        modifiers |= kShift;
    }
    if ((flags & kModControl) != 0) {
        modifiers |= kControl;
    }
    if ((flags & kModAlt) != 0) {
        modifiers |= keymap_.AltMask();
    }
    if ((flags & kModWin) != 0) {
        modifiers |= keymap_.SuperMask();
    }
    return modifiers;
}

std::vector<std::uint16_t> X11HotkeyBackend::LockVariants() const {
    // Every combination of the locks the keymap has: a grab matches its modifiers exactly.
    const std::uint16_t locks = keymap_.LockMask();
    std::vector<std::uint16_t> variants;
    for (std::uint16_t subset = locks;; subset = static_cast<std::uint16_t>((subset - 1) & locks)) {
        variants.push_back(subset);
        if (subset == 0) {
            break;
        }
    }
    return variants;
}

X11HotkeyBackend::Held X11HotkeyBackend::Resolve(HotkeyCombination combination) const {
    Held held;
    held.combination = combination;
    held.modifiers = XModifiers(combination.modifiers);
    held.keycodes = keymap_.KeycodesForVirtualKey(combination.key);
    held.watched = ModifierFlagOf(combination.key) != 0;
    return held;
}

bool X11HotkeyBackend::Grab(std::int32_t id, HotkeyCombination combination) {
    if (held_.contains(id) || connection_->Broken()) {
        return false;
    }
    const auto prefetched = batch_.find({combination.modifiers, combination.key});
    if (prefetched != batch_.end() && !prefetched->second.taken) {
        prefetched->second.taken = true;
        if (!prefetched->second.granted) {
            return false;
        }
        held_.emplace(id, prefetched->second.keys);
        return true;
    }
    Held held = Resolve(combination);
    // Two virtual keys on one X key would share a grab that the server does not tell apart.
    if (held.keycodes.empty() || HeldByThisProgram(held.keycodes, held.modifiers)) {
        return false;
    }
    if (held.watched ? !WatchModifierKeys(true) : !GrabKeys(held.keycodes, held.modifiers)) {
        return false;
    }
    held_.emplace(id, std::move(held));
    return true;
}

void X11HotkeyBackend::Release(std::int32_t id) {
    const auto it = held_.find(id);
    if (it == held_.end()) {
        return;
    }
    LetGo(it->second);
    held_.erase(it);
    if (std::none_of(held_.begin(), held_.end(), [](const auto& h) { return h.second.watched; })) {
        WatchModifierKeys(false);
    }
    xcb_flush(connection_->Get());
}

void X11HotkeyBackend::SendGrabs(const Held& keys, std::vector<xcb_void_cookie_t>& cookies) {
    for (xcb_keycode_t keycode : keys.keycodes) {
        for (std::uint16_t variant : LockVariants()) {
            cookies.push_back(
                xcb_grab_key_checked(connection_->Get(), 0, connection_->Root(),
                                     static_cast<std::uint16_t>(keys.modifiers | variant), keycode,
                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
}

bool X11HotkeyBackend::AnyRefused(const std::vector<xcb_void_cookie_t>& cookies) {
    // Checking the last request first costs one round trip; the others are known after it.
    bool refused = false;
    std::for_each(cookies.rbegin(), cookies.rend(), [&](xcb_void_cookie_t cookie) {
        if (XcbPtr<xcb_generic_error_t> error{xcb_request_check(connection_->Get(), cookie)}) {
            refused = true;
        }
    });
    connection_->TakeQueuedEvents();
    return refused || connection_->Broken();
}

bool X11HotkeyBackend::GrabKeys(const std::vector<xcb_keycode_t>& keycodes,
                                std::uint16_t modifiers) {
    Held keys;
    keys.keycodes = keycodes;
    keys.modifiers = modifiers;
    std::vector<xcb_void_cookie_t> cookies;
    SendGrabs(keys, cookies);
    if (AnyRefused(cookies)) {
        // Another client holds some variant: release the ones we got.
        UngrabKeys(keycodes, modifiers);
        xcb_flush(connection_->Get());
        return false;
    }
    return true;
}

bool X11HotkeyBackend::StillHolds(std::int32_t id) const {
    const auto it = held_.find(id);
    return it != held_.end() && (it->second.watched || !it->second.keycodes.empty());
}

void X11HotkeyBackend::BeginBatch(std::span<const HotkeyBinding> wanted) {
    EndBatch();
    if (connection_->Broken()) {
        return;
    }
    std::vector<std::pair<Prefetched*, std::vector<xcb_void_cookie_t>>> sent;
    for (const auto& [id, combination, description] : wanted) {
        const std::pair<std::uint32_t, std::int32_t> key{combination.modifiers, combination.key};
        if (combination.key == 0 || batch_.contains(key)) {
            continue;
        }
        Held keys = Resolve(combination);
        // Held already, sharing an X key with one that is, or watched: left to the Grab call.
        if (keys.keycodes.empty() || keys.watched ||
            HeldByThisProgram(keys.keycodes, keys.modifiers)) {
            continue;
        }
        Prefetched& entry = batch_[key];
        entry.id = id;
        entry.keys = std::move(keys);
        entry.granted = true;  // until the server says otherwise; keeps later overlaps out
        sent.emplace_back(&entry, std::vector<xcb_void_cookie_t>{});
        SendGrabs(entry.keys, sent.back().second);
    }
    for (auto& [entry, cookies] : sent) {
        entry->granted = !AnyRefused(cookies);
        if (!entry->granted) {
            UngrabKeys(entry->keys.keycodes, entry->keys.modifiers);
        }
    }
    xcb_flush(connection_->Get());
}

void X11HotkeyBackend::EndBatch() {
    for (const auto& [key, entry] : batch_) {
        if (entry.granted && !entry.taken) {
            UngrabKeys(entry.keys.keycodes, entry.keys.modifiers);
        }
    }
    if (!batch_.empty()) {
        xcb_flush(connection_->Get());
    }
    batch_.clear();
}

void X11HotkeyBackend::UngrabKeys(const std::vector<xcb_keycode_t>& keycodes,
                                  std::uint16_t modifiers) {
    for (xcb_keycode_t keycode : keycodes) {
        for (std::uint16_t variant : LockVariants()) {
            xcb_ungrab_key(connection_->Get(), keycode, connection_->Root(),
                           static_cast<std::uint16_t>(modifiers | variant));
        }
    }
}

void X11HotkeyBackend::LetGo(const Held& held) {
    if (!held.watched) {
        UngrabKeys(held.keycodes, held.modifiers);
    }
}

bool X11HotkeyBackend::WatchModifierKeys(bool on) {
    if (on && !watchingKeys_) {
        watchingKeys_ = modifierKeys_.Start([this](const KeyEvent& event) { OnWatchedKey(event); });
    } else if (!on && watchingKeys_) {
        modifierKeys_.Stop();
        watchingKeys_ = false;
        downKeys_.clear();
    }
    return watchingKeys_ == on;
}

bool X11HotkeyBackend::HeldByThisProgram(const std::vector<xcb_keycode_t>& keycodes,
                                         std::uint16_t modifiers) const {
    std::vector<const Held*> all;
    for (const auto& [id, held] : held_) {
        all.push_back(&held);
    }
    for (const auto& [key, entry] : batch_) {
        if (entry.granted && !entry.taken) {
            all.push_back(&entry.keys);
        }
    }
    for (const Held* pointer : all) {
        const Held& held = *pointer;
        if (held.modifiers != modifiers) {
            continue;
        }
        for (xcb_keycode_t keycode : keycodes) {
            if (std::find(held.keycodes.begin(), held.keycodes.end(), keycode) !=
                held.keycodes.end()) {
                return true;
            }
        }
    }
    return false;
}

void X11HotkeyBackend::OnEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_KEY_PRESS: {
            const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
            OnKeyPress(press.detail, press.state);
            break;
        }
        case XCB_MAPPING_NOTIFY: {
            const auto& mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
            if (mapping.request != XCB_MAPPING_POINTER) {
                RegrabAfterMappingChange();
            }
            break;
        }
        default:
            break;
    }
}

void X11HotkeyBackend::OnKeyPress(xcb_keycode_t keycode, std::uint16_t state) {
    // Only the four modifiers of a hotkey count; the lock keys and others do not.
    const std::uint16_t relevant = kShift | kControl | keymap_.AltMask() | keymap_.SuperMask();
    const std::uint16_t modifiers = state & relevant;
    const auto matches = [&](const Held& held) {
        return !held.watched && held.modifiers == modifiers &&
               std::find(held.keycodes.begin(), held.keycodes.end(), keycode) !=
                   held.keycodes.end();
    };
    for (const auto& [id, held] : held_) {
        if (matches(held)) {
            Fire(id);  // may change held_; the loop ends here
            return;
        }
    }
    // Grabbed ahead by a registration that has not come to its id yet: the server gave the press
    // to this program, and no other will see it.
    for (const auto& [key, entry] : batch_) {
        if (entry.granted && !entry.taken && matches(entry.keys)) {
            Fire(entry.id);
            return;
        }
    }
}

void X11HotkeyBackend::Fire(std::int32_t id) {
    if (fired_) {
        // A copy: the handler may replace itself.
        const FiredHandler fired = fired_;
        fired(id);
    }
}

void X11HotkeyBackend::OnWatchedKey(const KeyEvent& event) {
    if (!event.pressed) {
        downKeys_.erase(event.virtualKey);
        return;
    }
    // The modifiers are the other modifier keys held down.
    std::uint32_t modifiers = 0;
    for (std::int32_t down : downKeys_) {
        if (down != event.virtualKey) {
            modifiers |= ModifierFlagOf(down);
        }
    }
    downKeys_.insert(event.virtualKey);
    for (const auto& [id, held] : held_) {
        if (held.watched && held.combination.modifiers == modifiers &&
            IsKeyOf(held.combination.key, event.virtualKey)) {
            const std::int32_t firedId = id;
            if (fired_) {
                fired_(firedId);  // may change held_; the loop ends here
            }
            return;
        }
    }
}

void X11HotkeyBackend::RegrabAfterMappingChange() {
    EndBatch();
    for (const auto& [id, held] : held_) {
        LetGo(held);
    }
    keymap_.Load(connection_->Get());
    // Keys that no longer exist, or that another client holds where they went, stay with their
    // id without keys: they fire nothing, count as refused (StillHolds) and are tried again at
    // the next registration.
    for (auto& [id, held] : held_) {
        Held fresh = Resolve(held.combination);
        if (fresh.keycodes.empty() ||
            (!fresh.watched && !GrabKeys(fresh.keycodes, fresh.modifiers))) {
            fresh.keycodes.clear();
        }
        held = std::move(fresh);
    }
    xcb_flush(connection_->Get());
}

}  // namespace vorlune
