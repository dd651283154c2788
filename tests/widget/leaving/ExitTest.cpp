#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "AudioTestFiles.h"
#include "LeavingFixture.h"
#include "app/SessionEndSignals.h"

namespace vorlune {
namespace {

using test::LeavingFixture;

const Prompt kCloseQuestion{
    .text = "您是否退出当前Vorlune,选择[是]退出？\r\n提醒:如果不想退出,请点击最小化托盘后台运行哦!",
    .caption = "询问信息",
    .icon = PromptIcon::None,
    .buttons = PromptButtons::YesNo,
    .defaultButton = PromptAnswer::Yes};
const Prompt kQuitQuestion{.text = "确定退出Vorlune？",
                           .caption = "请选择",
                           .icon = PromptIcon::Question,
                           .buttons = PromptButtons::YesNo,
                           .defaultButton = PromptAnswer::No};
constexpr std::string_view kExitRecord = "[当前记录]\r\n值=0";

// Slot 1 holds a long tone on Ctrl+F2; hotkeys are on and the window stays on top.
class ExitFixture : public LeavingFixture {
  protected:
    ExitFixture() {
        const std::string tone = dir.File("tone.wav");
        test::WriteToneWav(tone, {.seconds = 20.0});
        Config("[是否设置快捷按钮]\r\n值=1\r\n[音效音量]\r\n值=50\r\n[是否窗口置顶]\r\n值=1\r\n");
        List("[音效1]\r\n名称=长音\r\ndz=音效1｜" + tone + "\r\nkjj=Ctrl｜F2键\r\n");
    }

    // Slot 1 by its hotkey; the stream it started.
    StreamHandle PlaySlot1() {
        EXPECT_TRUE(hotkeys.Fire(1));
        return audio.LiveStream();
    }
    bool Playing(StreamHandle stream) {
        return stream != 0 && audio.ChannelIsActive(stream) != ChannelState::Stopped;
    }
    bool ExitRecorded() const { return ListText().find(kExitRecord) != std::string::npos; }

    // What the rest of the program looked like at one step of the exit.
    struct Moment {
        std::string step;
        StreamHandle stream = 0;
        bool monitorRunning = false;
        bool exitRecorded = false;
        bool outputOpen = false;
        bool trayShown = false;
        bool operator==(const Moment&) const = default;
    };
    Moment Now(std::string step, StreamHandle stream) const {
        return {std::move(step),
                stream,
                test::MonitorTimer().isActive(),
                ExitRecorded(),
                audio.CurrentDevice().has_value(),
                tray.IsShown()};
    }
    void WatchTheExit() {
        audio.beforeCall = [this](const test::RecordingAudioEngine::Call& call) {
            moments.push_back(Now(call.name, call.stream));
        };
        programExit.onEnd = [this](int) { moments.push_back(Now("end", 0)); };
    }
    std::vector<Moment> moments;
};

TEST_F(ExitFixture, NoToEitherQuestionLeavesTheProgramAsItWas) {
    Start();
    MainWindow& window = Window();
    window.show();
    ASSERT_TRUE(keepAbove.IsKeptAbove(&window));
    const StreamHandle stream = PlaySlot1();
    ASSERT_TRUE(Playing(stream));
    ASSERT_TRUE(test::MonitorTimer().isActive());

    // Playing took the window out of always-on-top; it is put back before each question.
    std::vector<bool> keptAboveWhileAsked;
    prompts.whileOpen = [&](const Prompt&) {
        keptAboveWhileAsked.push_back(keepAbove.IsKeptAbove(&window));
    };
    keepAbove.SetKeepAbove(&window, true);
    const auto unchanged = [&] {
        EXPECT_TRUE(Playing(stream));
        EXPECT_EQ(audio.LiveStream(), stream);
        EXPECT_TRUE(test::MonitorTimer().isActive());
        EXPECT_TRUE(audio.CurrentDevice().has_value());
        EXPECT_TRUE(tray.IsShown());
        EXPECT_FALSE(ExitRecorded());
        EXPECT_TRUE(programExit.codes.empty());
        EXPECT_TRUE(hotkeys.Held(1).has_value());
    };

    // The close button, Alt+F4 or the window manager.
    prompts.recorded.Answer(PromptAnswer::No);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(prompts.recorded.shown.size(), 1U);
    EXPECT_EQ(prompts.recorded.shown[0], kCloseQuestion);
    unchanged();

    // "退出助手" with the window hidden in the tray: it stays there.
    Minimise();
    ASSERT_FALSE(window.isVisible());
    keepAbove.SetKeepAbove(&window, true);
    prompts.recorded.Answer(PromptAnswer::No);
    QuitItem()->trigger();
    ASSERT_EQ(prompts.recorded.shown.size(), 2U);
    EXPECT_EQ(prompts.recorded.shown[1], kQuitQuestion);
    EXPECT_FALSE(window.isVisible());
    unchanged();

    // Both questions came after the window had left always-on-top.
    EXPECT_EQ(keptAboveWhileAsked, (std::vector<bool>{false, false}));
}

TEST_F(ExitFixture, YesToTheCloseQuestionEndsInOrderAndStopsWhatPlaysThen) {
    Start();
    MainWindow& window = Window();
    window.show();
    const StreamHandle first = PlaySlot1();
    ASSERT_TRUE(Playing(first));

    // Hotkeys still play while the question is open; the exit ends that newer sound.
    StreamHandle underQuestion = 0;
    prompts.whileOpen = [&](const Prompt&) {
        underQuestion = PlaySlot1();
        EXPECT_TRUE(Playing(underQuestion));
        WatchTheExit();
    };
    prompts.recorded.Answer(PromptAnswer::Yes);
    EXPECT_TRUE(window.close());
    ASSERT_NE(underQuestion, first);

    EXPECT_EQ(prompts.recorded.shown, std::vector<Prompt>{kCloseQuestion});
    const std::vector<Moment> expected{
        {"Stop", underQuestion, false, false, true, true},
        {"StreamFree", underQuestion, false, false, true, true},
        {"Free", 0, false, true, true, true},
        {"end", 0, false, true, false, false},
    };
    EXPECT_EQ(moments, expected);
    EXPECT_EQ(programExit.codes, std::vector<int>{0});
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ExitFixture, YesToTheTrayQuestionEndsEvenWithNothingEverPlayed) {
    std::remove(dir.File("Sounds/Common/list.ini").c_str());
    Start();
    Window().show();
    Minimise();
    WatchTheExit();
    prompts.recorded.Answer(PromptAnswer::Yes);
    QuitItem()->trigger();

    EXPECT_EQ(prompts.recorded.shown, std::vector<Prompt>{kQuitQuestion});
    const std::vector<Moment> expected{
        {"Stop", 0, false, false, true, true},
        {"StreamFree", 0, false, false, true, true},
        {"Free", 0, false, true, true, true},
        {"end", 0, false, true, false, false},
    };
    EXPECT_EQ(moments, expected);
    EXPECT_EQ(programExit.codes, std::vector<int>{0});
}

// The end of the desktop session ends the program as a confirmed exit does, without asking;
// when it comes while a question is open, the exit still runs once.
TEST_F(ExitFixture, TheEndOfTheSessionEndsAsAConfirmedExitWithoutTheQuestion) {
    Start();
    Window().show();
    const StreamHandle playing = PlaySlot1();
    ASSERT_TRUE(Playing(playing));
    WatchTheExit();
    app->EndWithoutQuestion();
    EXPECT_TRUE(prompts.recorded.shown.empty());
    const std::vector<Moment> expected{
        {"Stop", playing, false, false, true, true},
        {"StreamFree", playing, false, false, true, true},
        {"Free", 0, false, true, true, true},
        {"end", 0, false, true, false, false},
    };
    EXPECT_EQ(moments, expected);
    EXPECT_EQ(programExit.codes, std::vector<int>{0});

    // Under the close question, answered Yes after the session has ended it.
    audio.beforeCall = nullptr;
    app.reset();
    Start();
    Window().show();
    prompts.whileOpen = [&](const Prompt&) { app->EndWithoutQuestion(); };
    prompts.recorded.Answer(PromptAnswer::Yes);
    programExit.codes.clear();
    Window().close();
    EXPECT_EQ(programExit.codes, std::vector<int>{0});
}

// SIGTERM, SIGINT and SIGHUP each reach the event loop once, also when they came before it
// listened; a signal the program was started to ignore stays ignored.
TEST(SessionEndSignals, EachEndSignalReachesTheEventLoopAndAnIgnoredOneStaysIgnored) {
    test::EnsureQApplication();
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SessionEndSignals watcher;
        ASSERT_TRUE(watcher.Installed());
        EXPECT_FALSE(SessionEndSignals().Installed()) << "one watcher at a time";
        QSignalSpy ended(&watcher, &SessionEndSignals::endRequested);
        ASSERT_EQ(::raise(number), 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(ended.count(), 0) << "before it listens";
        watcher.Listen();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() == 1; }, 2000)) << number;
        EXPECT_EQ(ended.takeFirst().at(0).toInt(), number);
    }

    ASSERT_NE(std::signal(SIGHUP, SIG_IGN), SIG_ERR);
    {
        SessionEndSignals watcher;
        QSignalSpy ended(&watcher, &SessionEndSignals::endRequested);
        watcher.Listen();
        ASSERT_EQ(::raise(SIGHUP), 0);
        QTest::qWait(100);
        EXPECT_EQ(ended.count(), 0);
    }
    std::signal(SIGHUP, SIG_DFL);
}

}  // namespace
}  // namespace vorlune
