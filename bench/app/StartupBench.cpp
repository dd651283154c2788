// Start-up to window shown: starts the program in a copy of the program folder whose slot list
// has all 209 slots filled (name, file and hotkey), and measures the time from the fork until
// the X server maps the program's main window. Needs DISPLAY; prints one line per run and the
// median. Usage: bench_startup <dist folder> [runs]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DistinctHotkeys.h"
#include "base/GbkText.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string FullList() {
    std::string list;
    for (int n = 1; n <= 209; ++n) {
        list += "[音效" + std::to_string(n) + "]\r\n名称=音效" + std::to_string(n) + "\r\ndz=音效" +
                std::to_string(n) + "｜[取运行目录]\\Sounds\\Common\\叮.wav\r\nkjj=" +
                vorlune::test::DistinctSlotHotkey(n) + "\r\n";
    }
    return vorlune::Utf8ToGbk(list);
}

bool IsMainWindow(xcb_connection_t* c, xcb_window_t w) {
    const auto cookie =
        xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    bool found = false;
    if (reply != nullptr) {
        const std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                               static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        found = name.find("Vorlune") != std::string::npos;
        free(reply);
    }
    return found;
}

// `c` watches the root window's children being mapped.
double OneRun(xcb_connection_t* c, const fs::path& folder) {
    // Events left from the run before (its window going away) are not this run's.
    while (xcb_generic_event_t* old = xcb_poll_for_event(c)) {
        free(old);
    }
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string exe = (folder / "vorlune").string();
        execl(exe.c_str(), exe.c_str(), nullptr);
        _exit(127);
    }
    double ms = -1;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const bool mapped =
            (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
            IsMainWindow(c, reinterpret_cast<xcb_map_notify_event_t*>(event)->window);
        free(event);
        if (mapped) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage: DISPLAY=:N bench_startup <dist folder> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    const fs::path folder =
        fs::temp_directory_path() / ("vorlune-startup-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::copy(argv[1], folder, fs::copy_options::recursive);
    std::ofstream(folder / "Sounds/Common/list.ini", std::ios::binary) << FullList();
    // One connection for all runs: an X server that loses its last client resets itself, and
    // a program starting during the reset loses its connection.
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = OneRun(c, folder);
        std::printf("run %d: %.1f ms\n", i + 1, ms);
        if (ms < 0) {
            std::fprintf(stderr, "the connection to the X server broke\n");
            return 1;
        }
        times.push_back(ms);
    }
    xcb_disconnect(c);
    std::sort(times.begin(), times.end());
    std::printf("start-up to window shown, 209 filled slots: median %.1f ms (goal < 300 ms)\n",
                times[times.size() / 2]);
    fs::remove_all(folder);
    return 0;
}
