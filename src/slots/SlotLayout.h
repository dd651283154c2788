#pragma once

#include <array>

namespace vorlune {

inline constexpr int kCategoryPages = 5;
inline constexpr int kGridRows = 7;
inline constexpr int kGridColumns = 6;

// Where a slot sits: its category page, its row and column on that page, and how many
// columns its button covers (slot 37 covers two).
struct SlotCell {
    int page = 0;
    int row = 0;
    int column = 0;
    int span = 1;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The cell of slot n (1..209).
SlotCell CellOfSlot(int n);
// Slot button and hotkey label of slot n, relative to its page's group box.
Rect SlotButtonRect(int n);
Rect SlotLabelRect(int n);
// The page's group box, relative to the page.
Rect SlotGroupRect(int page);

}  // namespace vorlune
