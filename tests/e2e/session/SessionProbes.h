#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "MainWindowPlaces.h"

namespace vorlune::test {

// What a user sees and hears of the program, read from outside it: screenshots of its windows
// (Screenshot.h), the sound that reached a sink, its windows by title.

// The button face of a slot (inside its border) and the hotkey label below the button, from
// the button's centre.
Area SlotFace(Point centre);
Area SlotLabel(Point centre);

// The left channel of a sink's recording (parec, s16le stereo at 48 kHz) from a frame on,
// read without the part before it.
inline constexpr int kSinkRate = 48000;
std::size_t RecordedFrames(const std::string& recording);
std::vector<float> RecordedSince(const std::string& recording, std::size_t fromFrame);

inline std::size_t Frames(std::chrono::milliseconds time) {
    return static_cast<std::size_t>(time.count()) * kSinkRate / 1000;
}

// The strongest amplitude of a tone at `frequency` over the samples, in windows of 4096.
double ToneLevel(const std::vector<float>& mono, double frequency);
// RMS of samples [from, to), 0 when the range is empty.
double RmsOf(const std::vector<float>& mono, std::size_t from, std::size_t to);
// How long the samples are loud (10-ms blocks with RMS above `threshold`), and where the first
// and the last loud block are.
struct Loudness {
    std::chrono::milliseconds loud{0};
    std::optional<std::size_t> firstFrame;
    std::optional<std::size_t> lastFrame;  // end of the last loud block
};
Loudness LoudnessOf(const std::vector<float>& mono, double threshold = 0.01);

// Polls `done` every 50 ms until it holds or `limit` has passed: the session's checks read
// whole recordings, so they are not repeated as often as WaitFor's.
bool PollFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

// Visible top-level windows of a process, and the first of them titled `title` within `limit`.
std::vector<std::string> VisibleWindowsOf(pid_t pid);
std::optional<std::string> WaitForWindowTitled(pid_t pid, const std::string& title,
                                               std::chrono::milliseconds limit);
// Gives the window the input focus and presses keys in it (xdotool key syntax).
bool PressIn(const std::string& window, const std::string& keys);
// Mouse input at window coordinates: "click 1", "click 3", "click --repeat 2 --delay 80 1".
bool MouseAt(const std::string& window, int x, int y, const std::string& action = "click 1");

// Processes whose executable is `path`.
std::vector<pid_t> ProcessesRunning(const std::string& path);

}  // namespace vorlune::test
