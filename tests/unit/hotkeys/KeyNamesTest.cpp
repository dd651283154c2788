#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "hotkeys/KeyNames.h"

namespace vorlune {
namespace {

struct Expected {
    std::int32_t code;
    std::string produced;
    std::string accepted;
    NameMatch match;
};

// The named keys besides digits, letters and function keys, written out as the vocabulary gives
// them, independently of the program's table.
const std::vector<Expected> kOtherMainKeys = {
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
};

std::vector<Expected> ExpectedMainKeys() {
    std::vector<Expected> keys;
    for (int d = 0; d <= 9; ++d) {
        const std::string name = std::to_string(d) + "键";
        keys.push_back({48 + d, name, name, NameMatch::Exact});
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        const std::string name = std::string(1, c) + "键";
        keys.push_back({c, name, name, NameMatch::NoCase});
    }
    for (int n = 1; n <= 16; ++n) {
        const std::string name = "F" + std::to_string(n) + "键";
        keys.push_back({111 + n, name, name, NameMatch::NoCase});
    }
    keys.insert(keys.end(), kOtherMainKeys.begin(), kOtherMainKeys.end());
    return keys;
}

std::vector<Expected> ExpectedKeypadKeys() {
    std::vector<Expected> keys;
    for (int d = 0; d <= 9; ++d) {
        const std::string name = "Number" + std::to_string(d);
        keys.push_back({96 + d, name, name, NameMatch::Exact});
    }
    keys.push_back({109, "分号", "分号", NameMatch::Exact});
    keys.push_back({110, "句号", "句号", NameMatch::Exact});
    keys.push_back({111, "除号", "除号", NameMatch::Exact});
    return keys;
}

// Every expected row is in the table once, and the table holds nothing else.
void ExpectSameRows(std::span<const KeyNameRow> table, const std::vector<Expected>& expected) {
    using Row = std::tuple<std::int32_t, std::string, std::string, NameMatch>;
    std::set<Row> actual;
    std::set<std::int32_t> codes;
    for (const KeyNameRow& row : table) {
        actual.insert({row.code, std::string(row.produced), std::string(row.accepted), row.match});
        EXPECT_TRUE(codes.insert(row.code).second) << "code " << row.code << " twice";
    }
    std::set<Row> wanted;
    for (const Expected& e : expected) {
        wanted.insert({e.code, e.produced, e.accepted, e.match});
    }
    EXPECT_EQ(table.size(), expected.size());
    EXPECT_EQ(actual, wanted);
}

TEST(KeyNames, TablesHoldExactlyTheVocabulary) {
    ExpectSameRows(MainKeyTable(), ExpectedMainKeys());
    EXPECT_EQ(MainKeyTable().size(), 88u);
    ExpectSameRows(KeypadKeyTable(), ExpectedKeypadKeys());
    EXPECT_EQ(KeypadKeyTable().size(), 13u);
}

TEST(KeyNames, EveryRowWorksBothWaysWithItsMatchRule) {
    for (const Expected& key : ExpectedMainKeys()) {
        SCOPED_TRACE(key.produced);
        EXPECT_EQ(KeyCodeToName(key.code), key.produced);
        EXPECT_EQ(KeyNameToCode(key.accepted), key.code);
        std::string upper = key.accepted;
        std::string lower = key.accepted;
        for (char& c : upper) {
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
        for (char& c : lower) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
        if (key.match == NameMatch::NoCase) {
            EXPECT_EQ(KeyNameToCode(upper), key.code);
            EXPECT_EQ(KeyNameToCode(lower), key.code);
        } else {
            // Exact rows have nothing but digits and Chinese characters, or one fixed spelling.
            if (upper != key.accepted) {
                EXPECT_EQ(KeyNameToCode(upper), 0);
            }
        }
    }
    for (const Expected& key : ExpectedKeypadKeys()) {
        SCOPED_TRACE(key.produced);
        EXPECT_EQ(KeyCodeToName(key.code), key.produced);
        EXPECT_EQ(KeyNameToCode(key.accepted), key.code);
    }
}

TEST(KeyNames, NamesThatDoNotRoundTrip) {
    // Captured names that registration does not take back.
    EXPECT_EQ(KeyCodeToName(3), "Break");
    EXPECT_EQ(KeyNameToCode("Break"), 0);
    EXPECT_EQ(KeyNameToCode("BREAK键"), 0);  // an exact row
    EXPECT_EQ(KeyNameToCode("break键"), 3);
    EXPECT_EQ(KeyCodeToName(20), "Caps Lock键");
    EXPECT_EQ(KeyNameToCode("Caps Lock键"), 0);
    EXPECT_EQ(KeyNameToCode("CapsLock键"), 20);
    // The lock keys with a capital inside still match in any case.
    EXPECT_EQ(KeyNameToCode("NumLock键"), 144);
    EXPECT_EQ(KeyNameToCode("NUMLOCK键"), 144);
    EXPECT_EQ(KeyNameToCode("numlock键"), 144);
    EXPECT_EQ(KeyNameToCode("ScrollLock键"), 145);
    EXPECT_EQ(KeyNameToCode("scrolllock键"), 145);
    // Keypad names are exact.
    EXPECT_EQ(KeyNameToCode("Number0"), 96);
    EXPECT_EQ(KeyNameToCode("number0"), 0);
    EXPECT_EQ(KeyNameToCode("NUMBER9"), 0);
    // Names that read oddly are kept as they are.
    EXPECT_EQ(KeyNameToCode("斜杠键"), 220);
    EXPECT_EQ(KeyNameToCode("除号键"), 191);
    EXPECT_EQ(KeyNameToCode("分号键"), 186);
    EXPECT_EQ(KeyNameToCode("分号"), 109);
    EXPECT_EQ(KeyNameToCode("句号"), 110);
    EXPECT_EQ(KeyNameToCode("除号"), 111);
    // 111 is a function key nowhere: F1 is 112.
    EXPECT_EQ(KeyCodeToName(111), "除号");
    EXPECT_EQ(KeyNameToCode("f1键"), 112);
    EXPECT_EQ(KeyNameToCode("f16键"), 127);
    EXPECT_EQ(KeyNameToCode("a键"), 65);
    EXPECT_EQ(KeyNameToCode("A键"), 65);
}

TEST(KeyNames, UnknownCodesAndNames) {
    for (std::int32_t code : {0, 9, 92, 160, 161, 162, 163, 164, 165, 128, 135, 255, -1, 1000}) {
        EXPECT_EQ(KeyCodeToName(code), "") << code;
    }
    for (const char* name : {"", "A", "键", "F17键", "F0键", "Tab键", "Win", " A键", "A键 ", "Ａ键",
                             "回车", "Number10", "Number"}) {
        EXPECT_EQ(KeyNameToCode(name), 0) << name;
    }
}

}  // namespace
}  // namespace vorlune
