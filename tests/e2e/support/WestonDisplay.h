#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace vorlune::test {

// A window or pop-up on the compositor's screen.
struct WaylandWindow {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string title;
};

// Debian's weston with its headless backend and no X server, in `folder`, with the test input
// module (tests/e2e/weston) as its keyboard and mouse. It points WAYLAND_DISPLAY of this
// process at its socket, so children started with QT_QPA_PLATFORM=wayland are its clients.
class WestonDisplay {
  public:
    explicit WestonDisplay(const std::string& folder);
    WestonDisplay(const WestonDisplay&) = delete;
    WestonDisplay& operator=(const WestonDisplay&) = delete;

    bool Ready() const { return ready_; }
    std::string Log() const;

    // Windows and pop-ups on screen, topmost first.
    std::vector<WaylandWindow> Windows() const;
    // The first window whose title contains `title`, once one shows within the limit.
    std::optional<WaylandWindow> WaitForWindow(
        const std::string& title, std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

    // Input as a user gives it. Keys are evdev codes (linux/input-event-codes.h).
    bool Click(int x, int y, int button) const;
    bool PressKey(int code) const;
    bool ReleaseKey(int code) const;
    // Presses the keys in order and releases them in the opposite order.
    bool Chord(const std::vector<int>& codes) const;

  private:
    bool Command(const std::string& line) const;

    std::string folder_;
    std::string control_;
    std::unique_ptr<ChildProcess> weston_;
    bool ready_ = false;
};

}  // namespace vorlune::test
