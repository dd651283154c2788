#include "ProgramCopy.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "Commands.h"
#include "TempDir.h"
#include "XWindows.h"
#include "base/GbkText.h"

namespace vorlune::test {

using namespace std::chrono_literals;

std::vector<std::uint32_t> FindWindows(const std::string& xdotoolSearch) {
    std::vector<std::uint32_t> windows;
    for (const std::string& line :
         Lines(CommandOutput("xdotool search " + xdotoolSearch + " 2>/dev/null"))) {
        windows.push_back(static_cast<std::uint32_t>(std::stoul(line)));
    }
    return windows;
}

bool Answer(std::uint32_t box, const std::string& keys) {
    return Run("xdotool windowfocus --sync " + std::to_string(box) + " key " + keys);
}

bool ClickAt(int x, int y, const std::string& clicks) {
    return Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " " + clicks);
}

ProgramCopy::ProgramCopy(std::string folder) : folder_(std::move(folder)) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::copy(VORLUNE_DIST_DIR, Path("program"), fs::copy_options::recursive, error);
    if (error) {
        return;
    }
    // A fresh installation's live slot list: the factory one.
    fs::copy_file(Path("program/Config/list.ini"), Path("program/Sounds/Common/list.ini"),
                  fs::copy_options::overwrite_existing, error);
    const bool listed = !error;
    fs::create_directories(Path("runtime"), error);
    ::chmod(Path("runtime").c_str(), 0700);
    installed_ = listed && !error && fs::is_regular_file(Path("program/vorlune"), error);
}

void ProgramCopy::WriteGbk(std::string_view relative, std::string_view utf8) const {
    WriteFileBytes(Path(relative), Utf8ToGbk(utf8));
}

std::string ProgramCopy::Read(std::string_view file, std::string_view section,
                              std::string_view key) {
    return files_.Read(Path(file), section, key);
}

void ProgramCopy::Start(const std::optional<std::string>& sessionBus,
                        const std::optional<std::string>& hotkeys) {
    ChildProcess::Options options;
    options.outputPath = Path("program.log");
    options.stderrToo = true;
    options.environment = {
        {"XDG_RUNTIME_DIR", Path("runtime")},
        {"XDG_CACHE_HOME", Path("cache")},
        {"XDG_CONFIG_HOME", Path("config")},
        {"XDG_DATA_HOME", Path("data")},
        {"HOME", folder_},
        {"QT_QPA_PLATFORM", "xcb"},
        {"DBUS_SESSION_BUS_ADDRESS", sessionBus},
        {"VORLUNE_HOTKEYS", hotkeys},
    };
    process_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{Path("program/vorlune")}, options);
}

std::string ProgramCopy::Log() const {
    return ReadFileBytes(Path("program.log"));
}

std::optional<std::uint32_t> ProgramCopy::VisibleWindow(const std::string& title) const {
    for (const std::uint32_t window : FindWindows("--onlyvisible --pid " + Pid())) {
        if (WindowTitle(window) == title && !IsPopup(window)) {
            return window;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> ProgramCopy::WaitForWindow(const std::string& title) const {
    std::optional<std::uint32_t> found;
    WaitFor([&] { return (found = VisibleWindow(title)).has_value(); }, 10s);
    return found;
}

std::optional<std::uint32_t> ProgramCopy::VisiblePopup() const {
    for (const std::uint32_t window : FindWindows("--onlyvisible --pid " + Pid())) {
        if (IsPopup(window)) {
            return window;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> ProgramCopy::TrayIconIn(std::uint32_t tray) const {
    const std::uint32_t trayClient = ClientOf(tray);
    for (const std::uint32_t window : FindWindows("--pid " + Pid())) {
        if (!PlaceOf(window).value_or(WindowPlace{}).viewable) {
            continue;
        }
        // An icon sits somewhere inside the windows of the tray's client.
        for (std::optional<std::uint32_t> up = ParentOf(window); up && *up != 0;
             up = ParentOf(*up)) {
            if (ClientOf(*up) == trayClient) {
                return window;
            }
        }
    }
    return std::nullopt;
}

}  // namespace vorlune::test
