#pragma once

#include "Screenshot.h"

namespace vorlune::test {

// Where the main window's controls are, in client coordinates (without a window manager these
// are the window's own coordinates, as xdotool's `mousemove --window` takes them).
struct Point {
    int x = 0;
    int y = 0;
};

// The middle of the slot button in `row` (0..6) and `column` (0..5) of category page `page`
// (0..4). The page area lies at (9, 80); its group box at (4, 2) on page 0 and (4, 1) on the
// others; buttons are 72 x 32.
Point SlotButtonCentre(int page, int row, int column);

// The toolbar button that shows page `page` (0..4, 5 is the settings page).
Point PageButtonCentre(int page);

// The restore button of the settings page ((9, 80) page area, group box at (6, 146)).
inline constexpr Point kRestoreButton{9 + 6 + 25 + 34, 80 + 146 + 28 + 32};

// The virtual microphone's group box of the settings page (at (130, 146)): its switch and its
// "设为默认麦克风" box.
inline constexpr Point kMicrophoneSwitch{9 + 130 + 107 + 40, 80 + 146 + 26 + 12};
inline constexpr Point kMakeDefaultMicrophone{9 + 130 + 207 + 40, 80 + 146 + 26 + 12};

// The phone group box of the settings page (at (6, 260)): its "更换配对码" button.
inline constexpr Point kNewPhoneSecret{9 + 6 + 200 + 45, 80 + 260 + 20 + 14};

// The bottom line: the output-device list and its apply button "应用".
inline constexpr Point kOutputDeviceList{69 + 96, 540 + 12};
inline constexpr Point kApplyOutputDevice{262 + 22, 541 + 11};

// The control strip (a group box at (10, 433)): hotkey master switch, pause/resume, stop,
// repeat.
inline constexpr Point kHotkeySwitch{10 + 82 + 40, 433 + 18 + 12};
inline constexpr Point kPauseResume{10 + 233 + 20, 433 + 12 + 18};
inline constexpr Point kStopSound{10 + 352 + 20, 433 + 12 + 18};
inline constexpr Point kRepeatSwitch{10 + 460 + 40, 433 + 19 + 12};

// The settings page (toolbar button 6): its always-on-top and loudness levelling switches, in a
// group box at (6, 8) of the page area.
inline constexpr Point kOnTopSwitch{9 + 6 + 107 + 40, 80 + 8 + 19 + 12};
inline constexpr Point kLevellingSwitch{9 + 6 + 307 + 40, 80 + 8 + 19 + 12};

// The slot dialog, in its own coordinates: the close button of its title strip and "应用" of
// its hotkey page.
inline constexpr Point kDialogClose{358 + 8, 2 + 8};
inline constexpr Point kDialogApplyHotkey{10 + 1 + 286 + 32, 36 + 27 + 112 + 16};

// The status bar along the bottom edge of the 570 x 590 window.
inline constexpr Area kStatusBar{0, 590 - 22, 570, 22};

}  // namespace vorlune::test
