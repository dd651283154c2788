#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ChildProcess.h"
#include "MainWindowPlaces.h"
#include "base/ProfileFile.h"

namespace vorlune::test {

class WestonDisplay;

// A config.ini for tests that start on the first page: volume 100, hotkeys on, repeat off,
// not kept above the other windows.
inline constexpr char kPlainConfig[] =
    "[软件名称]\n文本=Vorlune正式版\n"
    "[当前栏目]\n值=0\n"
    "[音效音量]\n值=100\n"
    "[是否设置快捷按钮]\n值=1\n"
    "[是否重复音效]\n值=0\n"
    "[是否窗口置顶]\n值=0\n";

// Processor time a thread of the program has used so far, in clock ticks.
struct ThreadTicks {
    int id = 0;
    std::string name;
    long long ticks = 0;
};

// The built program, run as a user runs it: a copy of the program folder (the executable, its
// INI files and sounds) in a folder of the test, started on the test's X display and audio
// server (DISPLAY, PULSE_SERVER, ... taken from this process's environment), driven with
// xdotool and stopped by its process id. A copy per test because the program refuses a second
// copy started from the same path and tests run in parallel.
class ProgramUnderTest {
  public:
    // Copies the program folder into `folder`/program, with the shipped config.ini and the
    // factory slot list as the live one. `folder` also takes the program's runtime folder and
    // its logs.
    explicit ProgramUnderTest(const std::string& folder);
    // A program installed elsewhere (by the package), run where it is: started from
    // `executable`, its shipped files in `programFolder`, the user's INI files in `dataFolder`.
    struct Installation {
        std::string executable;
        std::string programFolder;
        std::string dataFolder;
    };
    ProgramUnderTest(const std::string& folder, Installation installation);
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // The copy is complete (the built program folder was found and copied), or the installed
    // executable is there.
    bool Installed() const { return installed_; }
    const std::string& Folder() const { return programFolder_; }
    std::string File(std::string_view relative) const;
    // A file of the data folder: for the copy, the program folder.
    std::string DataFile(std::string_view relative) const;

    // Replaces config.ini or the live slot list Sounds/Common/list.ini of the data folder, or
    // any other file of the program folder, with UTF-8 text stored as GBK, as the program keeps
    // its INI files.
    bool WriteConfig(std::string_view utf8) const;
    bool WriteSlotList(std::string_view utf8) const;
    bool WriteGbkFile(std::string_view relative, std::string_view utf8) const;

    // Values of the INI files as the program wrote them, as UTF-8.
    std::string ReadConfig(std::string_view section, std::string_view key);
    std::string ReadSlotList(std::string_view section, std::string_view key);

    // The main window's title to wait for (a regular expression, as xdotool takes it).
    void SetWindowTitle(std::string title) { windowTitle_ = std::move(title); }
    // Runs the program as a native Wayland client of the compositor, with no X display and
    // without the window frames Qt would draw (so that window places are content places); the
    // X-only helpers below then do nothing useful.
    void RunOnWayland(const WestonDisplay& weston) { weston_ = &weston; }

    // Starts the program and waits until its main window shows; false when it did not within
    // the limit (the program keeps running; Log() tells why).
    bool Start(std::chrono::milliseconds limit = std::chrono::seconds(20));
    bool Running();
    pid_t Pid() const { return process_ ? process_->Pid() : -1; }
    // The main window's X window id (decimal, as xdotool prints it).
    const std::string& Window() const { return window_; }
    // What the program wrote to standard output and standard error since its last start.
    std::string Log() const;

    // Input as a user gives it: a left click at client coordinates of the main window,
    // key presses (xdotool key syntax, e.g. "ctrl+F1", "Down Return") to the focused window.
    bool Click(Point at) const;
    bool Key(const std::string& keys) const;

    // The program's visible top-level windows other than the main window (message boxes,
    // dialogs), as X window ids.
    std::vector<std::string> OtherWindows() const;
    std::string WindowName(const std::string& window) const;
    // The program's visible pop-ups: menus, open combo-box lists, tooltips.
    std::vector<std::string> Popups() const;
    // Waits for a window other than the main window, gives it the focus and presses `keys` in
    // it; the window's title, or nothing when no such window showed within the limit.
    std::optional<std::string> AnswerBox(
        const std::string& keys = "Return",
        std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

    // Closes the main window like the title bar's close button (WM_DELETE_WINDOW).
    bool CloseWindow() const;

    // The exit code once the program has ended within the limit.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);
    // Ends the program (SIGTERM, then SIGKILL) and everything it started.
    void Kill();

    // CPU time the program has used so far (user + system), in clock ticks
    // (sysconf(_SC_CLK_TCK) per second); nothing when it is not running.
    std::optional<long long> CpuTicks() const;
    // The same for each of its threads.
    std::vector<ThreadTicks> ThreadCpuTicks() const;

  private:
    std::vector<std::string> VisibleWindows(bool popups) const;

    bool WriteGbkPath(const std::string& path, std::string_view utf8) const;

    std::string folder_;
    std::string programFolder_;
    std::string dataFolder_;
    std::string executable_;
    std::string windowTitle_ = "Vorlune";
    const WestonDisplay* weston_ = nullptr;
    bool installed_ = false;
    int starts_ = 0;
    std::unique_ptr<ChildProcess> process_;
    std::string window_;
    ProfileFiles files_;
};

}  // namespace vorlune::test
