#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "AudioTestFiles.h"
#include "TempDir.h"
#include "audio/AudioPlayer.h"
#include "audio/SdlAudioEngine.h"

extern char** environ;

namespace vorlune {
namespace {

using namespace std::chrono_literals;

// A child process started with posix_spawn and stopped by its process id.
class Child {
  public:
    Child(const std::vector<std::string>& args, const std::string& stdoutPath = {}) {
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!stdoutPath.empty()) {
            posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
        if (posix_spawnp(&pid_, argv[0], &actions, &attr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() { Stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return pid_ > 0; }
    void Stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return out;
}

// The loudest 4096-sample stretch of a recording's first channel.
struct Heard {
    double rms = 0.0;
    double frequency = 0.0;
};
Heard Loudest(const std::string& rawPath) {
    const std::vector<float> left = test::FirstChannel(test::ReadS16File(rawPath), 2);
    Heard best;
    constexpr std::size_t kWindow = 4096;
    std::size_t at = 0;
    for (std::size_t i = 0; i + kWindow <= left.size(); i += kWindow / 2) {
        const double rms = test::Rms(left.data() + i, kWindow);
        if (rms > best.rms) {
            best.rms = rms;
            at = i;
        }
    }
    if (best.rms > 0.0) {
        best.frequency = test::PeakFrequency(left.data() + at, 2048, 48000);
    }
    return best;
}

// A private PulseAudio server with the null sinks A ("SinkA", the default) and B ("SinkB").
class PulseServer {
  public:
    explicit PulseServer(const test::TempDir& dir) {
        const std::string& d = dir.Path();
        ::setenv("PULSE_RUNTIME_PATH", (d + "/run").c_str(), 1);
        ::setenv("PULSE_STATE_PATH", (d + "/state").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
        ::setenv("PULSE_COOKIE", (d + "/cookie").c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + d + "/run/native").c_str(), 1);
        ::setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
        test::WriteFileBytes(d + "/null2.pa",
                             "load-module module-native-protocol-unix socket=" + d +
                                 "/run/native auth-anonymous=1\n"
                                 "load-module module-null-sink sink_name=A "
                                 "sink_properties=device.description=SinkA\n"
                                 "load-module module-null-sink sink_name=B "
                                 "sink_properties=device.description=SinkB\n"
                                 "set-default-sink A\n");
        server_ = std::make_unique<Child>(std::vector<std::string>{
            "pulseaudio", "-n", "-F", d + "/null2.pa", "--daemonize=no", "--exit-idle-time=-1",
            "--disallow-exit", "--use-pid-file=no", "--log-target=file:" + d + "/pa.log"});
        ready_ = server_->Started() &&
                 WaitFor([] { return std::system("pactl info >/dev/null 2>&1") == 0; }, 10s);
    }
    bool Ready() const { return ready_; }
    // Removes sink B as if its card were unplugged.
    bool UnplugB() {
        const std::string modules = CommandOutput("pactl list short modules");
        const std::size_t at = modules.find("sink_name=B");
        if (at == std::string::npos) {
            return false;
        }
        const std::size_t lineStart = modules.rfind('\n', at) + 1;
        const std::string index =
            modules.substr(lineStart, modules.find('\t', lineStart) - lineStart);
        return std::system(("pactl unload-module " + index).c_str()) == 0;
    }

  private:
    std::unique_ptr<Child> server_;
    bool ready_ = false;
};

TEST(PulseOutput, PlaysOnTheChosenSinkOnlyAndSurvivesItsRemoval) {
    test::TempDir dir;
    PulseServer pulse(dir);
    ASSERT_TRUE(pulse.Ready()) << test::ReadFileBytes(dir.File("pa.log"));
    ASSERT_TRUE(test::WriteToneWav(dir.File("tone.wav"),
                                   {.frequency = 440, .seconds = 1.5, .amplitude = 0.5}));
    ASSERT_TRUE(test::WriteToneWav(dir.File("long.wav"), {.frequency = 660, .seconds = 20}));

    // An idle null sink works in 2-second blocks: record first, then wait before playing.
    Child recordA({"parec", "-d", "A.monitor", "--latency-msec=10", "--format=s16le",
                   "--rate=48000", "--channels=2"},
                  dir.File("A.raw"));
    Child recordB({"parec", "-d", "B.monitor", "--latency-msec=10", "--format=s16le",
                   "--rate=48000", "--channels=2"},
                  dir.File("B.raw"));
    ASSERT_TRUE(recordA.Started() && recordB.Started());
    std::this_thread::sleep_for(2500ms);

    {
        // The list shows both sinks by name; the default output is SinkA itself.
        SdlAudioEngine engine;
        AudioPlayer player(engine);
        ASSERT_TRUE(player.GetDeviceInfo(1));
        ASSERT_TRUE(player.GetDeviceInfo(2));
        EXPECT_EQ(player.GetDeviceInfo(1)->name, "SinkA");
        EXPECT_EQ(player.GetDeviceInfo(2)->name, "SinkB");
        EXPECT_FALSE(player.GetDeviceInfo(3));
        EXPECT_TRUE(player.GetDeviceInfo(1)->flags & kDeviceDefault);
        EXPECT_TRUE(player.Init());
        EXPECT_EQ(player.CurrentDevice(), 1);
        EXPECT_FALSE(player.Init(1));
        EXPECT_TRUE(player.Free());
    }

    SdlAudioEngine engine;
    AudioPlayer player(engine);
    ASSERT_TRUE(player.Init(2));
    std::this_thread::sleep_for(2500ms);
    const StreamHandle tone = player.CreateStream(dir.File("tone.wav"));
    ASSERT_NE(tone, 0U);
    ASSERT_TRUE(player.Play(tone));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(tone) == ChannelState::Stopped; }, 10s));
    std::this_thread::sleep_for(2500ms);
    recordA.Stop();
    recordB.Stop();

    const Heard onB = Loudest(dir.File("B.raw"));
    const Heard onA = Loudest(dir.File("A.raw"));
    EXPECT_GT(onB.rms, 0.3) << "a 0.5 sine has an RMS of 0.35";
    EXPECT_NEAR(onB.frequency, 440.0, 25.0);
    EXPECT_LT(onA.rms, 0.001);

    // SinkB goes away while a sound plays on it: the stream ends, the program carries on, and
    // another output opens.
    const StreamHandle longTone = player.CreateStream(dir.File("long.wav"));
    ASSERT_NE(longTone, 0U);
    ASSERT_TRUE(player.Play(longTone));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(pulse.UnplugB());
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(longTone) == ChannelState::Stopped; }, 5s));
    EXPECT_FALSE(player.Play(longTone));
    EXPECT_TRUE(player.Free());
    ASSERT_TRUE(player.Init(1));
    const StreamHandle again = player.CreateStream(dir.File("tone.wav"));
    ASSERT_NE(again, 0U);
    EXPECT_TRUE(player.Play(again));
    EXPECT_TRUE(WaitFor([&] { return player.IsActive(again) == ChannelState::Stopped; }, 10s));
}

}  // namespace
}  // namespace vorlune
