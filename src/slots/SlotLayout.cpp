#include "slots/SlotLayout.h"

namespace vorlune {
namespace {

constexpr std::array<int, kGridColumns> kFirstPageColumns{7, 93, 184, 278, 373, 464};
constexpr std::array<int, kGridRows> kFirstPageRows{22, 69, 115, 161, 205, 249, 294};
constexpr std::array<int, kGridColumns> kColumns{8, 97, 192, 282, 372, 461};
constexpr std::array<int, kGridRows> kRows{21, 70, 119, 164, 210, 253, 296};

constexpr int kButtonWidth = 72;
constexpr int kButtonHeight = 32;
constexpr int kWideButtonWidth = 162;
constexpr int kLabelOffsetX = 5;
constexpr int kLabelOffsetY = 32;
constexpr int kLabelWidth = 64;
constexpr int kWideLabelWidth = 153;
constexpr int kLabelHeight = 15;
constexpr int kWideSlot = 37;

// Row 7 of every page holds six slots of the second block: 180–185 on page 0 and so on.
constexpr int kSecondBlockFirst = 180;

}  // namespace

SlotCell CellOfSlot(int n) {
    if (n >= kSecondBlockFirst) {
        const int i = n - kSecondBlockFirst;
        return {i / kGridColumns, kGridRows - 1, i % kGridColumns, 1};
    }
    if (n <= 36) {
        // Page 0 opens with slot 36, then 1..35 follow.
        const int i = n == 36 ? 0 : n;
        return {0, i / kGridColumns, i % kGridColumns, 1};
    }
    if (n <= 71) {
        if (n == kWideSlot) {
            return {1, 0, 0, 2};
        }
        // Slot 37 takes two cells, so slot 38 is the third cell.
        const int i = n - kWideSlot + 1;
        return {1, i / kGridColumns, i % kGridColumns, 1};
    }
    // Pages 2-4 count down from their highest slot.
    const int page = 2 + (n - 72) / 36;
    const int highest = 107 + (page - 2) * 36;
    const int i = highest - n;
    return {page, i / kGridColumns, i % kGridColumns, 1};
}

Rect SlotButtonRect(int n) {
    const SlotCell cell = CellOfSlot(n);
    const bool first = cell.page == 0;
    const int x = first ? kFirstPageColumns[cell.column] : kColumns[cell.column];
    const int y = first ? kFirstPageRows[cell.row] : kRows[cell.row];
    return {x, y, n == kWideSlot ? kWideButtonWidth : kButtonWidth, kButtonHeight};
}

Rect SlotLabelRect(int n) {
    const Rect button = SlotButtonRect(n);
    return {button.x + kLabelOffsetX, button.y + kLabelOffsetY,
            n == kWideSlot ? kWideLabelWidth : kLabelWidth, kLabelHeight};
}

Rect SlotGroupRect(int page) {
    return {4, page == 0 ? 2 : 1, 545, 342};
}

}  // namespace vorlune
