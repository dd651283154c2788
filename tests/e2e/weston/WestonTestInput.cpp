// A weston module for tests: a keyboard and a mouse that the test drives, and a list of the
// windows on screen with their places. Loaded with --modules=<path of this module>; reads one
// command per line from the FIFO named by VORLUNE_WESTON_CONTROL:
//   key CODE 1|0          a key (evdev code) goes down or up
//   move X Y              the pointer moves to the screen point
//   button CODE 1|0       a mouse button (evdev code) goes down or up
//   windows PATH          writes "x y width height title" for every window and pop-up on
//                         screen, topmost first, into PATH (complete when it appears); a
//                         pop-up (a menu) has no title
// Weston's headless backend has no input devices at all; this seat stands in for them, as
// weston's own test suite does with a module of its own.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" {
#include <libweston-desktop/libweston-desktop.h>
#include <libweston/libweston.h>

// Exported by libweston 10 for its backends, but not in its installed headers.
void weston_seat_init(struct weston_seat* seat, struct weston_compositor* compositor,
                      const char* seatName);
int weston_seat_init_pointer(struct weston_seat* seat);
int weston_seat_init_keyboard(struct weston_seat* seat, struct xkb_keymap* keymap);
void notify_key(struct weston_seat* seat, const struct timespec* time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update);
void notify_motion_absolute(struct weston_seat* seat, const struct timespec* time, double x,
                            double y);
void notify_button(struct weston_seat* seat, const struct timespec* time, int32_t button,
                   enum wl_pointer_button_state state);
void notify_pointer_frame(struct weston_seat* seat);

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[]);
}

namespace {

struct TestInput {
    struct weston_compositor* compositor = nullptr;
    struct weston_seat seat {};
    int fifo = -1;
    std::string pending;
};

timespec Now() {
    timespec now{};
    weston_compositor_get_time(&now);
    return now;
}

void WriteWindows(TestInput& input, const std::string& path) {
    const std::string temporary = path + ".part";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr) {
        return;
    }
    struct weston_view* view = nullptr;
    wl_list_for_each(view, &input.compositor->view_list, link) {
        // Windows and pop-ups only: not the panel, the background or the cursor.
        const char* role = view->surface->role_name;
        if (role == nullptr || std::strncmp(role, "xdg_", 4) != 0 || !weston_view_is_mapped(view)) {
            continue;
        }
        struct weston_desktop_surface* window =
            weston_surface_is_desktop_surface(view->surface)
                ? weston_surface_get_desktop_surface(view->surface)
                : nullptr;
        const char* title = window != nullptr ? weston_desktop_surface_get_title(window) : nullptr;
        // A pop-up's place is kept relative to its parent's.
        float x = 0;
        float y = 0;
        weston_view_to_global_float(view, 0, 0, &x, &y);
        std::fprintf(out, "%d %d %d %d %s\n", static_cast<int>(x), static_cast<int>(y),
                     view->surface->width, view->surface->height, title != nullptr ? title : "");
    }
    std::fclose(out);
    std::rename(temporary.c_str(), path.c_str());
}

void RunCommand(TestInput& input, const std::string& line) {
    char word[16] = {};
    char path[4096] = {};
    int a = 0;
    int b = 0;
    const timespec now = Now();
    if (std::sscanf(line.c_str(), "key %d %d", &a, &b) == 2) {
        notify_key(&input.seat, &now, static_cast<uint32_t>(a),
                   b != 0 ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED,
                   STATE_UPDATE_AUTOMATIC);
    } else if (std::sscanf(line.c_str(), "move %d %d", &a, &b) == 2) {
        notify_motion_absolute(&input.seat, &now, a, b);
        notify_pointer_frame(&input.seat);
    } else if (std::sscanf(line.c_str(), "button %d %d", &a, &b) == 2) {
        notify_button(&input.seat, &now, a,
                      b != 0 ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
        notify_pointer_frame(&input.seat);
    } else if (std::sscanf(line.c_str(), "%15s %4095s", word, path) == 2 &&
               std::strcmp(word, "windows") == 0) {
        WriteWindows(input, path);
    }
}

int OnReadable(int fd, uint32_t /*mask*/, void* data) {
    auto& input = *static_cast<TestInput*>(data);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) {
        input.pending.append(buffer, static_cast<std::size_t>(n));
    }
    for (std::size_t end = input.pending.find('\n'); end != std::string::npos;
         end = input.pending.find('\n')) {
        RunCommand(input, input.pending.substr(0, end));
        input.pending.erase(0, end + 1);
    }
    return 0;
}

}  // namespace

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* /*argc*/,
                              char* /*argv*/[]) {
    const char* control = std::getenv("VORLUNE_WESTON_CONTROL");
    if (control == nullptr) {
        return -1;
    }
    auto* input = new TestInput;
    input->compositor = compositor;
    // Read and write, so that the FIFO never reads as ended between two writers.
    input->fifo = open(control, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (input->fifo < 0) {
        delete input;
        return -1;
    }
    weston_seat_init(&input->seat, compositor, "vorlune-test");
    weston_seat_init_pointer(&input->seat);
    weston_seat_init_keyboard(&input->seat, nullptr);
    wl_event_loop_add_fd(wl_display_get_event_loop(compositor->wl_display), input->fifo,
                         WL_EVENT_READABLE, OnReadable, input);
    return 0;
}
