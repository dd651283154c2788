#include "icons/IconPaths.h"

#include <array>

namespace vorlune::icon {

std::string_view ToolbarIconPath(int button) {
    static constexpr std::array<std::string_view, 6> kToolbar = {
        ":/icons/toolbar1.svg", ":/icons/toolbar2.svg", ":/icons/toolbar3.svg",
        ":/icons/toolbar4.svg", ":/icons/toolbar5.svg", ":/icons/toolbar6.svg"};
    if (button < 1 || button > static_cast<int>(kToolbar.size())) {
        return {};
    }
    return kToolbar[static_cast<std::size_t>(button - 1)];
}

}  // namespace vorlune::icon
