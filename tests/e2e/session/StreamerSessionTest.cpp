// A streamer's whole session with the built program, started from a fresh copy of its shipped
// folder on a private X display with a tray (trayer) and a private PulseAudio server with two
// null sinks, driven with xdotool as a user drives it. Every step checks what the user sees or
// hears: the sound recorded on the sinks, the INI files, screenshots of the controls, the tray
// icon, the windows and the exit code.
//
// The steps are the tests of one suite and run in the order written, on one running program.
// A step that starts where earlier steps left the program names them first (After); without them
// (filtered out, failed, or shuffled) it fails at once and says which one it needs, instead of
// failing later in a check that has nothing to do with the cause. The other steps stand alone.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "AudioTestFiles.h"
#include "ChildProcess.h"
#include "Commands.h"
#include "MainWindowPlaces.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SessionProbes.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "WindowManagerStandIn.h"
#include "XClient.h"
#include "XWindows.h"
#include "XvfbDisplay.h"

namespace vorlune::test {
namespace {

using namespace std::chrono_literals;

// The shipped set plays these files; the test puts tones in their place so that the sinks can
// tell one sound from another: slot 1 "掌声" (Ctrl+F1) a long tone, slot 9 "叮" a short one.
constexpr double kLongToneHz = 440.0;
constexpr double kLongToneSeconds = 6.0;
constexpr double kShortToneHz = 880.0;
constexpr double kShortToneSeconds = 0.6;
// The sound the streamer adds to an empty slot.
constexpr double kAddedToneHz = 660.0;

// A tone is heard when its amplitude on the sink passes this; silence stays far below it.
constexpr double kHeard = 0.03;

// Slots of the first page: slot n (1..35) sits in row n / 6, column n % 6.
const Point kSlot1 = SlotButtonCentre(0, 0, 1);
const Point kSlot9 = SlotButtonCentre(0, 1, 3);
const Point kSlot10 = SlotButtonCentre(0, 1, 4);

// The control strip (a group box at (10, 433)): its pictures and hotkey labels.
constexpr Area kMasterSwitchPicture{10 + 82, 433 + 18, 80, 24};
constexpr Area kRepeatSwitchPicture{10 + 460, 433 + 19, 80, 24};
constexpr Area kControlPicture{10 + 233, 433 + 12, 40, 37};
constexpr Area kStopPicture{10 + 352, 433 + 12, 40, 37};
constexpr Area kMasterHotkeyLabel{10 + 8, 433 + 37, 64, 13};
constexpr Area kControlHotkeyLabel{10 + 161, 433 + 37, 64, 13};
constexpr Area kStopHotkeyLabel{10 + 279, 433 + 38, 64, 13};

// The volume slider (range 1..100) and where its handle sits for a level.
constexpr int kSliderY = 433 + 49 + 11;
int SliderHandleX(int level) {
    return 99 + (level - 1) * 413 / 99;
}

// The slot dialog (380 x 233, frameless), in its own coordinates.
constexpr Point kDialogPath{184, 92};
constexpr Point kDialogName{196, 145};
constexpr Point kDialogApply{330, 190};
constexpr Point kDialogClose{366, 10};

enum class Sink { A, B };

// Everything the session runs on, started once for the whole suite and stopped by process id in
// reverse order: the program first, the servers last.
class Session {
  public:
    Session()
        : pulse_(dir_.Path()),
          sinkA_("A", dir_.File("A.raw")),
          sinkB_("B", dir_.File("B.raw")),
          program_(dir_.Path()) {}

    // Starts the display, the tray and the program; false with a reason in Why().
    bool Open() {
        if (!display_.Start("1024x768x24")) {
            return Fail("no Xvfb");
        }
        if (!pulse_.Ready() || !sinkA_.Started() || !sinkB_.Started()) {
            return Fail("no PulseAudio server or recorders: " + pulse_.Log());
        }
        // No session bus: the tray is the X11 one that trayer offers.
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        trayer_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                     "request", "--height", "32"},
            ChildProcess::Options{
                .outputPath = dir_.File("trayer.log"), .stderrToo = true, .environment = {}});
        if (!PollFor([] { return !CommandOutput("xdotool search --classname trayer").empty(); },
                     10s)) {
            return Fail("trayer did not start");
        }
        wm_ = std::make_unique<WindowManagerStandIn>();
        if (!wm_->Connected() || !program_.Installed()) {
            return Fail("no X connection or no built program");
        }
        if (!WriteToneFiles()) {
            return Fail("could not write the tones");
        }
        shippedConfig_ = ReadFileBytes(program_.File("config.ini"));
        // A null sink that has been idle starts in 2-second blocks.
        std::this_thread::sleep_for(2500ms);
        if (!program_.Start()) {
            return Fail("the program did not show its window: " + program_.Log());
        }
        if (!PollFor([&] { return (trayIcon_ = FindTrayIcon()).has_value(); }, 10s)) {
            return Fail("no tray icon: " + program_.Log());
        }
        // Mapped is not yet painted: wait for the window's light background left of the pages.
        if (!PollFor(
                [&] {
                    const std::optional<Screenshot> shot = ShotOfMain();
                    return shot && shot->InkPixels({0, 100, 8, 300}) == 0;
                },
                5s)) {
            return Fail("the main window was not painted");
        }
        ready_ = true;
        return true;
    }
    bool Ready() const { return ready_; }
    const std::string& Why() const { return why_; }

    ProgramUnderTest& Program() { return program_; }
    WindowManagerStandIn& Wm() { return *wm_; }
    const std::string& Main() const { return program_.Window(); }
    std::uint32_t MainId() const { return static_cast<std::uint32_t>(std::stoul(Main())); }
    std::uint32_t TrayIcon() const { return trayIcon_.value_or(0); }
    std::string Folder() const { return dir_.Path(); }
    const std::string& ShippedConfig() const { return shippedConfig_; }
    std::string AddedTonePath() const { return dir_.File("added.wav"); }
    bool TrayerRunning() { return trayer_ && trayer_->Running(); }

    std::size_t Mark(Sink sink) const { return RecordedFrames(Recording(sink)); }
    std::vector<float> Since(Sink sink, std::size_t mark) const {
        return RecordedSince(Recording(sink), mark);
    }
    // Waits until the tone comes on the sink after the mark.
    bool Hears(Sink sink, std::size_t mark, double frequency, std::chrono::milliseconds limit) {
        return PollFor([&] { return ToneLevel(Since(sink, mark), frequency) > kHeard; }, limit);
    }

    std::optional<Screenshot> ShotOfMain() const { return Shot(Main()); }
    std::optional<Screenshot> ShotOfTrayIcon() const { return Shot(std::to_string(TrayIcon())); }

    // The program's open menus and lists: its pop-up windows other than the tray icon (embedded
    // without the window manager, like a pop-up) and tooltips.
    std::vector<std::string> Menus() {
        std::vector<std::string> menus;
        for (const std::string& popup : program_.Popups()) {
            if (popup != std::to_string(TrayIcon()) &&
                CommandOutput("xprop -id " + popup + " _NET_WM_WINDOW_TYPE").find("TOOLTIP") ==
                    std::string::npos) {
                menus.push_back(popup);
            }
        }
        return menus;
    }
    bool MenuShows() {
        return PollFor([&] { return !Menus().empty(); }, 5s);
    }
    bool MenusClosed() {
        return PollFor([&] { return Menus().empty(); }, 5s);
    }

  private:
    bool Fail(std::string why) {
        why_ = std::move(why);
        return false;
    }

    std::string Recording(Sink sink) const {
        return dir_.File(sink == Sink::A ? "A.raw" : "B.raw");
    }

    std::optional<Screenshot> Shot(const std::string& window) const {
        return Screenshot::Of(window, dir_.File("shot.ppm"));
    }

    bool WriteToneFiles() const {
        const std::string longWav = dir_.File("long.wav");
        return WriteToneWav(
                   longWav,
                   {.frequency = kLongToneHz, .seconds = kLongToneSeconds, .amplitude = 0.5}) &&
               EncodeMp3(longWav, program_.File("Sounds/Common/掌声.mp3")) &&
               WriteToneWav(
                   program_.File("Sounds/Common/叮.wav"),
                   {.frequency = kShortToneHz, .seconds = kShortToneSeconds, .amplitude = 0.5}) &&
               WriteToneWav(AddedTonePath(),
                            {.frequency = kAddedToneHz, .seconds = 1.0, .amplitude = 0.5});
    }

    // The program's window that the tray has taken in.
    std::optional<std::uint32_t> FindTrayIcon() {
        const std::string windows = CommandOutput("xdotool search --pid " +
                                                  std::to_string(program_.Pid()) + " 2>/dev/null");
        std::istringstream lines(windows);
        for (std::string line; std::getline(lines, line);) {
            if (line.empty()) {
                continue;
            }
            const auto window = static_cast<std::uint32_t>(std::stoul(line));
            const auto parent = wm_->ParentOf(window);
            const auto place = wm_->PlaceOf(window);
            if (parent && *parent != wm_->Root() && place && place->viewable) {
                return window;
            }
        }
        return std::nullopt;
    }

    TempDir dir_;
    XvfbDisplay display_;
    PulseServer pulse_;
    SinkRecorder sinkA_;
    SinkRecorder sinkB_;
    std::unique_ptr<ChildProcess> trayer_;
    std::unique_ptr<WindowManagerStandIn> wm_;
    ProgramUnderTest program_;
    std::optional<std::uint32_t> trayIcon_;
    std::string shippedConfig_;
    std::string why_;
    bool ready_ = false;
};

// Another program that has the focus (the streaming software), checked to receive keys.
class OtherProgram {
  public:
    OtherProgram() {
        client_.FocusOwnWindow();
        focused_ =
            Run("xdotool key a") && PollFor([&] { return client_.PressesOf(XK_a) == 1; }, 3s);
    }
    bool Focused() const { return focused_; }
    std::size_t PressesOf(std::uint32_t keysym) { return client_.PressesOf(keysym); }

  private:
    XClient client_;
    bool focused_ = false;
};

class StreamerSession : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        session_ = new Session;
        session_->Open();
    }
    static void TearDownTestSuite() {
        delete session_;
        session_ = nullptr;
    }
    void SetUp() override {
        ASSERT_FALSE(GTEST_FLAG_GET(shuffle)) << "the steps run in the order written";
        ASSERT_TRUE(session_ != nullptr && session_->Ready())
            << (session_ != nullptr ? session_->Why() : "");
    }
    void TearDown() override {
        const std::string step = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ran_.insert(step);
        if (!HasFailure()) {
            passed_.insert(step);
        }
    }

    // Fails the step unless each of `steps` has run before it and passed.
    static void After(std::initializer_list<const char*> steps) {
        for (const char* step : steps) {
            ASSERT_TRUE(passed_.count(step) != 0) << "this step starts where " << step
                                                  << " leaves the program; run and pass it first";
        }
    }

    static Session& S() { return *session_; }
    static ProgramUnderTest& P() { return session_->Program(); }

    // Clicks at `at` with `button` and chooses the menu item `moves` down from the top.
    static void ChooseFromMenu(Point at, const std::string& moves, int button = 3) {
        ASSERT_TRUE(MouseAt(S().Main(), at.x, at.y, "click " + std::to_string(button)));
        ASSERT_TRUE(S().MenuShows()) << "no menu";
        // A menu takes the keyboard once it is shown.
        std::this_thread::sleep_for(150ms);
        ASSERT_TRUE(P().Key(moves + " Return"));
        ASSERT_TRUE(S().MenusClosed());
    }

    // Clicks "应用" of the dialog's page until `applied` holds: the hotkey page enables it only
    // once its in-use check has run.
    static bool ApplyUntil(const std::string& dialog, const std::function<bool()>& applied) {
        return PollFor(
            [&] {
                MouseAt(dialog, kDialogApply.x, kDialogApply.y);
                return PollFor(applied, 300ms);
            },
            5s);
    }

    static void CloseDialog(const std::string& dialog) {
        ASSERT_TRUE(MouseAt(dialog, kDialogClose.x, kDialogClose.y));
        EXPECT_TRUE(PollFor(
            [&] {
                const std::vector<std::string> shown = VisibleWindowsOf(P().Pid());
                return std::find(shown.begin(), shown.end(), dialog) == shown.end();
            },
            5s))
            << "the dialog stays open";
    }

    // Stops whatever plays through the stop hotkey, so that the next step starts in silence.
    static void Quiet(const std::string& stopKeys) {
        P().Key(stopKeys);
        std::this_thread::sleep_for(400ms);
    }

    static Session* session_;
    // The short tone's level at the shipped volume, for the volume step.
    static double shortToneAt80_;
    // The steps that have run so far, and those of them that passed.
    static std::set<std::string> ran_;
    static std::set<std::string> passed_;
};

Session* StreamerSession::session_ = nullptr;
double StreamerSession::shortToneAt80_ = 0.0;
std::set<std::string> StreamerSession::ran_;
std::set<std::string> StreamerSession::passed_;

TEST_F(StreamerSession, FirstStartShowsTheShippedSet) {
    // The program as it started: no step before this one has clicked or written anything.
    ASSERT_TRUE(ran_.empty()) << "this step must run first";
    EXPECT_EQ(WindowTitle(S().MainId()), "Vorlune正式版");
    // Nothing is written at start-up; the live slot list is the factory one.
    EXPECT_EQ(ReadFileBytes(P().File("config.ini")), S().ShippedConfig());
    EXPECT_EQ(ReadFileBytes(P().File("Sounds/Common/list.ini")),
              ReadFileBytes(P().File("Config/list.ini")));
    EXPECT_EQ(P().ReadConfig("是否设置快捷按钮", "值"), "1");

    const std::optional<Screenshot> shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->GreenShare(kMasterSwitchPicture), 0.4) << "hotkeys on: the green switch";
    EXPECT_LT(shot->GreenShare(kRepeatSwitchPicture), 0.05) << "repeat off: the grey switch";
    EXPECT_LT(shot->GreenShare(kControlPicture), 0.05) << "idle: the grey pause sign";
    // "Ctrl+F1键" under slot 1, nothing under slot 4 (no hotkey), the three special hotkeys.
    EXPECT_GT(shot->InkPixels(SlotLabel(kSlot1)), 15U);
    EXPECT_EQ(shot->InkPixels(SlotLabel(SlotButtonCentre(0, 0, 4))), 0U);
    EXPECT_GT(shot->InkPixels(kMasterHotkeyLabel), 15U);
    EXPECT_GT(shot->InkPixels(kControlHotkeyLabel), 15U);
    EXPECT_GT(shot->InkPixels(kStopHotkeyLabel), 15U);

    const std::optional<Screenshot> icon = S().ShotOfTrayIcon();
    ASSERT_TRUE(icon);
    EXPECT_GT(icon->BlueShare({0, 0, 22, 22}), 0.2) << "hotkeys on: the blue tray icon";
}

TEST_F(StreamerSession, ClickAndHotkeyPlayWhileAnotherProgramHasTheFocus) {
    // A click on "叮" plays its tone on the default sink and shows the green play sign.
    std::size_t mark = S().Mark(Sink::A);
    ASSERT_TRUE(P().Click(kSlot9));
    ASSERT_TRUE(S().Hears(Sink::A, mark, kShortToneHz, 6s)) << P().Log();
    const std::optional<Screenshot> playing = S().ShotOfMain();
    ASSERT_TRUE(playing);
    EXPECT_GT(playing->GreenShare(kControlPicture), 0.2) << "playing: the green play sign";
    std::this_thread::sleep_for(1s);
    shortToneAt80_ = ToneLevel(S().Since(Sink::A, mark), kShortToneHz);

    // The streaming software has the focus; Ctrl+F1 plays "掌声" and does not reach it.
    OtherProgram other;
    ASSERT_TRUE(other.Focused());
    mark = S().Mark(Sink::A);
    ASSERT_TRUE(P().Key("ctrl+F1"));
    EXPECT_TRUE(S().Hears(Sink::A, mark, kLongToneHz, 4s)) << P().Log();
    EXPECT_EQ(other.PressesOf(XK_F1), 0U);
}

TEST_F(StreamerSession, PauseFadesOutAndTheControlHotkeyResumes) {
    ASSERT_NO_FATAL_FAILURE(After({"ClickAndHotkeyPlayWhileAnotherProgramHasTheFocus"}));
    // "掌声", started by that step, has played about two seconds; the control button fades it
    // out and pauses it.
    std::this_thread::sleep_for(1500ms);
    const std::size_t lead = Frames(500ms);
    const std::size_t before = S().Mark(Sink::A) - lead;
    ASSERT_TRUE(P().Click(kPauseResume));
    std::vector<float> heard;
    Loudness loudness;
    ASSERT_TRUE(PollFor(
        [&] {
            heard = S().Since(Sink::A, before);
            loudness = LoudnessOf(heard);
            return loudness.lastFrame && heard.size() > *loudness.lastFrame + Frames(700ms);
        },
        5s))
        << "the sound did not stop after the pause";
    const double full = RmsOf(heard, 0, Frames(300ms));
    const std::size_t end = *loudness.lastFrame;
    const double tail = RmsOf(heard, end - std::min(end, Frames(100ms)), end);
    // From the click to the last sound.
    const auto fading = std::chrono::milliseconds(
        (static_cast<long long>(end) - static_cast<long long>(lead)) * 1000 / kSinkRate);
    EXPECT_GT(full, 0.1) << "the tone played before the pause";
    EXPECT_LT(tail, 0.5 * full) << "it ends quietly, not cut off";
    EXPECT_GE(fading.count(), 300) << "the fade takes its time";
    EXPECT_LE(fading.count(), 1500);

    // Paused: silence, and the green pause sign.
    std::this_thread::sleep_for(800ms);
    EXPECT_EQ(LoudnessOf(S().Since(Sink::A, before + end)).loud, 0ms);
    std::optional<Screenshot> shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->GreenShare(kControlPicture), 0.2) << "paused: the green pause sign";

    // The control hotkey (Ctrl+F11) from another program resumes where the sound stopped: the
    // rest of it plays, not the whole six seconds again.
    OtherProgram other;
    ASSERT_TRUE(other.Focused());
    const std::size_t resumed = S().Mark(Sink::A);
    ASSERT_TRUE(P().Key("ctrl+F11"));
    ASSERT_TRUE(S().Hears(Sink::A, resumed, kLongToneHz, 4s));
    ASSERT_TRUE(PollFor(
        [&] {
            heard = S().Since(Sink::A, resumed);
            loudness = LoudnessOf(heard);
            return loudness.lastFrame && heard.size() > *loudness.lastFrame + Frames(500ms);
        },
        8s))
        << "the resumed sound did not end";
    const auto rest =
        std::chrono::milliseconds((*loudness.lastFrame - *loudness.firstFrame) * 1000 / kSinkRate);
    EXPECT_GT(rest.count(), 1500);
    EXPECT_LT(rest.count(), 4800) << "resumed, not started again";

    // Once it has ended, the strip goes back to the grey signs within about a second.
    EXPECT_TRUE(PollFor(
        [&] {
            shot = S().ShotOfMain();
            return shot && shot->GreenShare(kControlPicture) < 0.05 &&
                   shot->GreenShare(kStopPicture) < 0.05;
        },
        3s));
}

TEST_F(StreamerSession, StopEndsTheSoundAtOnce) {
    std::size_t mark = S().Mark(Sink::A);
    ASSERT_TRUE(P().Click(kSlot1));
    ASSERT_TRUE(S().Hears(Sink::A, mark, kLongToneHz, 4s));
    std::optional<Screenshot> shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->GreenShare(kStopPicture), 0.2) << "a sound is loaded: the green stop sign";
    std::this_thread::sleep_for(500ms);

    mark = S().Mark(Sink::A);
    ASSERT_TRUE(P().Click(kStopSound));
    std::this_thread::sleep_for(1800ms);
    const std::vector<float> heard = S().Since(Sink::A, mark);
    EXPECT_LE(LoudnessOf(heard).loud, 500ms) << "no fade when stopping";
    EXPECT_LT(RmsOf(heard, heard.size() - Frames(1000ms), heard.size()), 0.003)
        << "silence after the stop, nothing started again";
    shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_LT(shot->GreenShare(kStopPicture), 0.05) << "stopped: the grey stop sign";
    EXPECT_LT(shot->GreenShare(kControlPicture), 0.05) << "ended: the grey pause sign";
}

TEST_F(StreamerSession, RepeatPlaysTheSoundAgainUntilSwitchedOff) {
    ASSERT_TRUE(P().Click(kRepeatSwitch));
    EXPECT_TRUE(PollFor([] { return P().ReadConfig("是否重复音效", "值") == "1"; }, 3s));
    std::optional<Screenshot> shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->GreenShare(kRepeatSwitchPicture), 0.4);

    // The 0.6-second "叮" plays at least twice.
    std::size_t mark = S().Mark(Sink::A);
    ASSERT_TRUE(P().Click(kSlot9));
    EXPECT_TRUE(PollFor([&] { return LoudnessOf(S().Since(Sink::A, mark)).loud >= 1100ms; }, 6s))
        << "heard for " << LoudnessOf(S().Since(Sink::A, mark)).loud.count() << " ms";

    // Switched off, the play under way is the last one.
    ASSERT_TRUE(P().Click(kRepeatSwitch));
    EXPECT_TRUE(PollFor([] { return P().ReadConfig("是否重复音效", "值") == "0"; }, 3s));
    mark = S().Mark(Sink::A);
    std::this_thread::sleep_for(2500ms);
    const std::vector<float> heard = S().Since(Sink::A, mark);
    EXPECT_LE(LoudnessOf(heard).loud, 800ms);
    EXPECT_LT(RmsOf(heard, heard.size() - Frames(1200ms), heard.size()), 0.003);
    shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_LT(shot->GreenShare(kRepeatSwitchPicture), 0.05);
}

TEST_F(StreamerSession, VolumeSliderSetsTheLevel) {
    // That step measured the short tone at the shipped 80 %, on the first sink.
    ASSERT_NO_FATAL_FAILURE(After({"ClickAndHotkeyPlayWhileAnotherProgramHasTheFocus"}));
    ASSERT_GT(shortToneAt80_, kHeard) << "the click step measured no level at 80 %";
    // The handle dragged from 80 % to about 40 %.
    const std::string at = "mousemove --window " + S().Main() + " ";
    const std::string y = " " + std::to_string(kSliderY) + " ";
    ASSERT_TRUE(test::Run("xdotool " + at + std::to_string(SliderHandleX(80)) + y + "mousedown 1 " +
                          at + std::to_string(SliderHandleX(60)) + y + at +
                          std::to_string(SliderHandleX(40)) + y + "mouseup 1"));
    // Each position the handle passes is saved; the last one is where it was let go.
    int level = 0;
    ASSERT_TRUE(PollFor(
        [&] {
            level = std::atoi(P().ReadConfig("音效音量", "值").c_str());
            return level >= 35 && level <= 45;
        },
        3s))
        << "saved volume " << level;

    const std::size_t mark = S().Mark(Sink::A);
    ASSERT_TRUE(P().Click(kSlot9));
    ASSERT_TRUE(S().Hears(Sink::A, mark, kShortToneHz, 4s));
    std::this_thread::sleep_for(1s);
    const double ratio = ToneLevel(S().Since(Sink::A, mark), kShortToneHz) / shortToneAt80_;
    EXPECT_NEAR(ratio, level / 80.0, 0.1);
}

TEST_F(StreamerSession, OutputSwitchesToTheSecondSink) {
    ASSERT_TRUE(P().Click(kOutputDeviceList));
    ASSERT_TRUE(S().MenuShows()) << "the device list did not open";
    ASSERT_TRUE(P().Key("Down Return"));
    ASSERT_TRUE(S().MenusClosed());
    ASSERT_TRUE(P().Click(kApplyOutputDevice));
    const std::optional<std::string> box = WaitForWindowTitled(P().Pid(), "信息：", 5s);
    ASSERT_TRUE(box) << "no message after applying the device";
    ASSERT_TRUE(PressIn(*box, "Return"));
    EXPECT_TRUE(PollFor([] { return P().ReadConfig("设置", "通道") == "2"; }, 3s));

    const std::size_t markA = S().Mark(Sink::A);
    const std::size_t markB = S().Mark(Sink::B);
    ASSERT_TRUE(P().Click(kSlot9));
    EXPECT_TRUE(S().Hears(Sink::B, markB, kShortToneHz, 6s));
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(LoudnessOf(S().Since(Sink::A, markA)).loud, 0ms);
}

TEST_F(StreamerSession, AddASlotAndItsHotkeyThroughTheDialog) {
    // Sound goes to the second sink.
    ASSERT_NO_FATAL_FAILURE(After({"OutputSwitchesToTheSecondSink"}));
    std::optional<Screenshot> shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    const std::size_t emptyFace = shot->InkPixels(SlotFace(kSlot10));

    // "音效添加" on the empty slot 10: path and name typed, "应用".
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(kSlot10, "Down"));
    std::optional<std::string> dialog = WaitForWindowTitled(P().Pid(), "其他设置", 5s);
    ASSERT_TRUE(dialog) << "no slot dialog";
    ASSERT_TRUE(test::Run("xdotool windowfocus --sync " + *dialog));
    ASSERT_TRUE(MouseAt(*dialog, kDialogPath.x, kDialogPath.y));
    ASSERT_TRUE(test::Run("xdotool type --delay 8 " + ShellQuoted(S().AddedTonePath())));
    ASSERT_TRUE(MouseAt(*dialog, kDialogName.x, kDialogName.y));
    ASSERT_TRUE(test::Run("xdotool type --delay 8 Tone660"));
    // The dialog writes the name and the file reference one after the other: wait for both.
    ASSERT_TRUE(ApplyUntil(*dialog,
                           [] {
                               return P().ReadSlotList("音效10", "名称") == "Tone660" &&
                                      P().ReadSlotList("音效10", "dz") ==
                                          "音效10｜" + S().AddedTonePath();
                           }))
        << "name " << P().ReadSlotList("音效10", "名称") << ", file "
        << P().ReadSlotList("音效10", "dz");
    ASSERT_NO_FATAL_FAILURE(CloseDialog(*dialog));
    shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->InkPixels(SlotFace(kSlot10)), emptyFace + 20) << "the name on the button";

    // "快捷键设置": Alt+F9 pressed, "应用".
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(kSlot10, "Down Down"));
    dialog = WaitForWindowTitled(P().Pid(), "其他设置", 5s);
    ASSERT_TRUE(dialog) << "no slot dialog";
    ASSERT_TRUE(P().Key("alt+F9"));
    EXPECT_TRUE(
        ApplyUntil(*dialog, [] { return P().ReadSlotList("音效10", "kjj") == "Alt｜F9键"; }));
    ASSERT_NO_FATAL_FAILURE(CloseDialog(*dialog));
    shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->InkPixels(SlotLabel(kSlot10)), 15U) << "the hotkey under the button";

    // The new hotkey plays the new sound, on the chosen output, from another program.
    OtherProgram other;
    ASSERT_TRUE(other.Focused());
    const std::size_t mark = S().Mark(Sink::B);
    ASSERT_TRUE(P().Key("alt+F9"));
    EXPECT_TRUE(S().Hears(Sink::B, mark, kAddedToneHz, 5s));
    EXPECT_EQ(other.PressesOf(XK_F9), 0U);
}

TEST_F(StreamerSession, StopHotkeySetThroughItsDialogStopsTheSound) {
    // Sound goes to the second sink.
    ASSERT_NO_FATAL_FAILURE(After({"OutputSwitchesToTheSecondSink"}));
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(kStopSound, "Down"));
    const std::optional<std::string> dialog =
        WaitForWindowTitled(P().Pid(), "关于【*音效声场停止】的设置", 5s);
    ASSERT_TRUE(dialog) << "no dialog for the stop hotkey";
    ASSERT_TRUE(P().Key("alt+F8"));
    EXPECT_TRUE(
        ApplyUntil(*dialog, [] { return P().ReadConfig("音效声场停止", "值") == "Alt｜F8键"; }));
    ASSERT_NO_FATAL_FAILURE(CloseDialog(*dialog));
    const std::optional<Screenshot> shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    EXPECT_GT(shot->InkPixels(kStopHotkeyLabel), 15U);

    OtherProgram other;
    ASSERT_TRUE(other.Focused());
    std::size_t mark = S().Mark(Sink::B);
    ASSERT_TRUE(P().Key("ctrl+F1"));
    ASSERT_TRUE(S().Hears(Sink::B, mark, kLongToneHz, 4s));
    std::this_thread::sleep_for(400ms);
    mark = S().Mark(Sink::B);
    ASSERT_TRUE(P().Key("alt+F8"));
    std::this_thread::sleep_for(1500ms);
    const std::vector<float> heard = S().Since(Sink::B, mark);
    EXPECT_LE(LoudnessOf(heard).loud, 500ms);
    EXPECT_LT(RmsOf(heard, heard.size() - Frames(800ms), heard.size()), 0.003);
    EXPECT_EQ(other.PressesOf(XK_F8), 0U);
    // The old stop combination is free again: it reaches the focused program.
    ASSERT_TRUE(P().Key("ctrl+F12"));
    EXPECT_TRUE(PollFor([&] { return other.PressesOf(XK_F12) == 1; }, 2s));
}

TEST_F(StreamerSession, MasterSwitchHotkeyTurnsSlotHotkeysOffAndOn) {
    // Sound goes to the second sink; Alt+F8 is the stop hotkey.
    ASSERT_NO_FATAL_FAILURE(
        After({"OutputSwitchesToTheSecondSink", "StopHotkeySetThroughItsDialogStopsTheSound"}));
    OtherProgram other;
    ASSERT_TRUE(other.Focused());
    std::optional<Screenshot> shot;
    std::optional<Screenshot> icon;

    ASSERT_TRUE(P().Key("ctrl+F10"));
    EXPECT_TRUE(PollFor([] { return P().ReadConfig("是否设置快捷按钮", "值") == "0"; }, 3s));
    EXPECT_TRUE(PollFor(
        [&] {
            shot = S().ShotOfMain();
            icon = S().ShotOfTrayIcon();
            return shot && icon && shot->GreenShare(kMasterSwitchPicture) < 0.05 &&
                   icon->BlueShare({0, 0, 22, 22}) < 0.02;
        },
        3s))
        << "hotkeys off: the grey switch and the grey tray icon";
    std::size_t mark = S().Mark(Sink::B);
    ASSERT_TRUE(P().Key("ctrl+F1"));
    EXPECT_TRUE(PollFor([&] { return other.PressesOf(XK_F1) == 1; }, 2s));
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(LoudnessOf(S().Since(Sink::B, mark)).loud, 0ms);

    ASSERT_TRUE(P().Key("ctrl+F10"));
    EXPECT_TRUE(PollFor([] { return P().ReadConfig("是否设置快捷按钮", "值") == "1"; }, 3s));
    EXPECT_TRUE(PollFor(
        [&] {
            shot = S().ShotOfMain();
            icon = S().ShotOfTrayIcon();
            return shot && icon && shot->GreenShare(kMasterSwitchPicture) > 0.4 &&
                   icon->BlueShare({0, 0, 22, 22}) > 0.2;
        },
        3s))
        << "hotkeys on: the green switch and the blue tray icon";
    mark = S().Mark(Sink::B);
    ASSERT_TRUE(P().Key("ctrl+F1"));
    EXPECT_TRUE(S().Hears(Sink::B, mark, kLongToneHz, 4s));
    EXPECT_EQ(other.PressesOf(XK_F1), 1U);
    EXPECT_EQ(other.PressesOf(XK_F10), 0U);
    Quiet("alt+F8");
}

TEST_F(StreamerSession, RestoreBringsBackTheShippedSlots) {
    // Sound goes to the second sink, slot 10 holds the added sound on Alt+F9, Alt+F8 is the stop
    // hotkey.
    ASSERT_NO_FATAL_FAILURE(
        After({"OutputSwitchesToTheSecondSink", "AddASlotAndItsHotkeyThroughTheDialog",
               "StopHotkeySetThroughItsDialogStopsTheSound"}));
    std::optional<Screenshot> shot = S().ShotOfMain();
    ASSERT_TRUE(shot);
    const std::size_t namedFace = shot->InkPixels(SlotFace(kSlot10));

    // "拓展中心", "恢复设置", "初始化默认音效", Yes to "提示", OK to the success message.
    ASSERT_TRUE(P().Click(PageButtonCentre(5)));
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(kRestoreButton, "Down", 1));
    const std::optional<std::string> question = WaitForWindowTitled(P().Pid(), "提示", 5s);
    ASSERT_TRUE(question) << "no question before restoring";
    ASSERT_TRUE(PressIn(*question, "y"));
    const std::optional<std::string> done = WaitForWindowTitled(P().Pid(), "信息：", 5s);
    ASSERT_TRUE(done) << "no message after restoring";
    ASSERT_TRUE(PressIn(*done, "Return"));
    EXPECT_EQ(ReadFileBytes(P().File("Sounds/Common/list.ini")),
              ReadFileBytes(P().File("Config/list.ini")));

    // Back on the first page, slot 10 is empty again and its hotkey is gone.
    ASSERT_TRUE(P().Click(PageButtonCentre(0)));
    EXPECT_TRUE(PollFor(
        [&] {
            shot = S().ShotOfMain();
            return shot && shot->InkPixels(SlotFace(kSlot10)) + 20 < namedFace &&
                   shot->InkPixels(SlotLabel(kSlot10)) == 0 &&
                   shot->InkPixels(SlotLabel(kSlot1)) > 15;
        },
        3s));
    OtherProgram other;
    ASSERT_TRUE(other.Focused());
    std::size_t mark = S().Mark(Sink::B);
    ASSERT_TRUE(P().Key("alt+F9"));
    EXPECT_TRUE(PollFor([&] { return other.PressesOf(XK_F9) == 1; }, 2s));
    std::this_thread::sleep_for(1200ms);
    EXPECT_LT(ToneLevel(S().Since(Sink::B, mark), kAddedToneHz), 0.01);
    mark = S().Mark(Sink::B);
    ASSERT_TRUE(P().Key("ctrl+F1"));
    EXPECT_TRUE(S().Hears(Sink::B, mark, kLongToneHz, 4s));
    Quiet("alt+F8");
}

TEST_F(StreamerSession, MinimiseHidesToTheTrayWhereHotkeysStillWork) {
    // Sound goes to the second sink; Alt+F8 is the stop hotkey.
    ASSERT_NO_FATAL_FAILURE(
        After({"OutputSwitchesToTheSecondSink", "StopHotkeySetThroughItsDialogStopsTheSound"}));
    ASSERT_TRUE(S().Wm().Minimise(S().MainId()));
    EXPECT_TRUE(PollFor([] { return S().Wm().Withdrawn(S().MainId()); }, 5s));
    const auto place = [] {
        return S().Wm().PlaceOf(S().MainId()).value_or(WindowManagerStandIn::Place{});
    };
    EXPECT_FALSE(place().viewable);

    // Hidden, the slot hotkeys still play.
    {
        OtherProgram other;
        ASSERT_TRUE(other.Focused());
        const std::size_t mark = S().Mark(Sink::B);
        ASSERT_TRUE(P().Key("ctrl+F1"));
        EXPECT_TRUE(S().Hears(Sink::B, mark, kLongToneHz, 4s));
        Quiet("alt+F8");
    }

    // A double-click on the tray icon brings the window back: the 570 x 590 window centred on
    // the 1024 x 768 screen has its corner at (227, 89).
    const std::optional<WindowManagerStandIn::Place> icon = S().Wm().PlaceOf(S().TrayIcon());
    ASSERT_TRUE(icon);
    ASSERT_TRUE(test::Run("xdotool mousemove --sync " + std::to_string(icon->x + icon->width / 2) +
                          " " + std::to_string(icon->y + icon->height / 2) +
                          " click --repeat 2 --delay 80 1"));
    const WindowManagerStandIn::Place shown = place();
    const WindowManagerStandIn::Place centred{227, 89, 570, 590, true};
    EXPECT_TRUE(PollFor([&] { return place() == centred; }, 5s))
        << place().x << "," << place().y << " viewable " << place().viewable << " (was " << shown.x
        << "," << shown.y << ")";
}

// Another start of the program the session runs, from the same folder, as a user starts it.
ChildProcess::Options AnotherStart(const std::string& folder, const std::string& log) {
    return {.outputPath = folder + "/" + log,
            .stderrToo = true,
            .environment = {{"XDG_RUNTIME_DIR", folder + "/runtime"},
                            {"XDG_CACHE_HOME", folder + "/cache"},
                            {"QT_QPA_PLATFORM", std::nullopt}}};
}

TEST_F(StreamerSession, SecondCopyIsRefusedAndTheFirstKeepsRunning) {
    const auto before = S().Wm().PlaceOf(S().MainId());
    ASSERT_TRUE(before && before->viewable) << "the first copy's window must show to begin with";
    const std::string folder = S().Folder();
    ChildProcess second({P().File("vorlune")}, AnotherStart(folder, "second.log"));
    ASSERT_TRUE(second.Started());
    const std::optional<std::string> box = WaitForWindowTitled(second.Pid(), "友情提醒:", 15s);
    ASSERT_TRUE(box) << ReadFileBytes(folder + "/second.log");
    ASSERT_TRUE(PressIn(*box, "Return"));
    EXPECT_EQ(second.WaitForExit(10s), std::optional<int>(0));
    EXPECT_TRUE(P().Running());
    const auto place = S().Wm().PlaceOf(S().MainId());
    EXPECT_TRUE(place && place->viewable) << "the first copy's window stays";
}

TEST_F(StreamerSession, ACopyThatCannotMakeItsMarkRunsBesideTheFirst) {
    // In a sandbox without Unix socket names nothing can tell whether another copy runs: the
    // program runs rather than call itself a second copy.
    const std::string folder = S().Folder();
    const std::string list = P().DataFile("Sounds/Common/list.ini");
    const std::string listBefore = ReadFileBytes(list);
    ChildProcess::Options sandboxed = AnotherStart(folder, "unchecked.log");
    sandboxed.environment["LD_PRELOAD"] = VORLUNE_E2E_NO_UNIX_BIND;
    ChildProcess unchecked({P().File("vorlune")}, sandboxed);
    ASSERT_TRUE(unchecked.Started());
    EXPECT_TRUE(WaitForWindowTitled(unchecked.Pid(), "Vorlune正式版", 15s))
        << ReadFileBytes(folder + "/unchecked.log");
    EXPECT_FALSE(WaitForWindowTitled(unchecked.Pid(), "友情提醒:", 1s));
    EXPECT_TRUE(unchecked.Running());
    unchecked.Stop();
    EXPECT_TRUE(P().Running());
    // Ended by SIGTERM, that copy left as a confirmed exit does, recording its exit in the
    // shared list; the list is put back for the first copy's own exit.
    EXPECT_EQ(P().ReadSlotList("当前记录", "值"), "0");
    WriteFileBytes(list, listBefore);
}

TEST_F(StreamerSession, ExitIsConfirmedAndRecorded) {
    EXPECT_EQ(P().ReadSlotList("当前记录", "值"), "");
    ASSERT_TRUE(P().CloseWindow());
    const std::optional<std::string> question = WaitForWindowTitled(P().Pid(), "询问信息", 5s);
    ASSERT_TRUE(question) << "no question on closing";
    ASSERT_TRUE(PressIn(*question, "Return"));
    EXPECT_EQ(P().WaitForExit(10s), std::optional<int>(0)) << P().Log();
    EXPECT_EQ(P().ReadSlotList("当前记录", "值"), "0");
    EXPECT_FALSE(S().Wm().PlaceOf(S().TrayIcon()).has_value()) << "the tray icon is gone";
    EXPECT_TRUE(S().TrayerRunning());
    EXPECT_TRUE(ProcessesRunning(P().File("vorlune")).empty());
}

}  // namespace
}  // namespace vorlune::test
