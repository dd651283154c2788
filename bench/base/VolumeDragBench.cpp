// How long each step of a volume drag holds up the thread that makes it (the interface thread
// in the program), while another program records to the same disk, as a streaming program does.
//
// A drag is 50 slider steps, one every 16 ms (a mouse moving at 60 Hz). Each step saves
// "音效音量" in config.ini, the shipped file, in a folder on the disk to measure. Beside it a
// recorder thread writes a 1 MiB block every 10 ms or so (up to 100 MiB/s) into a 256 MiB file,
// round and round, and flushes it every 32 MiB, so the disk has a queue of writes to drain
// whenever a flush is asked.
// The drag is made twice: with each step written and flushed on the stepping thread, as the
// slider once did, and with SettingsStore::WriteInBackground, as it does now. Printed per way:
// the longest, the median and the sum of the time the stepping thread spent in the write, and
// for the background way how long after the last step its value was on disk.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/SettingsStore.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kSteps = 50;
constexpr auto kStepEvery = 16ms;
constexpr std::size_t kBlock = std::size_t{1} << 20;
constexpr std::size_t kRecordingBlocks = 256;
constexpr std::size_t kFlushEveryBlocks = 32;
constexpr auto kRecordPause = 10ms;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Writes to a file on the disk without pause until destroyed.
class Recorder {
  public:
    explicit Recorder(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)), path_(path) {
        if (fd_ >= 0) {
            thread_ = std::thread([this] { Record(); });
        }
    }
    ~Recorder() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    [[nodiscard]] bool Recording() const { return thread_.joinable(); }

  private:
    void Record() {
        const std::string block(kBlock, 'r');
        for (std::size_t n = 0; !stop_; ++n) {
            const auto offset = static_cast<off_t>((n % kRecordingBlocks) * kBlock);
            if (::pwrite(fd_, block.data(), block.size(), offset) < 0) {
                return;
            }
            if (n % kFlushEveryBlocks == kFlushEveryBlocks - 1) {
                ::fdatasync(fd_);
            }
            std::this_thread::sleep_for(kRecordPause);
        }
    }

    int fd_;
    std::string path_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

struct Drag {
    std::vector<double> stepMs;
    double onDiskAfterMs = 0;
};

Drag DragVolume(const std::function<void(int)>& step) {
    Drag drag;
    Clock::time_point next = Clock::now();
    for (int i = 0; i < kSteps; ++i) {
        std::this_thread::sleep_until(next);
        next += kStepEvery;
        const Clock::time_point begin = Clock::now();
        step(80 - i);
        drag.stepMs.push_back(Ms(Clock::now() - begin));
    }
    return drag;
}

void Report(const char* how, Drag drag) {
    std::vector<double>& ms = drag.stepMs;
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (const double m : ms) {
        sum += m;
    }
    std::printf("%-36s longest %8.3f ms, median %8.3f ms, in all %8.1f ms over %d steps\n", how,
                ms.back(), ms[ms.size() / 2], sum, kSteps);
}

std::string ShippedConfig() {
    std::ifstream in(VORLUNE_SHIPPED_CONFIG, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path base =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    std::string folder = (base / "vorlune-volume-drag-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "cannot make a folder in %s\n", base.c_str());
        return 1;
    }
    const vorlune::DataFolder data(folder);
    vorlune::ProfileFiles files;
    { std::ofstream(data.Join(vorlune::kConfigFile), std::ios::binary) << ShippedConfig(); }
    int failed = 0;
    {
        const Recorder recorder(folder + "/recording.bin");
        if (!recorder.Recording()) {
            std::fprintf(stderr, "cannot record into %s\n", folder.c_str());
            failed = 1;
        }
        std::this_thread::sleep_for(2s);  // the recorder's queue builds up
        std::printf(
            "Volume drag, %d steps every %lld ms, beside a recorder on the same disk (%s)\n",
            kSteps, static_cast<long long>(kStepEvery.count()), folder.c_str());
        {
            vorlune::SettingsStore settings(files, data);
            Report("written and flushed on the caller:", DragVolume([&](int position) {
                       settings.Write(vorlune::setting::kVolume, std::to_string(position));
                   }));
        }
        vorlune::SettingsStore settings(files, data);
        const Drag background = DragVolume([&](int position) {
            settings.WriteInBackground(vorlune::setting::kVolume, std::to_string(position));
        });
        const Clock::time_point rested = Clock::now();
        settings.Flush();
        const double onDisk = Ms(Clock::now() - rested);
        Report("written in the background:", background);
        std::printf("%-36s %8.1f ms after the last step\n", "last value on disk:", onDisk);
        if (files.Read(data.Join(vorlune::kConfigFile), "音效音量", "值") !=
            std::to_string(80 - kSteps + 1)) {
            std::fprintf(stderr, "the last value is not in the file\n");
            failed = 1;
        }
    }
    std::filesystem::remove_all(folder);
    return failed;
}
