#include "hotkeys/x11/VirtualKeySymbols.h"

#include <X11/keysym.h>

#include <array>

namespace vorlune {
namespace {

struct Pair {
    std::int32_t virtualKey;
    std::uint32_t keysym;
};

// One virtual-key code per keysym. Where a hotkey code stands for two keys (Ctrl, Shift, Alt,
// Enter), both are listed: the first entry of a code is what the watcher reports as generic.
constexpr std::array kPairs = std::to_array<Pair>({
    {3, XK_Break},         {8, XK_BackSpace},
    {9, XK_Tab},           {9, XK_ISO_Left_Tab},
    {12, XK_Clear},        {12, XK_KP_Begin},
    {13, XK_Return},       {13, XK_KP_Enter},
    {19, XK_Pause},        {20, XK_Caps_Lock},
    {27, XK_Escape},       {32, XK_space},
    {33, XK_Prior},        {34, XK_Next},
    {35, XK_End},          {36, XK_Home},
    {37, XK_Left},         {38, XK_Up},
    {39, XK_Right},        {40, XK_Down},
    {44, XK_Print},        {45, XK_Insert},
    {46, XK_Delete},       {93, XK_Menu},
    {106, XK_KP_Multiply}, {107, XK_KP_Add},
    {109, XK_KP_Subtract}, {110, XK_KP_Decimal},
    {111, XK_KP_Divide},   {144, XK_Num_Lock},
    {145, XK_Scroll_Lock}, {160, XK_Shift_L},
    {161, XK_Shift_R},     {162, XK_Control_L},
    {163, XK_Control_R},   {164, XK_Alt_L},
    {165, XK_Alt_R},       {165, XK_ISO_Level3_Shift},
    {91, XK_Super_L},      {92, XK_Super_R},
    {186, XK_semicolon},   {187, XK_equal},
    {188, XK_comma},       {189, XK_minus},
    {190, XK_period},      {191, XK_slash},
    {192, XK_grave},       {219, XK_bracketleft},
    {220, XK_backslash},   {221, XK_bracketright},
    {222, XK_apostrophe},  {226, XK_less},
});

// Keysyms of a shift level above the first, with the key they are on.
constexpr std::array kShifted = std::to_array<Pair>({
    {'0', XK_parenright}, {'1', XK_exclam},     {'2', XK_at},          {'3', XK_numbersign},
    {'4', XK_dollar},     {'5', XK_percent},    {'6', XK_asciicircum}, {'7', XK_ampersand},
    {'8', XK_asterisk},   {'9', XK_parenleft},  {186, XK_colon},       {187, XK_plus},
    {188, XK_less},       {189, XK_underscore}, {190, XK_greater},     {191, XK_question},
    {192, XK_asciitilde}, {219, XK_braceleft},  {220, XK_bar},         {221, XK_braceright},
    {222, XK_quotedbl},   {96, XK_KP_Insert},   {97, XK_KP_End},       {98, XK_KP_Down},
    {99, XK_KP_Next},     {100, XK_KP_Left},    {101, XK_KP_Begin},    {102, XK_KP_Right},
    {103, XK_KP_Home},    {104, XK_KP_Up},      {105, XK_KP_Prior},    {110, XK_KP_Delete},
    {13, XK_KP_Enter},
});

}  // namespace

std::vector<std::uint32_t> KeysymsForVirtualKey(std::int32_t virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9') {
        return {static_cast<std::uint32_t>(XK_0 + (virtualKey - '0'))};
    }
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        return {static_cast<std::uint32_t>(XK_a + (virtualKey - 'A'))};
    }
    if (virtualKey >= 96 && virtualKey <= 105) {
        return {static_cast<std::uint32_t>(XK_KP_0 + (virtualKey - 96))};
    }
    if (virtualKey >= 112 && virtualKey <= 135) {
        return {static_cast<std::uint32_t>(XK_F1 + (virtualKey - 112))};
    }
    switch (virtualKey) {
        case 16:
            return {XK_Shift_L, XK_Shift_R};
        case 17:
            return {XK_Control_L, XK_Control_R};
        case 18:
            return {XK_Alt_L, XK_Alt_R};
        default:
            break;
    }
    std::vector<std::uint32_t> keysyms;
    for (const Pair& pair : kPairs) {
        if (pair.virtualKey == virtualKey) {
            keysyms.push_back(pair.keysym);
        }
    }
    return keysyms;
}

std::int32_t VirtualKeyForKeysym(std::uint32_t keysym) {
    if (keysym >= XK_0 && keysym <= XK_9) {
        return static_cast<std::int32_t>('0' + (keysym - XK_0));
    }
    if (keysym >= XK_a && keysym <= XK_z) {
        return static_cast<std::int32_t>('A' + (keysym - XK_a));
    }
    if (keysym >= XK_A && keysym <= XK_Z) {
        return static_cast<std::int32_t>(keysym);
    }
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) {
        return static_cast<std::int32_t>(96 + (keysym - XK_KP_0));
    }
    if (keysym >= XK_F1 && keysym <= XK_F24) {
        return static_cast<std::int32_t>(112 + (keysym - XK_F1));
    }
    for (const Pair& pair : kPairs) {
        if (pair.keysym == keysym) {
            return pair.virtualKey;
        }
    }
    return 0;
}

std::int32_t VirtualKeyForTypedKeysym(std::uint32_t keysym) {
    // Typed, "less" is far more often Shift and the comma key than the extra key beside the left
    // Shift that some keyboards have (which has no name in the key tables anyway).
    for (const Pair& pair : kShifted) {
        if (pair.keysym == keysym) {
            return pair.virtualKey;
        }
    }
    return VirtualKeyForKeysym(keysym);
}

std::uint32_t WatchedKeysym(std::uint32_t firstColumn, std::uint32_t secondColumn) {
    const bool keypadDigit = secondColumn >= XK_KP_0 && secondColumn <= XK_KP_9;
    if (keypadDigit || secondColumn == XK_KP_Decimal) {
        return secondColumn;
    }
    return firstColumn;
}

}  // namespace vorlune
