#include "MainWindowPlaces.h"

#include <array>

namespace vorlune::test {
namespace {

constexpr Point kPageArea{9, 80};
constexpr std::array<int, 6> kFirstPageColumns{7, 93, 184, 278, 373, 464};
constexpr std::array<int, 7> kFirstPageRows{22, 69, 115, 161, 205, 249, 294};
constexpr std::array<int, 6> kColumns{8, 97, 192, 282, 372, 461};
constexpr std::array<int, 7> kRows{21, 70, 119, 164, 210, 253, 296};
constexpr std::array<int, 6> kToolbarLefts{25, 114, 203, 294, 384, 478};

}  // namespace

Point SlotButtonCentre(int page, int row, int column) {
    const bool first = page == 0;
    const int groupTop = first ? 2 : 1;
    const int left = (first ? kFirstPageColumns : kColumns).at(static_cast<std::size_t>(column));
    const int top = (first ? kFirstPageRows : kRows).at(static_cast<std::size_t>(row));
    return {kPageArea.x + 4 + left + 36, kPageArea.y + groupTop + top + 16};
}

Point PageButtonCentre(int page) {
    return {kToolbarLefts.at(static_cast<std::size_t>(page)) + 34, 5 + 32};
}

}  // namespace vorlune::test
