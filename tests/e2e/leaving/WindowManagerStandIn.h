#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "XWindows.h"

namespace vorlune::test {

// What the test needs of a window manager on a display that has none: the WM_STATE of a window
// that is mapped becomes NormalState, minimising does what a window manager does when the user
// clicks the title bar's minimise button, and a program withdrawing a window (ICCCM: the
// synthetic UnmapNotify sent to the root window) is noticed, which is when a window manager
// takes the window off the taskbar.
class WindowManagerStandIn {
  public:
    WindowManagerStandIn();
    ~WindowManagerStandIn();
    WindowManagerStandIn(const WindowManagerStandIn&) = delete;
    WindowManagerStandIn& operator=(const WindowManagerStandIn&) = delete;

    bool Connected() const { return xcb_connection_has_error(connection_) == 0; }

    // Iconifies: WM_STATE becomes IconicState and the window is unmapped. Waits first until the
    // program has had time to see the NormalState of a window mapped just before.
    bool Minimise(std::uint32_t window);
    // The program has withdrawn the window since the last time this was asked.
    bool Withdrawn(std::uint32_t window);

    using Place = WindowPlace;
    // Where the window is on the screen once the program's latest changes are seen, and
    // whether it is shown there.
    std::optional<Place> PlaceOf(std::uint32_t window);
    std::optional<std::uint32_t> ParentOf(std::uint32_t window) const {
        return test::ParentOf(window);
    }
    std::uint32_t Root() const { return root_; }

  private:
    void Collect();
    void SetState(std::uint32_t window, std::uint32_t state);

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    std::uint32_t wmState_ = 0;
    std::set<std::uint32_t> withdrawn_;
    std::map<std::uint32_t, std::chrono::steady_clock::time_point> mappedAt_;
};

}  // namespace vorlune::test
