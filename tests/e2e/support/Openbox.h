#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ChildProcess.h"

namespace vorlune::test {

// A real window manager on the test's display, for what only one can do: minimising, and
// keeping a window above the others (_NET_WM_STATE). Openbox follows EWMH, keeps the windows'
// own sizes and, with the configuration written here, takes no keys or mouse buttons, so the
// program's hotkeys stay free.
class Openbox {
  public:
    explicit Openbox(std::string folder) : folder_(std::move(folder)) {}

    // Starts it on $DISPLAY and waits until it manages the screen.
    bool Start();
    // As the title bar's minimise button: the window manager iconifies the window.
    bool Minimise(std::uint32_t window) const;
    std::string Log() const;

  private:
    std::string folder_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace vorlune::test
