#include "hotkeys/KeyNames.h"

#include <array>

#include "hotkeys/AsciiCase.h"

namespace vorlune {
namespace {

// Digits, letters, F1-F16, then the other named keys. Some names read oddly ("斜杠键" is the
// OEM_5 key, "除号键" OEM_2, "Break" is never accepted back); they are the names users already
// have in their stored hotkeys, so they stay as they are.
constexpr std::array<KeyNameRow, 88> kMainKeys{{
    {48, "0键", "0键", NameMatch::Exact},
    {49, "1键", "1键", NameMatch::Exact},
    {50, "2键", "2键", NameMatch::Exact},
    {51, "3键", "3键", NameMatch::Exact},
    {52, "4键", "4键", NameMatch::Exact},
    {53, "5键", "5键", NameMatch::Exact},
    {54, "6键", "6键", NameMatch::Exact},
    {55, "7键", "7键", NameMatch::Exact},
    {56, "8键", "8键", NameMatch::Exact},
    {57, "9键", "9键", NameMatch::Exact},
    {65, "A键", "A键", NameMatch::NoCase},
    {66, "B键", "B键", NameMatch::NoCase},
    {67, "C键", "C键", NameMatch::NoCase},
    {68, "D键", "D键", NameMatch::NoCase},
    {69, "E键", "E键", NameMatch::NoCase},
    {70, "F键", "F键", NameMatch::NoCase},
    {71, "G键", "G键", NameMatch::NoCase},
    {72, "H键", "H键", NameMatch::NoCase},
    {73, "I键", "I键", NameMatch::NoCase},
    {74, "J键", "J键", NameMatch::NoCase},
    {75, "K键", "K键", NameMatch::NoCase},
    {76, "L键", "L键", NameMatch::NoCase},
    {77, "M键", "M键", NameMatch::NoCase},
    {78, "N键", "N键", NameMatch::NoCase},
    {79, "O键", "O键", NameMatch::NoCase},
    {80, "P键", "P键", NameMatch::NoCase},
    {81, "Q键", "Q键", NameMatch::NoCase},
    {82, "R键", "R键", NameMatch::NoCase},
    {83, "S键", "S键", NameMatch::NoCase},
    {84, "T键", "T键", NameMatch::NoCase},
    {85, "U键", "U键", NameMatch::NoCase},
    {86, "V键", "V键", NameMatch::NoCase},
    {87, "W键", "W键", NameMatch::NoCase},
    {88, "X键", "X键", NameMatch::NoCase},
    {89, "Y键", "Y键", NameMatch::NoCase},
    {90, "Z键", "Z键", NameMatch::NoCase},
    {112, "F1键", "F1键", NameMatch::NoCase},
    {113, "F2键", "F2键", NameMatch::NoCase},
    {114, "F3键", "F3键", NameMatch::NoCase},
    {115, "F4键", "F4键", NameMatch::NoCase},
    {116, "F5键", "F5键", NameMatch::NoCase},
    {117, "F6键", "F6键", NameMatch::NoCase},
    {118, "F7键", "F7键", NameMatch::NoCase},
    {119, "F8键", "F8键", NameMatch::NoCase},
    {120, "F9键", "F9键", NameMatch::NoCase},
    {121, "F10键", "F10键", NameMatch::NoCase},
    {122, "F11键", "F11键", NameMatch::NoCase},
    {123, "F12键", "F12键", NameMatch::NoCase},
    {124, "F13键", "F13键", NameMatch::NoCase},
    {125, "F14键", "F14键", NameMatch::NoCase},
    {126, "F15键", "F15键", NameMatch::NoCase},
    {127, "F16键", "F16键", NameMatch::NoCase},
    {91, "Win键", "win键", NameMatch::NoCase},
    {17, "Ctrl键", "ctrl键", NameMatch::NoCase},
    {16, "Shift键", "shift键", NameMatch::NoCase},
    {18, "Alt键", "alt键", NameMatch::NoCase},
    {3, "Break", "break键", NameMatch::Exact},
    {13, "回车键", "回车键", NameMatch::Exact},
    {19, "Pause键", "pause键", NameMatch::NoCase},
    {20, "Caps Lock键", "capsLock键", NameMatch::NoCase},
    {144, "NumLock键", "numLock键", NameMatch::NoCase},
    {145, "ScrollLock键", "scrollLock键", NameMatch::NoCase},
    {27, "Esc键", "esc键", NameMatch::NoCase},
    {32, "空格键", "空格键", NameMatch::Exact},
    {33, "PageUp键", "pageup键", NameMatch::NoCase},
    {34, "PageDown键", "pagedown键", NameMatch::NoCase},
    {36, "Home键", "home键", NameMatch::NoCase},
    {35, "End键", "end键", NameMatch::NoCase},
    {37, "左光标键", "左光标键", NameMatch::Exact},
    {38, "上光标键", "上光标键", NameMatch::Exact},
    {39, "右光标键", "右光标键", NameMatch::Exact},
    {40, "下光标键", "下光标键", NameMatch::Exact},
    {45, "Ins键", "ins键", NameMatch::NoCase},
    {46, "Del键", "del键", NameMatch::NoCase},
    {186, "分号键", "分号键", NameMatch::Exact},
    {187, "等号键", "等号键", NameMatch::Exact},
    {188, "逗号键", "逗号键", NameMatch::Exact},
    {189, "减号键", "减号键", NameMatch::Exact},
    {190, "圆点键", "圆点键", NameMatch::Exact},
    {191, "除号键", "除号键", NameMatch::Exact},
    {192, "反撇号键", "反撇号键", NameMatch::Exact},
    {219, "左中括号键", "左中括号键", NameMatch::Exact},
    {221, "右中括号键", "右中括号键", NameMatch::Exact},
    {220, "斜杠键", "斜杠键", NameMatch::Exact},
    {222, "单引号键", "单引号键", NameMatch::Exact},
    {106, "乘号键", "乘号键", NameMatch::Exact},
    {107, "加号键", "加号键", NameMatch::Exact},
    {8, "退格键", "退格键", NameMatch::Exact},
}};

// Keypad digits, minus, point and divide; the last three names carry no "键".
constexpr std::array<KeyNameRow, 13> kKeypadKeys{{
    {96, "Number0", "Number0", NameMatch::Exact},
    {97, "Number1", "Number1", NameMatch::Exact},
    {98, "Number2", "Number2", NameMatch::Exact},
    {99, "Number3", "Number3", NameMatch::Exact},
    {100, "Number4", "Number4", NameMatch::Exact},
    {101, "Number5", "Number5", NameMatch::Exact},
    {102, "Number6", "Number6", NameMatch::Exact},
    {103, "Number7", "Number7", NameMatch::Exact},
    {104, "Number8", "Number8", NameMatch::Exact},
    {105, "Number9", "Number9", NameMatch::Exact},
    {109, "分号", "分号", NameMatch::Exact},
    {110, "句号", "句号", NameMatch::Exact},
    {111, "除号", "除号", NameMatch::Exact},
}};

std::string NameIn(std::span<const KeyNameRow> table, std::int32_t code) {
    for (const KeyNameRow& row : table) {
        if (row.code == code) {
            return std::string(row.produced);
        }
    }
    return {};
}

bool Accepts(const KeyNameRow& row, std::string_view name) {
    return row.match == NameMatch::Exact ? name == row.accepted
                                         : EqualsIgnoringAsciiCase(name, row.accepted);
}

std::int32_t CodeIn(std::span<const KeyNameRow> table, std::string_view name) {
    for (const KeyNameRow& row : table) {
        if (Accepts(row, name)) {
            return row.code;
        }
    }
    return 0;
}

}  // namespace

std::span<const KeyNameRow> MainKeyTable() {
    return kMainKeys;
}
std::span<const KeyNameRow> KeypadKeyTable() {
    return kKeypadKeys;
}

std::string KeyCodeToName(std::int32_t code) {
    std::string name = NameIn(kMainKeys, code);
    return name.empty() ? NameIn(kKeypadKeys, code) : name;
}

std::int32_t KeyNameToCode(std::string_view name) {
    const std::int32_t code = CodeIn(kMainKeys, name);
    return code != 0 ? code : CodeIn(kKeypadKeys, name);
}

}  // namespace vorlune
