#pragma once

#include <cstdint>
#include <vector>

namespace vorlune {

// Translation between Windows virtual-key codes and X keysyms (plain numbers here, no X
// headers needed by callers).

// The keysyms whose keys a hotkey on `virtualKey` grabs: Ctrl, Shift and Alt stand for both the
// left and the right key, Enter for both Enter keys. Empty for a code with no X key.
std::vector<std::uint32_t> KeysymsForVirtualKey(std::int32_t virtualKey);

// The virtual-key code a key watcher reports for a keysym: left/right-specific codes for the
// modifier keys (160-165, 91, 92), letters as upper case; 0 for a keysym without one.
std::int32_t VirtualKeyForKeysym(std::uint32_t keysym);

// The virtual-key code of a key typed into one of the program's own windows, from the keysym the
// window system gave it there. That keysym carries the keyboard's shift level (Shift+1 gives
// "exclam", keypad keys without NumLock give "KP_End"): such keysyms count as the key they are
// on, on a US layout, so that a capture sees the same keys as the desktop-wide watcher.
std::int32_t VirtualKeyForTypedKeysym(std::uint32_t keysym);

// The keysym a key stands for when watching: the first column of its keymap row, except on the
// keypad, where the digit or point of the second column is taken whatever NumLock says.
std::uint32_t WatchedKeysym(std::uint32_t firstColumn, std::uint32_t secondColumn);

}  // namespace vorlune
