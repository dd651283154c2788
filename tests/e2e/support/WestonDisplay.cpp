#include "WestonDisplay.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {

WestonDisplay::WestonDisplay(const std::string& folder)
    : folder_(folder + "/weston"), control_(folder + "/weston/control") {
    const std::string runtime = folder_ + "/runtime";
    MakeFolders(runtime);
    ::chmod(runtime.c_str(), 0700);
    if (::mkfifo(control_.c_str(), 0600) != 0) {
        return;
    }
    ChildProcess::Options options;
    options.outputPath = folder_ + "/weston.log";
    options.stderrToo = true;
    options.environment = {{"XDG_RUNTIME_DIR", runtime},
                           {"VORLUNE_WESTON_CONTROL", control_},
                           {"DISPLAY", std::nullopt},
                           {"WAYLAND_DISPLAY", std::nullopt}};
    weston_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"weston", "--backend=headless-backend.so", "--socket=wayland-test",
                                 "--width=1280", "--height=800", "--idle-time=0",
                                 std::string("--modules=") + VORLUNE_E2E_WESTON_INPUT},
        options);
    const std::string socket = runtime + "/wayland-test";
    ready_ = weston_->Started() && WaitFor(
                                       [&] {
                                           std::error_code error;
                                           return std::filesystem::exists(socket, error) &&
                                                  weston_->Running();
                                       },
                                       std::chrono::seconds(10));
    if (ready_) {
        // Clients find the socket by its full path; the X display is not theirs to use.
        ::setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
        ::unsetenv("DISPLAY");
    }
}

std::string WestonDisplay::Log() const {
    return ReadFileBytes(folder_ + "/weston.log");
}

bool WestonDisplay::Command(const std::string& line) const {
    const int fd = ::open(control_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const std::string text = line + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    // Each input event is a moment of its own for the clients, as a person's would be.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    return written;
}

std::vector<WaylandWindow> WestonDisplay::Windows() const {
    static int requests = 0;
    const std::string path = folder_ + "/windows-" + std::to_string(++requests);
    std::vector<WaylandWindow> windows;
    if (!Command("windows " + path) ||
        !WaitFor([&] { return std::filesystem::exists(path); }, std::chrono::seconds(5))) {
        return windows;
    }
    for (const std::string& line : Lines(ReadFileBytes(path))) {
        std::istringstream in(line);
        WaylandWindow window;
        in >> window.x >> window.y >> window.width >> window.height;
        std::getline(in >> std::ws, window.title);
        windows.push_back(window);
    }
    return windows;
}

std::optional<WaylandWindow> WestonDisplay::WaitForWindow(const std::string& title,
                                                          std::chrono::milliseconds limit) const {
    std::optional<WaylandWindow> found;
    WaitFor(
        [&] {
            for (const WaylandWindow& window : Windows()) {
                if (window.title.find(title) != std::string::npos) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        limit, std::chrono::milliseconds(100));
    return found;
}

bool WestonDisplay::Click(int x, int y, int button) const {
    return Command("move " + std::to_string(x) + " " + std::to_string(y)) &&
           Command("button " + std::to_string(button) + " 1") &&
           Command("button " + std::to_string(button) + " 0");
}

bool WestonDisplay::PressKey(int code) const {
    return Command("key " + std::to_string(code) + " 1");
}

bool WestonDisplay::ReleaseKey(int code) const {
    return Command("key " + std::to_string(code) + " 0");
}

bool WestonDisplay::Chord(const std::vector<int>& codes) const {
    bool ok = true;
    for (const int code : codes) {
        ok = PressKey(code) && ok;
    }
    for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
        ok = ReleaseKey(*it) && ok;
    }
    return ok;
}

}  // namespace vorlune::test
