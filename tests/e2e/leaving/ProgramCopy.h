#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ChildProcess.h"
#include "base/ProfileFile.h"

namespace vorlune::test {

// Window ids that `xdotool search ARGUMENTS` finds.
std::vector<std::uint32_t> FindWindows(const std::string& xdotoolSearch);

// Input as a user gives it: keys pressed in a window (a message box) after giving it the
// focus, and clicks ("click 1", "click 3", "click --repeat 2 --delay 80 1") at a point of the
// screen.
bool Answer(std::uint32_t box, const std::string& keys);
bool ClickAt(int x, int y, const std::string& clicks = "click 1");

// The program folder copied into the test's folder and run from there on the test's display,
// with no sound server and nothing written outside the folder.
class ProgramCopy {
  public:
    explicit ProgramCopy(std::string folder);

    bool Installed() const { return installed_; }
    std::string Path(std::string_view relative) const {
        return folder_ + "/" + std::string(relative);
    }
    void WriteGbk(std::string_view relative, std::string_view utf8) const;
    std::string Read(std::string_view file, std::string_view section, std::string_view key);

    // Without a session bus the tray is the X11 (XEmbed) one; with one, the program finds the
    // D-Bus tray served there. `hotkeys` forces a hotkey backend (VORLUNE_HOTKEYS).
    void Start(const std::optional<std::string>& sessionBus = std::nullopt,
               const std::optional<std::string>& hotkeys = std::nullopt);
    ChildProcess& Process() { return *process_; }
    std::string Pid() const { return std::to_string(process_->Pid()); }
    std::string Log() const;

    // The program's own visible windows titled `title`.
    std::optional<std::uint32_t> VisibleWindow(const std::string& title) const;
    std::optional<std::uint32_t> WaitForWindow(const std::string& title) const;
    std::optional<std::uint32_t> VisiblePopup() const;
    // The program's tray icon window, embedded in the XEmbed tray that owns `tray` (any window
    // of the tray's X client).
    std::optional<std::uint32_t> TrayIconIn(std::uint32_t tray) const;

  private:
    std::string folder_;
    bool installed_ = false;
    std::unique_ptr<ChildProcess> process_;
    ProfileFiles files_;
};

}  // namespace vorlune::test
