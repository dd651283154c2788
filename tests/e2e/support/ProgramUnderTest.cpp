#include "ProgramUnderTest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Commands.h"
#include "TempDir.h"
#include "WestonDisplay.h"
#include "XWindows.h"
#include "base/GbkText.h"

namespace vorlune::test {
namespace {

namespace fs = std::filesystem;

// User plus system time of a process or thread from its /proc stat file, in clock ticks.
std::optional<long long> StatCpuTicks(const std::string& path) {
    std::ifstream in(path);
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name in parentheses may hold blanks: count fields after its closing one.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    // Fields after the name start with the state (field 3); utime and stime are 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stoll(field);
        } else if (i == 15) {
            stime = std::stoll(field);
        }
    }
    return utime + stime;
}

}  // namespace

ProgramUnderTest::ProgramUnderTest(const std::string& folder)
    : folder_(folder),
      programFolder_(folder + "/program"),
      dataFolder_(programFolder_),
      executable_(programFolder_ + "/vorlune") {
    std::error_code error;
    const fs::path built(VORLUNE_E2E_PROGRAM_DIR);
    if (!fs::is_regular_file(built / "vorlune", error)) {
        return;
    }
    fs::copy(built, programFolder_, fs::copy_options::recursive, error);
    if (error) {
        return;
    }
    // The built folder's settings and live slot list are whatever the last run there left:
    // start from the shipped ones, as a fresh installation does.
    const auto overwrite = fs::copy_options::overwrite_existing;
    fs::copy_file(VORLUNE_E2E_SHIPPED_CONFIG, programFolder_ + "/config.ini", overwrite, error);
    if (!error) {
        fs::copy_file(programFolder_ + "/Config/list.ini",
                      programFolder_ + "/Sounds/Common/list.ini", overwrite, error);
    }
    installed_ = !error && fs::is_regular_file(programFolder_ + "/vorlune", error);
}

ProgramUnderTest::ProgramUnderTest(const std::string& folder, Installation installation)
    : folder_(folder),
      programFolder_(std::move(installation.programFolder)),
      dataFolder_(std::move(installation.dataFolder)),
      executable_(std::move(installation.executable)) {
    std::error_code error;
    installed_ = fs::is_regular_file(executable_, error);
}

ProgramUnderTest::~ProgramUnderTest() {
    Kill();
}

std::string ProgramUnderTest::File(std::string_view relative) const {
    return programFolder_ + "/" + std::string(relative);
}

std::string ProgramUnderTest::DataFile(std::string_view relative) const {
    return dataFolder_ + "/" + std::string(relative);
}

bool ProgramUnderTest::WriteGbkFile(std::string_view relative, std::string_view utf8) const {
    return WriteGbkPath(File(relative), utf8);
}

bool ProgramUnderTest::WriteGbkPath(const std::string& path, std::string_view utf8) const {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    WriteFileBytes(path, Utf8ToGbk(utf8));
    return !error && fs::is_regular_file(path, error);
}

bool ProgramUnderTest::WriteConfig(std::string_view utf8) const {
    return WriteGbkPath(DataFile("config.ini"), utf8);
}

bool ProgramUnderTest::WriteSlotList(std::string_view utf8) const {
    return WriteGbkPath(DataFile("Sounds/Common/list.ini"), utf8);
}

std::string ProgramUnderTest::ReadConfig(std::string_view section, std::string_view key) {
    return files_.Read(DataFile("config.ini"), section, key);
}

std::string ProgramUnderTest::ReadSlotList(std::string_view section, std::string_view key) {
    return files_.Read(DataFile("Sounds/Common/list.ini"), section, key);
}

bool ProgramUnderTest::Start(std::chrono::milliseconds limit) {
    if (!installed_ || Running()) {
        return false;
    }
    const std::string runtime = folder_ + "/runtime";
    std::error_code error;
    fs::create_directories(runtime, error);
    ::chmod(runtime.c_str(), 0700);
    ++starts_;
    ChildProcess::Options options;
    options.outputPath = folder_ + "/program-" + std::to_string(starts_) + ".log";
    options.stderrToo = true;
    options.environment = {
        {"XDG_RUNTIME_DIR", runtime},
        {"XDG_CACHE_HOME", folder_ + "/cache"},
        // The real X display, so global hotkeys and the window system are the real ones.
        {"QT_QPA_PLATFORM", std::nullopt},
    };
    if (weston_ != nullptr) {
        options.environment["QT_QPA_PLATFORM"] = "wayland";
        options.environment["QT_WAYLAND_DISABLE_WINDOWDECORATION"] = "1";
        options.environment["DISPLAY"] = std::nullopt;
    } else {
        // An X11 session, even when the tests run inside a Wayland desktop.
        options.environment["WAYLAND_DISPLAY"] = std::nullopt;
        options.environment["XDG_SESSION_TYPE"] = std::nullopt;
    }
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{executable_}, options);
    window_.clear();
    if (!process_->Started()) {
        return false;
    }
    if (weston_ != nullptr) {
        if (weston_->WaitForWindow(windowTitle_, limit)) {
            window_ = windowTitle_;
        }
        return !window_.empty();
    }
    const std::string search = "xdotool search --all --onlyvisible --pid " +
                               std::to_string(process_->Pid()) + " --name " +
                               ShellQuoted(windowTitle_) + " 2>/dev/null";
    WaitFor(
        [&] {
            const std::vector<std::string> found = Lines(CommandOutput(search));
            if (!found.empty()) {
                window_ = found.front();
            }
            return !window_.empty() || !process_->Running();
        },
        limit);
    return !window_.empty();
}

bool ProgramUnderTest::Running() {
    return process_ && process_->Running();
}

std::string ProgramUnderTest::Log() const {
    return ReadFileBytes(folder_ + "/program-" + std::to_string(starts_) + ".log");
}

bool ProgramUnderTest::Click(Point at) const {
    return Run("xdotool mousemove --window " + window_ + " " + std::to_string(at.x) + " " +
               std::to_string(at.y) + " click 1");
}

bool ProgramUnderTest::Key(const std::string& keys) const {
    return Run("xdotool key " + keys);
}

std::vector<std::string> ProgramUnderTest::VisibleWindows(bool popups) const {
    std::vector<std::string> windows;
    if (!process_) {
        return windows;
    }
    const std::string search =
        "xdotool search --onlyvisible --pid " + std::to_string(process_->Pid()) + " 2>/dev/null";
    for (const std::string& window : Lines(CommandOutput(search))) {
        if (window != window_ &&
            IsPopup(static_cast<std::uint32_t>(std::stoul(window))) == popups) {
            windows.push_back(window);
        }
    }
    return windows;
}

std::vector<std::string> ProgramUnderTest::OtherWindows() const {
    return VisibleWindows(false);
}

std::vector<std::string> ProgramUnderTest::Popups() const {
    return VisibleWindows(true);
}

std::string ProgramUnderTest::WindowName(const std::string& window) const {
    return WindowTitle(static_cast<std::uint32_t>(std::stoul(window)));
}

std::optional<std::string> ProgramUnderTest::AnswerBox(const std::string& keys,
                                                       std::chrono::milliseconds limit) const {
    std::string box;
    WaitFor(
        [&] {
            const std::vector<std::string> others = OtherWindows();
            if (!others.empty()) {
                box = others.back();
            }
            return !box.empty();
        },
        limit);
    if (box.empty()) {
        return std::nullopt;
    }
    const std::string title = WindowName(box);
    if (!Run("xdotool windowfocus --sync " + box + " key " + keys)) {
        return std::nullopt;
    }
    return title;
}

bool ProgramUnderTest::CloseWindow() const {
    return !window_.empty() && SendDeleteWindow(static_cast<std::uint32_t>(std::stoul(window_)));
}

std::optional<int> ProgramUnderTest::WaitForExit(std::chrono::milliseconds limit) {
    if (!process_) {
        return std::nullopt;
    }
    return process_->WaitForExit(limit);
}

void ProgramUnderTest::Kill() {
    if (process_) {
        process_->Stop();
    }
}

std::optional<long long> ProgramUnderTest::CpuTicks() const {
    if (!process_ || !process_->Started()) {
        return std::nullopt;
    }
    return StatCpuTicks("/proc/" + std::to_string(process_->Pid()) + "/stat");
}

std::vector<ThreadTicks> ProgramUnderTest::ThreadCpuTicks() const {
    std::vector<ThreadTicks> threads;
    if (!process_ || !process_->Started()) {
        return threads;
    }
    std::error_code error;
    const std::string tasks = "/proc/" + std::to_string(process_->Pid()) + "/task";
    for (const fs::directory_entry& task : fs::directory_iterator(tasks, error)) {
        const std::string folder = task.path().string();
        std::ifstream comm(folder + "/comm");
        ThreadTicks thread;
        std::getline(comm, thread.name);
        thread.id = std::atoi(task.path().filename().c_str());
        if (const std::optional<long long> ticks = StatCpuTicks(folder + "/stat")) {
            thread.ticks = *ticks;
            threads.push_back(std::move(thread));
        }
    }
    return threads;
}

}  // namespace vorlune::test
