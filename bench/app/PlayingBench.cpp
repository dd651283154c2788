// Figures of the built program while it plays, on a private Xvfb and PulseAudio server:
// - the delay from a click on a slot button (and from a slot hotkey) to the first sound on the
//   output sink;
// - the program's processor use while idle and while a long sound plays with the spectrum
//   (noise, whose spectrum changes every frame), in all and per thread, also with the monitor
//   output on (the same sound on a second sink);
// - the resident memory a thousand hotkey triggers leave behind, after the first sounds;
// - with the phone page on (127.0.0.1 only) and one page connected: a "play" sent over its live
//   WebSocket to the first sound on the sink, and the program's processor use while idle;
// - with the virtual microphone on: a click to the first sound on the sink and on the virtual
//   microphone, and the program's processor use while idle.
//
// How the delay is taken. The moment of the input: a watcher thread on its own X connection
// gets the X server's raw button-release (a click acts on release) and raw key-press events as
// the server delivers them and notes the clock on arrival. The moment of the sound: a recorder
// (parec, 10 ms latency) writes sink A's monitor into a file in real time; just before the input
// the number of frames in the file is noted with the clock (the mark); the first frame after it
// louder than -40 dBFS is the onset, and frames count time at 48 kHz. So the sound was rendered
// at mark time + (onset - mark) / 48000 s - the recorder's lag (the mark frame was rendered a
// little before the mark was taken). The printed delay leaves out that lag (at most a few
// recorder periods of 10 ms). The null sink renders its monitor in blocks (up to 10 ms) a little
// ahead of the clock, though, so once the program itself adds next to nothing a single delay
// can come out below zero: one delay is good to about +-5 ms, the median of ten is the figure.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QCoreApplication>
#include <QTcpServer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AudioTestFiles.h"
#include "ChildProcess.h"
#include "Commands.h"
#include "MainWindowPlaces.h"
#include "PhoneClient.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SessionBus.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XvfbDisplay.h"
#include "hotkeys/x11/RawInputEvents.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace test = vorlune::test;

constexpr char kSlotList[] =
    "[音效1]\n名称=Short\ndz=音效1｜[取运行目录]\\Sounds\\Common\\short.wav\nkjj=Ctrl｜F1键\n"
    "[音效2]\n名称=Long\ndz=音效2｜[取运行目录]\\Sounds\\Common\\long.wav\n"
    "[音效3]\n名称=Hour\ndz=音效3｜[取运行目录]\\Sounds\\Common\\hour.mp3\n";
constexpr char kPhoneSecret[] = "00112233445566778899aabbccddeeff";

constexpr float kOnsetThreshold = 0.01f;  // -40 dBFS

// Notes when the X server delivers raw button releases and key presses, on its own thread.
class InputEventClock {
  public:
    InputEventClock() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_) != 0 || !SelectRawEvents()) {
            return;
        }
        thread_ = std::thread([this] { Watch(); });
    }
    ~InputEventClock() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        xcb_disconnect(connection_);
    }
    InputEventClock(const InputEventClock&) = delete;
    InputEventClock& operator=(const InputEventClock&) = delete;

    bool Watching() const { return thread_.joinable(); }
    void Clear() {
        std::lock_guard lock(mutex_);
        last_.reset();
    }
    // When the last event of the kind arrived since Clear().
    std::optional<Clock::time_point> Last() {
        std::lock_guard lock(mutex_);
        return last_;
    }
    void Expect(std::uint16_t type) { type_ = type; }

  private:
    bool SelectRawEvents() {
        const std::optional<std::uint8_t> opcode = vorlune::SelectRawInputEvents(
            connection_, xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root,
            XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE);
        opcode_ = opcode.value_or(0);
        return opcode.has_value();
    }
    void Watch() {
        pollfd readable{xcb_get_file_descriptor(connection_), POLLIN, 0};
        while (!stop_) {
            ::poll(&readable, 1, 50);
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const Clock::time_point now = Clock::now();
                const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
                if ((event->response_type & 0x7F) == XCB_GE_GENERIC &&
                    generic->extension == opcode_ && generic->event_type == type_) {
                    std::lock_guard lock(mutex_);
                    last_ = now;
                }
                std::free(event);
            }
        }
    }

    xcb_connection_t* connection_;
    std::uint8_t opcode_ = 0;
    std::atomic<std::uint16_t> type_ = XCB_INPUT_RAW_BUTTON_RELEASE;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::optional<Clock::time_point> last_;
    std::thread thread_;
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Milliseconds from `mark` to the first loud frame on the sink, looked for up to 3 s with
// `wait` (the plain wait, or one that turns the bench's own Qt event loop).
template <typename Wait>
std::optional<double> DelayToOnset(const test::SinkRecorder& sink, std::size_t mark, Wait wait) {
    std::optional<std::size_t> onset;
    wait(
        [&] {
            onset = test::FirstLoudFrame(sink.Left(), mark, kOnsetThreshold);
            return onset.has_value();
        },
        3s);
    if (!onset) {
        return std::nullopt;
    }
    return 1000.0 * static_cast<double>(*onset - mark) / test::SinkRecorder::kRate;
}

const auto kPlainWait = [](const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return test::WaitFor(done, limit);
};

// Runs `command` (an xdotool input) and measures from the input's arrival at the X server to
// the onset of the sound it starts.
std::optional<double> MeasureOnce(const test::SinkRecorder& sink, InputEventClock& input,
                                  const std::string& command) {
    input.Clear();
    const std::size_t mark = sink.FramesSoFar();
    const Clock::time_point markTime = Clock::now();
    if (!test::Run(command)) {
        return std::nullopt;
    }
    const std::optional<double> onsetAfterMarkMs = DelayToOnset(sink, mark, kPlainWait);
    const std::optional<Clock::time_point> inputTime = input.Last();
    if (!onsetAfterMarkMs || !inputTime) {
        return std::nullopt;
    }
    return *onsetAfterMarkMs - Ms(*inputTime - markTime);
}

// Starts the `vorlune` command and measures from just before its process starts to the onset
// of the sound it asks for: its whole start (loader, bus connection, the call) included.
std::optional<double> MeasureCommandOnce(const test::SinkRecorder& sink,
                                         const std::vector<std::string>& command) {
    const std::size_t mark = sink.FramesSoFar();
    test::ChildProcess client(command);
    // The command ends once the program has started the sound; the onset is looked for only
    // then, so that reading the recording does not take the processor from the command.
    if (!client.Started() || client.WaitForExit(3s) != 0) {
        return std::nullopt;
    }
    return DelayToOnset(sink, mark, kPlainWait);
}

void ReportDelays(const char* what, const std::function<std::optional<double>()>& measure,
                  const test::PulseServer& pulse) {
    std::vector<double> delays;
    int corked = 0;
    for (int i = 0; i < 10; ++i) {
        // Each sound lasts 0.3 s: let it end and the sink fall silent before the next. By then
        // the program's output rests corked, so each delay is that of a first sound after idle.
        std::this_thread::sleep_for(700ms);
        corked += pulse.AllCorked() ? 1 : 0;
        const std::optional<double> delay = measure();
        if (!delay) {
            std::printf("  %s %d: no input event or no sound within 3 s\n", what, i + 1);
            continue;
        }
        delays.push_back(*delay);
    }
    if (delays.empty()) {
        return;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("%-28s median %5.1f ms, range %5.1f .. %5.1f ms over %zu (upper bounds)\n", what,
                delays[delays.size() / 2], delays.front(), delays.back(), delays.size());
    std::printf("%-28s %d of 10\n", "  output corked before", corked);
}

// How the recorder's file grows: the largest step between two looks 1 ms apart over a second,
// which bounds the recorder's lag from below.
void ReportRecorderSteps(const test::SinkRecorder& sink) {
    std::size_t largest = 0;
    std::size_t previous = sink.FramesSoFar();
    const Clock::time_point end = Clock::now() + 1s;
    while (Clock::now() < end) {
        std::this_thread::sleep_for(1ms);
        const std::size_t now = sink.FramesSoFar();
        largest = std::max(largest, now - previous);
        previous = now;
    }
    std::printf("%-28s largest step %.1f ms of sound\n", "recorder file growth",
                1000.0 * static_cast<double>(largest) / test::SinkRecorder::kRate);
}

// The program's processor use over `span` in % of one CPU, and each busy thread's share on the
// lines after it.
void ReportCpu(const char* what, const test::ProgramUnderTest& program,
               std::chrono::milliseconds span) {
    const std::optional<long long> start = program.CpuTicks();
    const std::vector<test::ThreadTicks> threadsBefore = program.ThreadCpuTicks();
    const Clock::time_point begin = Clock::now();
    std::this_thread::sleep_for(span);
    const std::optional<long long> end = program.CpuTicks();
    const std::vector<test::ThreadTicks> threadsAfter = program.ThreadCpuTicks();
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    const double ticksPerSecond = static_cast<double>(::sysconf(_SC_CLK_TCK));
    const auto percent = [&](long long ticks) {
        return 100.0 * static_cast<double>(ticks) / ticksPerSecond / seconds;
    };
    std::printf("%-28s %5.1f %% of one CPU over %.0f s\n", what,
                start && end ? percent(*end - *start) : -1.0, seconds);
    for (const test::ThreadTicks& after : threadsAfter) {
        const auto before =
            std::find_if(threadsBefore.begin(), threadsBefore.end(),
                         [&](const test::ThreadTicks& t) { return t.id == after.id; });
        const long long used = after.ticks - (before != threadsBefore.end() ? before->ticks : 0);
        if (used > 0) {
            std::printf("  thread %-19s %5.2f %%\n", after.name.c_str(), percent(used));
        }
    }
}

// The phone page's load on the loopback, median of 10: its HTML over HTTP, then its live
// connection open and the first state heard, as a phone's browser does at the paired link.
void ReportPhoneLoad(quint16 port) {
    std::vector<double> loads;
    for (int i = 0; i < 10; ++i) {
        const Clock::time_point start = Clock::now();
        if (test::StatusOf(test::Get(port, QByteArray("/?k=") + kPhoneSecret)) != 200) {
            continue;
        }
        test::LivePage live(port, kPhoneSecret);
        if (test::Pump([&] { return !live.heard.empty(); }, 5s)) {
            loads.push_back(Ms(Clock::now() - start));
        }
    }
    if (loads.empty()) {
        std::printf("phone page did not load\n");
        return;
    }
    std::sort(loads.begin(), loads.end());
    std::printf("%-28s median %5.1f ms, range %5.1f .. %5.1f ms over %zu\n", "phone page load",
                loads[loads.size() / 2], loads.front(), loads.back(), loads.size());
}

// A phone page's "play 1" over its live WebSocket to the first loud frame on the sink, in ms.
std::optional<double> MeasurePhoneOnce(const test::SinkRecorder& sink, test::LivePage& phone) {
    const std::size_t mark = sink.FramesSoFar();
    phone.socket->sendTextMessage(QStringLiteral("play 1"));
    phone.socket->flush();
    return DelayToOnset(sink, mark,
                        [](const std::function<bool()>& done, std::chrono::milliseconds limit) {
                            return test::Pump(done, limit);
                        });
}

// Resident memory of the program in KiB (VmRSS), -1 when it cannot be read.
long ResidentKiB(const test::ProgramUnderTest& program) {
    std::ifstream status("/proc/" + std::to_string(program.Pid()) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Resident memory before and after 1,000 more presses of slot 1's hotkey, in batches of 100
// (each press restarts the short sound).
void ReportTriggerMemory(const test::ProgramUnderTest& program) {
    std::this_thread::sleep_for(1s);
    const long before = ResidentKiB(program);
    std::string presses;
    for (int i = 0; i < 100; ++i) {
        presses += " ctrl+F1";
    }
    for (int batch = 0; batch < 10; ++batch) {
        test::Run("xdotool key --delay 4" + presses);
    }
    std::this_thread::sleep_for(2s);
    const long after = ResidentKiB(program);
    std::printf("%-28s %ld KiB before, %ld KiB after (%+ld KiB)\n", "memory over 1000 triggers",
                before, after, after - before);
}

}  // namespace

// Argument (optional): a one-hour MP3 to measure the memory of a long file playing.
// Clicks on slot 1 with the virtual microphone on: the delay to the first sound on the main sink
// and, from the same clicks, on the virtual microphone.
void ReportMicrophoneDelays(const test::SinkRecorder& sink, const test::SinkRecorder& microphone,
                            InputEventClock& input) {
    std::vector<double> onSink;
    std::vector<double> onMicrophone;
    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(700ms);
        input.Clear();
        const std::size_t markSink = sink.FramesSoFar();
        const std::size_t markMicrophone = microphone.FramesSoFar();
        const Clock::time_point markTime = Clock::now();
        if (!test::Run("xdotool click 1")) {
            continue;
        }
        const std::optional<double> toSink = DelayToOnset(sink, markSink, kPlainWait);
        const std::optional<double> toMicrophone =
            DelayToOnset(microphone, markMicrophone, kPlainWait);
        const std::optional<Clock::time_point> inputTime = input.Last();
        if (!toSink || !toMicrophone || !inputTime) {
            std::printf("  click %d: no input event or no sound within 3 s\n", i + 1);
            continue;
        }
        onSink.push_back(*toSink - Ms(*inputTime - markTime));
        onMicrophone.push_back(*toMicrophone - Ms(*inputTime - markTime));
    }
    for (auto* delays : {&onSink, &onMicrophone}) {
        if (delays->empty()) {
            return;
        }
        std::sort(delays->begin(), delays->end());
        std::printf("%-28s median %5.1f ms, range %5.1f .. %5.1f ms over %zu (upper bounds)\n",
                    delays == &onSink ? "click to sink, mic on" : "click to virtual mic",
                    (*delays)[delays->size() / 2], delays->front(), delays->back(), delays->size());
    }
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    test::TempDir dir;
    test::XvfbDisplay display;
    if (!display.Start("1024x768x24")) {
        std::fprintf(stderr, "no Xvfb\n");
        return 1;
    }
    test::PulseServer pulse(dir.Path());
    if (!pulse.Ready()) {
        std::fprintf(stderr, "no PulseAudio server:\n%s\n", pulse.Log().c_str());
        return 1;
    }
    // The program's remote interface is on, on a bus of the bench's own.
    test::SessionBus bus(dir.Path());
    if (!bus.Start()) {
        std::fprintf(stderr, "no session bus\n");
        return 1;
    }
    // The phone page is on, on the loopback only, at a port free now.
    quint16 phonePort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        phonePort = probe.serverPort();
    }
    const std::string config = std::string(test::kPlainConfig) +
                               "[手机遥控]\n值=1\n端口=" + std::to_string(phonePort) +
                               "\n监听地址=127.0.0.1\n配对码=" + kPhoneSecret + "\n";
    test::ProgramUnderTest program(dir.Path());
    if (!program.Installed() || !program.WriteConfig(config) || !program.WriteSlotList(kSlotList) ||
        !test::WriteToneWav(program.File("Sounds/Common/short.wav"),
                            {.frequency = 440, .seconds = 0.3, .amplitude = 0.5}) ||
        // Noise changes the spectrum every frame, so every frame is drawn.
        !test::WriteNoiseWav(program.File("Sounds/Common/long.wav"), 30, 0.3)) {
        std::fprintf(stderr, "could not prepare the program folder\n");
        return 1;
    }
    test::SinkRecorder sink("A", dir.File("A.raw"));
    test::SinkRecorder monitorSink("B", dir.File("B.raw"));
    std::this_thread::sleep_for(2500ms);
    if (!program.Start()) {
        std::fprintf(stderr, "the program did not show its window:\n%s\n", program.Log().c_str());
        return 1;
    }
    std::this_thread::sleep_for(2500ms);

    std::printf("Vorlune playing figures (PulseAudio null sink, Xvfb, %ld CPUs)\n",
                ::sysconf(_SC_NPROCESSORS_ONLN));
    ReportCpu("CPU idle", program, 5s);
    const long idleKiB = ResidentKiB(program);
    std::printf("%-28s %ld KiB\n", "resident memory idle", idleKiB);

    ReportRecorderSteps(sink);
    InputEventClock input;
    if (!input.Watching()) {
        std::fprintf(stderr, "no XInput 2 raw events\n");
        return 1;
    }
    // The pointer goes to slot 1 first, so that only the click itself is timed.
    const test::Point slot1 = test::SlotButtonCentre(0, 0, 1);
    test::Run("xdotool mousemove --window " + program.Window() + " " + std::to_string(slot1.x) +
              " " + std::to_string(slot1.y));
    input.Expect(XCB_INPUT_RAW_BUTTON_RELEASE);
    ReportDelays(
        "click to sound", [&] { return MeasureOnce(sink, input, "xdotool click 1"); }, pulse);
    input.Expect(XCB_INPUT_RAW_KEY_PRESS);
    ReportDelays(
        "hotkey to sound", [&] { return MeasureOnce(sink, input, "xdotool key ctrl+F1"); }, pulse);
    ReportDelays(
        "vorlune play to sound",
        [&] {
            return MeasureCommandOnce(sink, {program.File("vorlune-remote"), "play", "1"});
        },
        pulse);
    {
        test::LivePage phone(phonePort, kPhoneSecret);
        if (test::Pump([&] { return phone.Open() && !phone.heard.empty(); }, 5s)) {
            ReportDelays(
                "phone play to sound", [&] { return MeasurePhoneOnce(sink, phone); }, pulse);
            test::Pump([] { return false; }, 1s);
            ReportCpu("CPU idle, phone page open", program, 5s);
            ReportPhoneLoad(phonePort);
        } else {
            std::printf("phone page did not connect\n");
        }
    }
    ReportTriggerMemory(program);

    // The long sound with the spectrum running.
    std::this_thread::sleep_for(700ms);
    program.Click(test::SlotButtonCentre(0, 0, 2));
    std::this_thread::sleep_for(1s);
    ReportCpu("CPU playing, spectrum on", program, 10s);
    program.Click(test::kStopSound);
    std::this_thread::sleep_for(2500ms);
    ReportCpu("CPU idle after the sound", program, 5s);

    // The monitor on SinkB at half the volume; like every setting it is read at the next sound.
    if (!program.WriteConfig(
            config + "[是否开启监听]\n值=1\n[监听设备]\n通道名称=SinkB\n[监听音量]\n值=50\n")) {
        std::fprintf(stderr, "could not switch the monitor on\n");
        return 1;
    }
    const std::size_t monitorMark = monitorSink.FramesSoFar();
    program.Click(test::SlotButtonCentre(0, 0, 2));
    std::this_thread::sleep_for(1s);
    ReportCpu("CPU playing, monitor on", program, 10s);
    std::printf("%-28s RMS %.3f on SinkA, %.3f on SinkB\n", "monitor heard",
                test::Loudest(sink.Left(), sink.FramesSoFar() - 48000).rms,
                test::Loudest(monitorSink.Left(), monitorMark).rms);
    program.Click(test::kStopSound);
    std::this_thread::sleep_for(1s);
    if (!program.WriteConfig(config)) {
        return 1;
    }

    if (argc > 1) {
        std::error_code error;
        std::filesystem::copy_file(argv[1], program.File("Sounds/Common/hour.mp3"), error);
        if (!error) {
            program.Click(test::SlotButtonCentre(0, 0, 3));
            std::this_thread::sleep_for(3s);
            const long hourKiB = ResidentKiB(program);
            std::printf("%-28s %ld KiB (%+ld KiB over idle)\n", "resident memory, 1-hour MP3",
                        hourKiB, hourKiB - idleKiB);
            program.Click(test::kStopSound);
        }
    }

    // Loudness levelling turned on while the long sound plays: every slot's file (the one-hour
    // MP3 among them, when given) is measured in the background, while the interface thread
    // keeps drawing the spectrum.
    std::this_thread::sleep_for(1s);
    program.Click(test::SlotButtonCentre(0, 0, 2));
    std::this_thread::sleep_for(1s);
    program.Click(test::PageButtonCentre(5));
    program.Click(test::kLevellingSwitch);
    program.Click(test::PageButtonCentre(0));
    ReportCpu("CPU playing, levels measured", program, 10s);
    program.Click(test::kStopSound);

    // The virtual microphone switched on, carrying the board's sounds alone: the mixing is the
    // server's, so the program idles as before; each click is heard on it as on the sink.
    if (!program.WriteConfig(config + "[虚拟麦克风]\n混入麦克风=0\n")) {
        return 1;
    }
    program.Click(test::PageButtonCentre(5));
    program.Click(test::kMicrophoneSwitch);
    program.Click(test::PageButtonCentre(0));
    if (!test::WaitFor(
            [] {
                return test::CommandOutput("pactl list short sources")
                           .find("vorlune_virtual_mic\t") != std::string::npos;
            },
            5s)) {
        std::printf("the virtual microphone did not come\n");
        return 0;
    }
    test::SinkRecorder microphone(test::SinkRecorder::Source{"vorlune_virtual_mic"},
                                  dir.File("microphone.raw"));
    std::this_thread::sleep_for(2500ms);
    ReportCpu("CPU idle, virtual microphone on", program, 5s);
    test::Run("xdotool mousemove --window " + program.Window() + " " + std::to_string(slot1.x) +
              " " + std::to_string(slot1.y));
    input.Expect(XCB_INPUT_RAW_BUTTON_RELEASE);
    ReportMicrophoneDelays(sink, microphone, input);
    return 0;
}
