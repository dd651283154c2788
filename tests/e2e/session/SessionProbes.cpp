#include "SessionProbes.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "XWindows.h"

namespace vorlune::test {
namespace {

constexpr std::size_t kFrameBytes = 4;  // s16le, two channels

}  // namespace

Area SlotFace(Point centre) {
    return {centre.x - 32, centre.y - 12, 64, 24};
}

Area SlotLabel(Point centre) {
    return {centre.x - 31, centre.y + 16, 64, 15};
}

std::size_t RecordedFrames(const std::string& recording) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(recording, error);
    return error ? 0 : static_cast<std::size_t>(size) / kFrameBytes;
}

std::vector<float> RecordedSince(const std::string& recording, std::size_t fromFrame) {
    std::ifstream in(recording, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(fromFrame * kFrameBytes));
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> left;
    left.reserve(bytes.size() / kFrameBytes);
    for (std::size_t at = 0; at + kFrameBytes <= bytes.size(); at += kFrameBytes) {
        const auto low = static_cast<std::uint8_t>(bytes[at]);
        const auto high = static_cast<std::uint8_t>(bytes[at + 1]);
        const auto sample = static_cast<std::int16_t>(low | (high << 8));
        left.push_back(static_cast<float>(sample) / 32768.0F);
    }
    return left;
}

double ToneLevel(const std::vector<float>& mono, double frequency) {
    constexpr std::size_t kWindow = 4096;
    double best = 0.0;
    for (std::size_t i = 0; i + kWindow <= mono.size(); i += kWindow / 2) {
        best = std::max(best, ToneAmplitude(mono.data() + i, kWindow, frequency, kSinkRate));
    }
    return best;
}

double RmsOf(const std::vector<float>& mono, std::size_t from, std::size_t to) {
    to = std::min(to, mono.size());
    return from < to ? Rms(mono.data() + from, to - from) : 0.0;
}

Loudness LoudnessOf(const std::vector<float>& mono, double threshold) {
    constexpr std::size_t kBlock = kSinkRate / 100;
    Loudness loudness;
    for (std::size_t i = 0; i + kBlock <= mono.size(); i += kBlock) {
        if (Rms(mono.data() + i, kBlock) > threshold) {
            loudness.loud += std::chrono::milliseconds(10);
            if (!loudness.firstFrame) {
                loudness.firstFrame = i;
            }
            loudness.lastFrame = i + kBlock;
        }
    }
    return loudness;
}

std::vector<std::string> VisibleWindowsOf(pid_t pid) {
    return Lines(CommandOutput("xdotool search --onlyvisible --pid " + std::to_string(pid) +
                               " 2>/dev/null"));
}

std::optional<std::string> WaitForWindowTitled(pid_t pid, const std::string& title,
                                               std::chrono::milliseconds limit) {
    std::optional<std::string> found;
    PollFor(
        [&] {
            for (const std::string& window : VisibleWindowsOf(pid)) {
                if (WindowTitle(static_cast<std::uint32_t>(std::stoul(window))) == title) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        limit);
    return found;
}

bool PressIn(const std::string& window, const std::string& keys) {
    return Run("xdotool windowfocus --sync " + window + " key " + keys);
}

bool MouseAt(const std::string& window, int x, int y, const std::string& action) {
    return Run("xdotool mousemove --sync --window " + window + " " + std::to_string(x) + " " +
               std::to_string(y) + " " + action);
}

std::vector<pid_t> ProcessesRunning(const std::string& path) {
    std::vector<pid_t> found;
    std::error_code error;
    const std::filesystem::path wanted = std::filesystem::weakly_canonical(path, error);
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) {
            continue;
        }
        std::error_code readError;
        const std::filesystem::path exe =
            std::filesystem::read_symlink(entry.path() / "exe", readError);
        if (!readError && exe == wanted) {
            found.push_back(static_cast<pid_t>(std::stoi(name)));
        }
    }
    return found;
}

bool PollFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return WaitFor(done, limit, std::chrono::milliseconds(50));
}

}  // namespace vorlune::test
