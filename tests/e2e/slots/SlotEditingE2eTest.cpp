// The slot editing of the real program, as a user does it: an X server (Xvfb) with xdotool for
// the mouse and keyboard, and a private PulseAudio server whose null sink is recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "Commands.h"
#include "ProgramWidgets.h"
#include "PulseServer.h"
#include "RecordingAudioEngine.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XClient.h"
#include "XvfbDisplay.h"
#include "app/Application.h"
#include "app/KeepAbove.h"
#include "app/MainWindow.h"
#include "app/MessageBoxPrompts.h"
#include "app/ProgramExit.h"
#include "app/QtDesktopServices.h"
#include "app/SystemTray.h"
#include "audio/MixingAudioEngine.h"
#include "audio/fake/FakeMicrophoneSystem.h"
#include "audio/pulse/PulseOutputSystem.h"
#include "base/GbkText.h"
#include "hotkeys/HotkeyPlatform.h"
#include "slots/editing/SlotContextMenu.h"
#include "slots/editing/SlotDialog.h"

namespace vorlune::test {
namespace {

constexpr double kToneHz = 1000.0;

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// 1.5 s of a 1 kHz sine at half scale, 48 kHz mono 16-bit.
std::string ToneWav() {
    constexpr std::uint32_t kRate = 48000;
    std::string data;
    for (std::uint32_t i = 0; i < kRate * 3 / 2; ++i) {
        const double s = 0.5 * std::sin(2.0 * M_PI * kToneHz * i / kRate);
        PutLittleEndian(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(s * 32767)), 2);
    }
    std::string wav = "RIFF";
    PutLittleEndian(wav, 36 + static_cast<std::uint32_t>(data.size()), 4);
    wav += "WAVEfmt ";
    PutLittleEndian(wav, 16, 4);
    PutLittleEndian(wav, 1, 2);
    PutLittleEndian(wav, 1, 2);
    PutLittleEndian(wav, kRate, 4);
    PutLittleEndian(wav, kRate * 2, 4);
    PutLittleEndian(wav, 2, 2);
    PutLittleEndian(wav, 16, 2);
    wav += "data";
    PutLittleEndian(wav, static_cast<std::uint32_t>(data.size()), 4);
    return wav + data;
}

// xdotool, with the event loop running afterwards so that the program sees what it did.
void Xdo(const std::string& arguments) {
    EXPECT_TRUE(Run("xdotool " + arguments)) << arguments;
    QTest::qWait(150);
}

void ClickAt(const QWidget* widget, QPoint local, int button = 1) {
    const QPoint at = widget->mapToGlobal(local);
    Xdo("mousemove --sync " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " click " +
        std::to_string(button));
}
void Click(const QWidget* widget, int button = 1) {
    ClickAt(widget, widget->rect().center(), button);
}

// Runs `inside` once the modal slot dialog shows; `open` is what opens it.
bool WithDialog(const std::function<void()>& open, const std::function<void(SlotDialog&)>& inside) {
    bool opened = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<SlotDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || opened || !dialog->isVisible()) {
            return;
        }
        opened = true;
        poll.stop();
        QTest::qWait(200);
        inside(*dialog);
    });
    poll.start();
    open();
    const bool closed = QTest::qWaitFor(
        [&] { return opened && QApplication::activeModalWidget() == nullptr; }, 20000);
    return opened && closed;
}

template <typename T>
T* Child(const QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromUtf8(name));
}

TEST(SlotEditingE2e, AddASoundAndAHotkeyThenPlayItFromAnotherWindow) {
    TempDir dir;
    XvfbDisplay display;
    ASSERT_TRUE(display.Start("1024x768x24"));
    MakeFolders(dir.File("pulse"));
    PulseServer pulse(dir.File("pulse"));
    ASSERT_TRUE(pulse.Ready()) << pulse.Log();
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);

    // The program folder: hotkeys on, full volume, an empty slot list.
    const std::string program = dir.File("program");
    MakeFolders(program + "/Sounds/Common");
    MakeFolders(program + "/Config");
    WriteFileBytes(program + "/config.ini",
                   Utf8ToGbk("[软件名称]\n文本=VorluneE2E\n[是否设置快捷按钮]\n值=1\n"
                             "[音效音量]\n值=100\n[当前栏目]\n值=0\n"));
    WriteFileBytes(program + "/Sounds/Common/list.ini", "");
    const std::string tone = dir.File("tone.wav");
    WriteFileBytes(tone, ToneWav());

    SinkRecorder recorder("A", dir.File("A.raw"));
    ASSERT_TRUE(recorder.Started());
    QTest::qWait(2500);  // an idle null sink starts in 2-second blocks

    static int argc = 1;
    static char name[] = "vorlune";
    static char* argv[] = {name, nullptr};
    QApplication qtApp(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const ProgramFolder folder(program);
    const DataFolder data(program);
    MessageBoxPrompts prompts;
    WindowKeepAbove keepAbove;
    QtDesktopServices desktop;
    PulseOutputSystem outputs;
    MixingAudioEngine realAudio(outputs);
    RecordingAudioEngine audio(realAudio);
    FakeMicrophoneSystem microphones;  // the virtual microphone plays no part here
    HotkeyPlatform hotkeys = CreateHotkeyPlatform(QGuiApplication::platformName().toStdString());
    ASSERT_TRUE(hotkeys.backend->Available());
    QtSystemTray tray;
    EventLoopExit programExit;
    AppState state;
    Application app(folder, data, state,
                    {prompts, keepAbove, *hotkeys.backend, *hotkeys.watcher, desktop, audio,
                     microphones, tray, programExit});
    app.OnMainWindowCreated();
    app.ShowMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&TheMainWindow()));
    QTest::qWait(2500);
    SlotContextMenu* slotMenu = TopLevel<SlotContextMenu>(QStringLiteral("右键操作"));
    ASSERT_NE(slotMenu, nullptr);
    SlotContextMenu& menu = *slotMenu;
    QPushButton* slot = SlotButton(1);
    ASSERT_EQ(slot->text(), QStringLiteral("+"));

    // Right-click the empty slot, "音效添加", a name and a path, apply.
    Click(slot, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }, 3000));
    EXPECT_EQ(menu.SoundItem()->text(), QStringLiteral("音效添加"));
    EXPECT_TRUE(WithDialog([&] { ClickAt(&menu, menu.actionGeometry(menu.SoundItem()).center()); },
                           [&](SlotDialog& d) {
                               Click(Child<QLineEdit>(d, "编辑框_地址"));
                               Xdo("type --delay 15 " + ShellQuoted(tone));
                               Click(Child<QLineEdit>(d, "编辑框_名称"));
                               Xdo("type --delay 15 e2etone");
                               Click(Child<QPushButton>(d, "按钮_应用设置"));
                               EXPECT_EQ(Child<QLabel>(d, "透明标签_状态显示")->text(),
                                         QStringLiteral("设置成功!"));
                               Click(Child<QPushButton>(d, "按钮_关闭"));
                           }));
    EXPECT_EQ(slot->text(), QStringLiteral("e2etone"));

    // "快捷键设置", press Ctrl+F9, apply, close.
    Click(slot, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu.isVisible(); }, 3000));
    EXPECT_TRUE(WithDialog(
        [&] { ClickAt(&menu, menu.actionGeometry(menu.HotkeyItem()).center()); },
        [&](SlotDialog& d) {
            // A key without any virtual-key code (the mute key) writes the empty text; F13 sits
            // on a keycode to which Xvfb's keymap gives an XF86 key.
            Xdo("key F9");
            EXPECT_EQ(Child<QLineEdit>(d, "编辑框_热键")->text(), QStringLiteral("F9键"));
            Xdo("key XF86AudioMute");
            EXPECT_EQ(Child<QLineEdit>(d, "编辑框_热键")->text(), QString());
            Xdo("key 191");
            EXPECT_EQ(Child<QLineEdit>(d, "编辑框_热键")->text(), QStringLiteral("F13键"));
            Xdo("key ctrl+F9");
            EXPECT_EQ(Child<QLineEdit>(d, "编辑框_热键")->text(), QStringLiteral("Ctrl+F9键"));
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    return Child<QPlainTextEdit>(d, "编辑框_提示框")->toPlainText() ==
                           QStringLiteral("当前热键[Ctrl+F9键]未被使用，可注册为热键。");
                },
                3000));
            Click(Child<QPushButton>(d, "按钮_热键设置"));
            EXPECT_EQ(Child<QLabel>(d, "透明标签_快捷状态显示")->text(),
                      QStringLiteral("【e2etone】—【Ctrl+F9键】热键注册成功!"));
            Click(Child<QPushButton>(d, "按钮_关闭"));
        }));
    EXPECT_EQ(SlotLabel(1)->text(), QStringLiteral("Ctrl+F9键"));

    // Another window has the focus; the combination plays the new sound on the sink.
    XClient other;
    ASSERT_TRUE(other.Connected());
    other.FocusOwnWindow();
    QTest::qWait(300);
    const std::size_t mark = recorder.FramesSoFar();
    Xdo("key ctrl+F9");
    bool heard = QTest::qWaitFor([&] { return Loudest(recorder.Left(), mark).rms > 0.1; }, 8000);
    const Heard sound = Loudest(recorder.Left(), mark);
    EXPECT_TRUE(heard) << "rms " << sound.rms;
    EXPECT_NEAR(sound.frequency, kToneHz, 30.0);
    EXPECT_EQ(audio.LastStreamPath(), tone);

    app.OnMainWindowDestroyed();
    recorder.Stop();
}

}  // namespace
}  // namespace vorlune::test
