// Figures of the virtual microphone on a private PulseAudio and on a private PipeWire with
// pipewire-pulse, made by the program's own PulseMicrophoneSystem:
// - from the wish to the virtual microphone offered;
// - the delay the microphone path adds to the voice;
// - from a server restart to the virtual microphone offered again.
//
// How the delay is taken. The stand-in microphone is a source remapped from a null sink's
// monitor ("voice_feed"); clicks played into that sink are recorded twice, on the sink's monitor
// (what the microphone says) and on the virtual microphone (what the chat hears), by two parec
// started at different moments. A thread notes the clock each time a recording's file grows, so
// every frame gets the moment it was captured (the write that brought it, less the frames after
// it in that write); a click's delay is the moment its echo was captured on the virtual
// microphone less the moment it was captured on the microphone. Both recorders run at 10 ms, so
// one figure is good to a few milliseconds; the median of ten is the figure.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "AudioTestFiles.h"
#include "Commands.h"
#include "PipeWireServer.h"
#include "PulseServer.h"
#include "SinkRecorder.h"
#include "SoundServer.h"
#include "TempDir.h"
#include "audio/pulse/PulseMicrophoneSystem.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace test = vorlune::test;
using vorlune::VirtualMicrophoneState;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// When each frame of a recording reached its file: polled while it runs, so that two recordings
// started at different moments can be laid over each other.
class ArrivalClock {
  public:
    explicit ArrivalClock(const test::SinkRecorder& recorder)
        : thread_([this, &recorder] {
              std::size_t last = 0;
              while (!stop_) {
                  const std::size_t frames = recorder.FramesSoFar();
                  if (frames != last) {
                      std::lock_guard lock(mutex_);
                      arrivals_.emplace_back(Clock::now(), frames);
                      last = frames;
                  }
                  std::this_thread::sleep_for(200us);
              }
          }) {}
    ~ArrivalClock() {
        stop_ = true;
        thread_.join();
    }
    ArrivalClock(const ArrivalClock&) = delete;
    ArrivalClock& operator=(const ArrivalClock&) = delete;

    // When frame `k` was captured: the write that brought it, less the frames after it in that
    // write.
    std::optional<Clock::time_point> Captured(std::size_t k) {
        std::lock_guard lock(mutex_);
        for (const auto& [time, frames] : arrivals_) {
            if (frames > k) {
                return time - std::chrono::microseconds((frames - k) * 1000000 /
                                                        test::SinkRecorder::kRate);
            }
        }
        return std::nullopt;
    }

  private:
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<std::pair<Clock::time_point, std::size_t>> arrivals_;
    std::thread thread_;
};

// The onsets of clicks at least 0.2 s apart after `from`.
std::vector<std::size_t> Clicks(const std::vector<float>& mono, std::size_t from) {
    std::vector<std::size_t> onsets;
    for (std::size_t at = from; const auto click = test::FirstLoudFrame(mono, at, 0.3F);) {
        onsets.push_back(*click);
        at = *click + test::SinkRecorder::kRate / 5;
    }
    return onsets;
}

// Milliseconds from each click said to its echo on the virtual microphone, in order.
std::vector<double> Delays(const std::string& clicks) {
    test::TempDir dir;
    test::SinkRecorder spoken("voice_feed", dir.File("voice.raw"));
    test::SinkRecorder ours(
        test::SinkRecorder::Source{std::string(vorlune::kVirtualMicrophoneSource)},
        dir.File("ours.raw"));
    ArrivalClock spokenClock(spoken);
    ArrivalClock oursClock(ours);
    // Idle null sinks work in 2-second blocks until a stream asks for less.
    std::this_thread::sleep_for(2500ms);
    const std::size_t spokenFrom = spoken.FramesSoFar();
    const std::size_t oursFrom = ours.FramesSoFar();
    if (!test::Run("paplay -d voice_feed " + clicks)) {
        return {};
    }
    std::this_thread::sleep_for(500ms);
    const std::vector<std::size_t> heard = Clicks(ours.Left(), oursFrom);
    std::vector<double> delays;
    for (const std::size_t click : Clicks(spoken.Left(), spokenFrom)) {
        const std::optional<Clock::time_point> said = spokenClock.Captured(click);
        for (const std::size_t echo : heard) {
            const std::optional<Clock::time_point> then = oursClock.Captured(echo);
            if (said && then && Ms(*then - *said) > -5.0 && Ms(*then - *said) < 250.0) {
                delays.push_back(Ms(*then - *said));
                break;
            }
        }
    }
    return delays;
}

bool WaitUntilOn(const vorlune::MicrophoneSystem& system) {
    return test::WaitFor([&] { return system.Status().state == VirtualMicrophoneState::On; }, 10s,
                         1ms);
}

void Measure(test::SoundServer& server, const std::string& clicks) {
    const char* kind = server.Kind() == "PipeWire" ? "PipeWire" : "PulseAudio";
    if (!server.Ready() || !test::AddFedMicrophone("voice")) {
        std::printf("%s: no server\n%s\n", kind, server.Log().c_str());
        return;
    }
    vorlune::PulseMicrophoneSystem system;
    vorlune::VirtualMicrophoneWish wish;
    wish.on = true;
    wish.microphone = "voice";
    const Clock::time_point asked = Clock::now();
    system.Apply(wish);
    if (!WaitUntilOn(system)) {
        std::printf("%s: the virtual microphone did not come: %s\n", kind,
                    system.Status().error.c_str());
        return;
    }
    std::printf("%s: wish to virtual microphone on  %.1f ms\n", kind, Ms(Clock::now() - asked));

    std::vector<double> delays = Delays(clicks);
    if (delays.empty()) {
        std::printf("%s: no click reached the virtual microphone\n", kind);
    } else {
        std::sort(delays.begin(), delays.end());
        std::printf("%s: microphone path delay  median %.1f ms, range %.1f .. %.1f ms over %zu\n",
                    kind, delays[delays.size() / 2], delays.front(), delays.back(), delays.size());
    }

    if (!server.Restart()) {
        std::printf("%s: the server did not come back\n", kind);
        return;
    }
    const Clock::time_point back = Clock::now();
    test::AddFedMicrophone("voice");
    // Looked for on the server itself: the system may not have seen the server go yet.
    const bool offered = test::WaitFor(
        [] {
            return !test::DevicesWith("sources", std::string(vorlune::kVirtualMicrophoneSource))
                        .empty();
        },
        10s, 20ms);
    std::printf("%s: server restart to virtual microphone on  %s%.0f ms\n", kind,
                offered ? "" : "not within ", Ms(Clock::now() - back));
}

}  // namespace

int main() {
    test::TempDir dir;
    // Ten clicks, 0.5 s apart.
    const std::string clicks = dir.File("clicks.wav");
    if (!test::WritePulseWav(clicks, 2.0, 5.0, 0.8, 0.004, 48000)) {
        return 1;
    }
    {
        test::TempDir folder;
        test::PulseServer pulse(folder.Path());
        Measure(pulse, clicks);
    }
    {
        test::TempDir folder;
        test::PipeWireServer pipewire(folder.Path());
        Measure(pipewire, clicks);
    }
    return 0;
}
