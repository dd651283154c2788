#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <thread>

#include "AppFixture.h"
#include "AudioTestFiles.h"
#include "app/BottomLine.h"
#include "app/ControlStrip.h"
#include "app/MainWindow.h"
#include "app/SettingsPage.h"
#include "app/SwitchButton.h"
#include "app/phone/PhoneRemote.h"
#include "hotkeys/HotkeyText.h"
#include "slots/editing/SlotDialog.h"
#include "spectrum/SpectrumPanel.h"

namespace vorlune {
namespace {

using Picture = ControlStrip::PausePicture;
using test::MonitorTimer;
using test::TickMonitor;

class PlayingTest : public test::AppFixture {
  protected:
    // Two short tones in the program folder, slots 1 and 2 refer to them through the
    // program-folder mark, slot 3 names a file that is gone.
    void GivenSounds(std::string_view extraConfig = "[音效音量]\r\n值=80\r\n",
                     double seconds = 2.0) {
        test::WriteToneWav(dir.File("Sounds/Common/a.wav"), {.frequency = 440, .seconds = seconds});
        test::WriteToneWav(dir.File("Sounds/Common/b.wav"), {.frequency = 880, .seconds = seconds});
        Config(extraConfig);
        List(
            "[音效1]\r\n名称=甲\r\ndz=音效1｜[取运行目录]\\Sounds\\Common\\a.wav\r\nkjj="
            "Ctrl｜F1键\r\n"
            "[音效2]\r\n名称=乙\r\ndz=音效2｜[取运行目录]\\Sounds\\Common\\b.wav\r\n"
            "[音效3]\r\n名称=丙\r\ndz=音效3｜/nowhere/gone.wav\r\n"
            "[音效4]\r\n名称=丁\r\ndz=abc｜[取运行目录]\\Sounds\\Common\\a.wav\r\n");
    }
    // The stream that plays, as the audio engine saw it created and not yet freed.
    StreamHandle Current() const { return audio.LiveStream(); }
    ChannelState StateOf(StreamHandle h) const { return audio.ChannelIsActive(h); }
    static ControlStrip& Strip() { return *Window().Controls(); }
    static void Click(int n) { Button(n)->click(); }
    static bool SpectrumRunning() {
        return static_cast<SpectrumPanel*>(Window().SpectrumPanel())->IsRunning();
    }
};

TEST_F(PlayingTest, ASlotEndsTheSoundBeforeItAndAgainRestartsItself) {
    GivenSounds();
    Start();
    Click(1);
    const StreamHandle first = Current();
    ASSERT_NE(first, 0U);
    EXPECT_NE(StateOf(first), ChannelState::Stopped);
    EXPECT_EQ(audio.LastStreamPath(), dir.Path() + "/Sounds/Common/a.wav");
    EXPECT_EQ(state.lastTriggered.name, "甲");
    EXPECT_EQ(state.lastTriggered.hotkey, "Ctrl｜F1键");
    EXPECT_FLOAT_EQ(audio.volumes.back(), 0.8F);
    EXPECT_EQ(Strip().PauseShown(), Picture::Play);
    EXPECT_TRUE(Strip().StopShownActive());
    EXPECT_TRUE(MonitorTimer().isActive());
    EXPECT_EQ(MonitorTimer().interval(), 1000);
    EXPECT_TRUE(SpectrumRunning());

    // The pictures a trigger shows are the ones drawn before, not new ones to render and cache.
    const auto pictures = [] {
        return std::pair{Strip().PauseButton()->icon().cacheKey(),
                         Strip().StopButton()->icon().cacheKey()};
    };
    const auto shownAtFirst = pictures();

    Click(2);
    const StreamHandle second = Current();
    EXPECT_NE(second, first);
    EXPECT_EQ(StateOf(first), ChannelState::Stopped);
    EXPECT_NE(StateOf(second), ChannelState::Stopped);
    Click(2);
    EXPECT_NE(Current(), second);
    EXPECT_EQ(StateOf(second), ChannelState::Stopped);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(pictures(), shownAtFirst);
    Strip().RepeatSwitch()->ShowState(false);
    const qint64 repeatOff = Strip().RepeatSwitch()->icon().cacheKey();
    Strip().RepeatSwitch()->ShowState(true);
    Strip().RepeatSwitch()->ShowState(false);
    EXPECT_EQ(Strip().RepeatSwitch()->icon().cacheKey(), repeatOff);
}

TEST_F(PlayingTest, AMissingFileEndsTheSoundAndOffersTheSlotDialog) {
    GivenSounds();
    Start();
    Click(1);
    const StreamHandle playing = Current();
    prompts.Answer(PromptAnswer::No);
    const auto clickSlot3 = [] { Click(3); };
    const bool openedOnNo = test::WithSlotDialog(clickSlot3, [](SlotDialog&) {});
    EXPECT_EQ(StateOf(playing), ChannelState::Stopped);
    EXPECT_EQ(Current(), 0U);
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0],
              (Prompt{.text = "未发现有效音效路径源,是否重新设置!\r\n调用路径源:/nowhere/gone.wav",
                      .caption = "请选择",
                      .icon = PromptIcon::Question,
                      .buttons = PromptButtons::YesNo,
                      .defaultButton = PromptAnswer::No}));
    EXPECT_FALSE(openedOnNo);
    // The control button keeps its picture; the stop button shows a loaded sound.
    EXPECT_EQ(Strip().PauseShown(), Picture::Play);
    EXPECT_TRUE(Strip().StopShownActive());

    // Yes: the dialog opens on the sound page with slot 3 current.
    prompts.Answer(PromptAnswer::Yes);
    int dialogs = 0;
    EXPECT_TRUE(test::WithSlotDialog(clickSlot3, [&](SlotDialog& d) {
        ++dialogs;
        EXPECT_EQ(d.Pages()->currentIndex(), 0);
        EXPECT_EQ(state.currentSlotNumber, 3);
        EXPECT_EQ(state.currentSlotSection, "音效3");
        EXPECT_EQ(state.currentSlotRef, "音效3｜/nowhere/gone.wav");
    }));
    EXPECT_EQ(dialogs, 1);
}

// With the sound server away, hotkeys pressed over a game pile up no boxes: the first failed
// trigger says so in a box, later ones only in the status bar, until an output is back.
TEST_F(PlayingTest, WithoutAnyOutputTheBoxShowsOnceAndLaterTriggersOnlySetTheStatus) {
    GivenSounds("[是否设置快捷按钮]\r\n值=1\r\n");
    Start();
    outputs.SetServerRunning(false);
    const Prompt noOutput{.text = "没有可用的音频输出设备", .icon = PromptIcon::Information};
    std::size_t shownInside = 0;
    prompts.whileOpen = [&](const Prompt&) {
        if (shownInside == 0) {
            shownInside = prompts.shown.size();
            EXPECT_TRUE(hotkeys.Press({kModControl, 112}));  // slot 1's Ctrl+F1, twice
            EXPECT_TRUE(hotkeys.Press({kModControl, 112}));
            EXPECT_EQ(prompts.shown.size(), shownInside) << "a box over the open one";
        }
    };
    Click(1);
    ASSERT_EQ(prompts.shown, std::vector<Prompt>{noOutput});
    EXPECT_EQ(Window().StatusText(), QStringLiteral("没有可用的音频输出设备"));
    Window().ResetStatusText();
    Click(2);
    EXPECT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(Window().StatusText(), QStringLiteral("没有可用的音频输出设备"));
    EXPECT_EQ(Current(), 0U);

    // Back: it plays; away again: said in a box once more.
    outputs.SetServerRunning(true);
    Click(1);
    EXPECT_NE(Current(), 0U);
    EXPECT_EQ(prompts.shown.size(), 1U);
    outputs.SetServerRunning(false);
    Click(1);
    EXPECT_EQ(prompts.shown, (std::vector<Prompt>{noOutput, noOutput}));
}

TEST_F(PlayingTest, EmptySlotsAndTagsWithoutDigitsGiveTheHint) {
    GivenSounds();
    Start();
    const bool opened = test::WithSlotDialog(
        [] {
            Click(50);
            Click(4);  // "abc｜…": slot 0, which no list has
        },
        [](SlotDialog&) {});
    ASSERT_EQ(prompts.shown.size(), 2U);
    for (const Prompt& p : prompts.shown) {
        EXPECT_EQ(p, (Prompt{.text = "请选中此音效按钮—鼠标右键—弹出添加菜单",
                             .caption = "信息：",
                             .icon = PromptIcon::Information}));
    }
    EXPECT_TRUE(state.lastTriggered.name.empty());
    EXPECT_FALSE(opened);
}

TEST_F(PlayingTest, WithoutAVolumeASoundPlaysSilentlyAndTheTriggerStillSucceeds) {
    GivenSounds("[是否窗口置顶]\r\n值=1\r\n");
    Start();
    EXPECT_TRUE(keepAbove.IsKeptAbove(&Window()));
    Click(1);
    EXPECT_FALSE(keepAbove.IsKeptAbove(&Window()));
    EXPECT_FLOAT_EQ(audio.volumes.back(), 0.0F);
    EXPECT_NE(StateOf(Current()), ChannelState::Stopped);
    EXPECT_EQ(Strip().PauseShown(), Picture::Play);
    EXPECT_TRUE(MonitorTimer().isActive());
    EXPECT_EQ(settings.Read(setting::kOnTop), "1");
}

TEST_F(PlayingTest, PauseFadesInStepsOfTwoAndResumeRestoresTheLevel) {
    GivenSounds("[音效音量]\r\n值=100\r\n", 10.0);
    Start();
    Click(1);
    audio.volumes.clear();
    Strip().PauseButton()->click();
    ASSERT_EQ(audio.volumes.size(), 50U);
    for (std::size_t i = 0; i < 50; ++i) {
        EXPECT_FLOAT_EQ(audio.volumes[i],
                        static_cast<float>(98 - 2 * static_cast<int>(i)) / 100.0F);
    }
    EXPECT_EQ(StateOf(Current()), ChannelState::Paused);
    EXPECT_EQ(Strip().PauseShown(), Picture::Pause);

    audio.volumes.clear();
    Strip().PauseButton()->click();
    EXPECT_EQ(audio.volumes, std::vector<float>{1.0F});
    EXPECT_NE(StateOf(Current()), ChannelState::Paused);
    EXPECT_NE(StateOf(Current()), ChannelState::Stopped);
    EXPECT_EQ(Strip().PauseShown(), Picture::Play);

    settings.Write(setting::kVolume, "99");
    audio.volumes.clear();
    Strip().PauseButton()->click();
    ASSERT_EQ(audio.volumes.size(), 50U);
    EXPECT_FLOAT_EQ(audio.volumes.front(), 0.97F);
    EXPECT_FLOAT_EQ(audio.volumes[48], 0.01F);
    EXPECT_FLOAT_EQ(audio.volumes.back(), 0.0F);

    // A sound whose decoder has fallen behind is paused all the same, never resumed.
    Strip().PauseButton()->click();
    audio.stalled = true;
    audio.volumes.clear();
    Strip().PauseButton()->click();
    EXPECT_EQ(audio.volumes.size(), 50U);
    audio.stalled = false;
    EXPECT_EQ(StateOf(Current()), ChannelState::Paused);
}

TEST_F(PlayingTest, PauseWithNothingPlayedShowsPlayAndPlaysNothing) {
    GivenSounds();
    Start();
    EXPECT_EQ(Strip().PauseShown(), Picture::Idle);
    EXPECT_TRUE(Strip().StopShownActive());  // the stop sign is green as loaded
    Strip().PauseButton()->click();
    EXPECT_EQ(Strip().PauseShown(), Picture::Play);
    EXPECT_EQ(Current(), 0U);
}

TEST_F(PlayingTest, StopFadesFromItsOwnLevelAndFreesTheSound) {
    GivenSounds();
    Start();
    Click(1);
    const StreamHandle h = Current();
    audio.volumes.clear();
    Strip().StopButton()->click();
    EXPECT_TRUE(audio.volumes.empty());  // no "是否直接停止": no fade
    EXPECT_EQ(StateOf(h), ChannelState::Stopped);
    EXPECT_FALSE(Strip().StopShownActive());

    settings.Write(setting::kStopFade, "100");
    Click(1);
    audio.volumes.clear();
    Strip().StopButton()->click();
    EXPECT_EQ(audio.volumes.size(), 50U);
    EXPECT_EQ(StateOf(Current()), ChannelState::Stopped);
}

TEST_F(PlayingTest, TheMonitorRepeatsAnEndedSoundOrResetsTheStrip) {
    GivenSounds("[音效音量]\r\n值=80\r\n[是否重复音效]\r\n值=1\r\n", 0.15);
    Start();
    Click(1);
    const StreamHandle first = Current();
    ASSERT_TRUE(QTest::qWaitFor([&] { return StateOf(first) == ChannelState::Stopped; }, 3000));
    TickMonitor();
    const StreamHandle again = Current();
    EXPECT_NE(again, first);
    EXPECT_NE(StateOf(again), ChannelState::Stopped);
    EXPECT_FLOAT_EQ(audio.volumes.back(), 0.8F);

    // Stop with repeat on: the next tick does not start it again.
    Strip().StopButton()->click();
    TickMonitor();
    EXPECT_EQ(StateOf(Current()), ChannelState::Stopped);
    EXPECT_EQ(Strip().PauseShown(), Picture::Idle);
    EXPECT_FALSE(MonitorTimer().isActive());
    EXPECT_FALSE(SpectrumRunning());

    // Repeat off: an ended sound resets the strip and stops both timers.
    Strip().RepeatSwitch()->click();
    EXPECT_EQ(settings.Read(setting::kRepeat), "0");
    EXPECT_EQ(Strip().RepeatSwitch()->Shown(), SwitchButton::Picture::Off);
    Click(2);
    const StreamHandle last = Current();
    ASSERT_TRUE(QTest::qWaitFor([&] { return StateOf(last) == ChannelState::Stopped; }, 3000));
    TickMonitor();
    EXPECT_EQ(Strip().PauseShown(), Picture::Idle);
    EXPECT_FALSE(Strip().StopShownActive());
    EXPECT_FALSE(MonitorTimer().isActive());
    EXPECT_FALSE(SpectrumRunning());
    EXPECT_FALSE(Window().StatusText().contains(QStringLiteral("损坏")));

    // A file that breaks off with a decode error ends the same way, and the status bar says
    // the file is damaged.
    test::WriteToneWav(dir.File("whole.flac"), {.seconds = 1.0});
    const std::string whole = test::ReadFileBytes(dir.File("whole.flac"));
    test::WriteFileBytes(dir.File("Sounds/Common/b.wav"),
                         std::string_view(whole).substr(0, whole.size() * 2 / 5));
    Click(2);
    const StreamHandle damaged = Current();
    ASSERT_NE(damaged, 0U);
    ASSERT_TRUE(QTest::qWaitFor([&] { return StateOf(damaged) == ChannelState::Stopped; }, 3000));
    TickMonitor();
    EXPECT_EQ(Strip().PauseShown(), Picture::Idle);
    EXPECT_TRUE(Window().StatusText().contains(QStringLiteral("损坏")))
        << Window().StatusText().toStdString();
}

TEST_F(PlayingTest, VolumeSliderChangesTheSoundTheLabelAndTheSetting) {
    GivenSounds();
    Start();
    Click(1);
    audio.volumes.clear();
    Strip().Volume()->setValue(42);
    EXPECT_EQ(audio.volumes, std::vector<float>{0.42F});
    EXPECT_EQ(Strip().VolumeLabel()->text(), QStringLiteral("42%"));
    EXPECT_TRUE(ConfigBecomes(setting::kVolume, "42"));

    // The keyboard, once a click has given the slider the focus: arrows step by 1, Page Up and
    // Page Down by 5, each step heard, shown and saved.
    MainWindow& window = Window();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSlider* slider = Strip().Volume();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(2, slider->height() / 2));
    ASSERT_EQ(QApplication::focusWidget(), slider);
    const int clicked = slider->value();
    const auto press = [&](Qt::Key key) {
        audio.volumes.clear();
        QTest::keyClick(window.windowHandle(), key);
        const int now = slider->value();
        EXPECT_EQ(audio.volumes, std::vector<float>{static_cast<float>(now) / 100.0F});
        EXPECT_EQ(Strip().VolumeLabel()->text(), QString::number(now) + QLatin1Char('%'));
        EXPECT_TRUE(ConfigBecomes(setting::kVolume, std::to_string(now)));
        return now;
    };
    EXPECT_EQ(press(Qt::Key_Right), clicked + 1);
    EXPECT_EQ(press(Qt::Key_PageUp), clicked + 6);
    EXPECT_EQ(press(Qt::Key_Left), clicked + 5);
    EXPECT_EQ(press(Qt::Key_PageDown), clicked);
    window.hide();

    // A step just before the program ends is on disk when it has ended.
    slider->setValue(17);
    app.reset();
    EXPECT_EQ(settings.Read(setting::kVolume), "17");
}

TEST_F(PlayingTest, OutputDevicesAreListedOpenedAndApplied) {
    GivenSounds();
    Start();
    DeviceComboBox* list = Window().Bottom()->Devices();
    QPushButton* apply = Window().Bottom()->ApplyButton();
    ASSERT_GE(list->count(), 1);
    EXPECT_EQ(list->itemData(0).toInt(), 1);
    EXPECT_EQ(list->currentIndex(), 0);  // no saved device: the first item
    EXPECT_FALSE(apply->isEnabled());
    // Start-up opened the default output once, and nothing beside it.
    EXPECT_EQ(audio.inits, (std::vector<int>{-1}));

    // The user's choice enables "应用"; applying saves the device and says which it is.
    emit list->activated(0);
    EXPECT_TRUE(apply->isEnabled());
    Click(1);
    const StreamHandle playing = Current();
    apply->click();
    EXPECT_EQ(StateOf(playing), ChannelState::Stopped);
    EXPECT_EQ(settings.Read(setting::kOutputDevice), "1");
    EXPECT_FALSE(apply->isEnabled());
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].text,
              "通道选择完毕\r\n当前通道为:" + list->itemText(0).toStdString());
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);

    EXPECT_EQ(settings.Read(setting::kOutputDeviceName), list->itemText(0).toStdString());

    // A saved device past the list (a number alone, as older files have it) opens nothing new
    // and leaves no item selected; dropping the list down rebuilds it and keeps "应用" as it was.
    EXPECT_EQ(settings.Read(setting::kOutputDeviceId), "fake");
    settings.Write(setting::kOutputDevice, "3");
    settings.Write(setting::kOutputDeviceName, "");
    settings.Write(setting::kOutputDeviceId, "");
    emit list->activated(0);
    emit list->aboutToDropDown();
    EXPECT_EQ(audio.inits.back(), 3);
    EXPECT_EQ(list->currentIndex(), list->count() >= 3 ? 2 : -1);
    EXPECT_TRUE(apply->isEnabled());

    // With a name saved the name decides, whatever number was saved with it.
    settings.Write(setting::kOutputDeviceName, list->itemText(0).toStdString());
    emit list->aboutToDropDown();
    EXPECT_EQ(audio.inits.back(), 1);
    EXPECT_EQ(list->currentIndex(), 0);
    // A saved name that no device has is listed last, marked and selected, and nothing opens.
    const std::size_t inits = audio.inits.size();
    settings.Write(setting::kOutputDeviceName, "Headset");
    emit list->aboutToDropDown();
    EXPECT_EQ(audio.inits.size(), inits);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(1), QStringLiteral("Headset(未连接)"));
    EXPECT_EQ(list->currentIndex(), 1);

    // Applying the missing device keeps what plays and the choice saved, and says so.
    const std::optional<int> playingOn = audio.CurrentDevice();
    ASSERT_TRUE(playingOn);
    emit list->activated(1);
    apply->click();
    EXPECT_EQ(audio.CurrentDevice(), playingOn);
    EXPECT_EQ(settings.Read(setting::kOutputDeviceName), "Headset");
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_NE(prompts.shown.back().text.find("未连接"), std::string::npos);
    Click(1);
    EXPECT_EQ(StateOf(Current()), ChannelState::Playing);

    // A device whose output fails at once is reported, not saved, and the sound stays.
    outputs.FailOpens("b");
    outputs.Plug("b", "Headset 2");
    emit list->aboutToDropDown();
    const int failing = list->findText(QStringLiteral("Headset 2"));
    ASSERT_GE(failing, 0);
    list->setCurrentIndex(failing);
    emit list->activated(failing);
    apply->click();
    EXPECT_EQ(prompts.shown.back().text, "所选设备无法打开，请重新选择");
    EXPECT_EQ(settings.Read(setting::kOutputDeviceName), "Headset");
    EXPECT_EQ(StateOf(Current()), ChannelState::Playing);

    Window().Bottom()->OutputLink()->pressed();
    EXPECT_EQ(prompts.shown.back().caption, "信息：");
    EXPECT_EQ(prompts.shown.back().text.substr(0, 15), "右边下拉框");
}

TEST_F(PlayingTest, TheMonitorControlsOnTheSettingsPagePlayEverySoundTwice) {
    outputs.Plug("b", "Headset");
    GivenSounds(
        "[音效音量]\r\n值=80\r\n[监听设备]\r\n通道=9\r\n通道名称=Headset\r\n"
        "[监听音量]\r\n值=50\r\n");
    Start();
    SettingsPage* page = Window().Settings();
    DeviceComboBox* list = page->MonitorDevices();
    // As saved: off, at 50 %, the device found by its name whatever its number.
    EXPECT_EQ(page->MonitorSwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_EQ(page->MonitorVolume()->value(), 50);
    EXPECT_EQ(page->MonitorVolumeLabel()->text(), QStringLiteral("50%"));
    EXPECT_EQ(list->currentText(), QStringLiteral("Headset"));
    EXPECT_EQ(settings.Read(setting::kMonitorVolume), "50") << "showing it wrote nothing";
    Click(1);
    EXPECT_EQ(audio.created.size(), 1U) << "off: one stream";

    page->MonitorSwitch()->click();
    EXPECT_EQ(settings.Read(setting::kMonitorOn), "1");
    EXPECT_EQ(page->MonitorSwitch()->Shown(), SwitchButton::Picture::On);
    audio.volumes.clear();
    Click(2);
    ASSERT_EQ(audio.created.size(), 3U) << "on: the sound and its twin";
    const StreamHandle main = audio.created[1].stream;
    const StreamHandle twin = audio.created[2].stream;
    EXPECT_NE(StateOf(main), ChannelState::Stopped);
    EXPECT_NE(StateOf(twin), ChannelState::Stopped);
    EXPECT_EQ(audio.volumes, (std::vector<float>{0.5F, 0.8F, 0.4F}));

    // Its own volume scales the twin alone, and is kept.
    audio.volumes.clear();
    page->MonitorVolume()->setValue(25);
    EXPECT_EQ(audio.volumes, std::vector<float>{0.2F});
    EXPECT_EQ(page->MonitorVolumeLabel()->text(), QStringLiteral("25%"));
    EXPECT_TRUE(ConfigBecomes(setting::kMonitorVolume, "25"));

    // Stop ends both.
    Strip().StopButton()->click();
    EXPECT_EQ(StateOf(main), ChannelState::Stopped);
    EXPECT_EQ(StateOf(twin), ChannelState::Stopped);

    // Another device chosen from the list is kept at once, by its number and its name.
    emit list->aboutToDropDown();
    ASSERT_EQ(list->count(), 2);
    list->setCurrentIndex(0);
    emit list->activated(0);
    EXPECT_EQ(settings.Read(setting::kMonitorDevice), "1");
    EXPECT_EQ(settings.Read(setting::kMonitorDeviceName), list->itemText(0).toStdString());

    page->MonitorSwitch()->click();
    EXPECT_EQ(settings.Read(setting::kMonitorOn), "0");
    Click(1);
    EXPECT_EQ(audio.created.size(), 4U) << "off again: one stream";
}

TEST_F(PlayingTest, TheVirtualMicrophoneControlsTellEveryWishKeepItAndGoOffWhenItFails) {
    microphones.SetMicrophones({.microphones = {{"mic_a", "USB Mic"}, {"mic_b", "Headset Mic"}},
                                .defaultId = "mic_a",
                                .connected = true});
    // Saved on, with the headset's microphone under a name the server gave it before.
    GivenSounds(
        "[虚拟麦克风]\r\n值=1\r\n麦克风标识=old_b\r\n麦克风名称=Headset Mic\r\n"
        "设为默认麦克风=1\r\n");
    Start();
    SettingsPage* page = Window().Settings();
    DeviceComboBox* list = page->Microphones();
    EXPECT_EQ(page->MicrophoneSwitch()->Shown(), SwitchButton::Picture::On);
    EXPECT_TRUE(page->MicrophoneDefault()->isChecked());
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{QStringLiteral("系统默认麦克风"), QStringLiteral("USB Mic"),
                                  QStringLiteral("Headset Mic"),
                                  QStringLiteral("不混入麦克风（只有音效）")}));
    EXPECT_EQ(list->currentText(), QStringLiteral("Headset Mic")) << "found by its name";
    const auto wishes = [this] { return microphones.Wishes(); };
    ASSERT_EQ(wishes().size(), 1U) << "told once at start-up";
    EXPECT_EQ(wishes().back(),
              (VirtualMicrophoneWish{
                  .on = true, .withVoice = true, .microphone = "mic_b", .makeDefault = true}));

    // Each choice is kept at once and told.
    emit list->activated(3);
    EXPECT_EQ(settings.Read(setting::kMicrophoneWithVoice), "0");
    EXPECT_FALSE(wishes().back().withVoice);
    emit list->activated(1);
    EXPECT_EQ(settings.Read(setting::kMicrophoneId), "mic_a");
    EXPECT_EQ(settings.Read(setting::kMicrophoneName), "USB Mic");
    EXPECT_EQ(wishes().back().microphone, "mic_a");
    EXPECT_TRUE(wishes().back().withVoice);
    emit list->activated(0);
    EXPECT_EQ(settings.Read(setting::kMicrophoneId), "");
    EXPECT_EQ(wishes().back().microphone, "") << "the system's default";
    page->MicrophoneDefault()->click();
    EXPECT_EQ(settings.Read(setting::kMicrophoneDefault), "0");
    EXPECT_FALSE(page->MicrophoneDefault()->isChecked());
    EXPECT_FALSE(wishes().back().makeDefault);
    page->MicrophoneSwitch()->click();
    EXPECT_EQ(settings.Read(setting::kMicrophoneOn), "0");
    EXPECT_EQ(page->MicrophoneSwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_FALSE(wishes().back().on);
    const std::size_t told = wishes().size();
    emit list->aboutToDropDown();
    EXPECT_EQ(wishes().size(), told) << "a wish unchanged is not told again";

    // A saved microphone that is gone is shown as awaited, before "none"; meanwhile the
    // system's default one is mixed in.
    settings.Write(setting::kMicrophoneId, "mic_c");
    settings.Write(setting::kMicrophoneName, "Desk Mic");
    page->MicrophoneSwitch()->click();
    emit list->aboutToDropDown();
    ASSERT_EQ(list->count(), 5);
    EXPECT_EQ(list->itemText(3), QStringLiteral("Desk Mic(未连接)"));
    EXPECT_EQ(list->currentIndex(), 3);
    EXPECT_EQ(wishes().back(), (VirtualMicrophoneWish{.on = true, .microphone = ""}));
    // It comes back, told on the sound system's thread.
    microphones.SetMicrophones({.microphones = {{"mic_a", "USB Mic"}, {"mic_c", "Desk Mic"}},
                                .defaultId = "mic_a",
                                .connected = true});
    std::thread([this] { microphones.FireChange(); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(wishes().back().microphone, "mic_c");
    EXPECT_EQ(list->currentText(), QStringLiteral("Desk Mic"));

    // The sound server cannot make it: said in the status line, no box, switched off for good.
    microphones.SetStatus(
        {.state = VirtualMicrophoneState::Failed, .error = "声音服务器缺少 module-null-sink 模块"});
    std::thread([this] { microphones.FireChange(); }).join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(wishes().back().on);
    EXPECT_EQ(Window().StatusText(),
              QStringLiteral("虚拟麦克风无法开启：声音服务器缺少 module-null-sink 模块"));
    EXPECT_EQ(settings.Read(setting::kMicrophoneOn), "0");
    EXPECT_EQ(page->MicrophoneSwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_TRUE(prompts.shown.empty());

    // Kept as left, and restored so at the next start.
    Start();
    EXPECT_EQ(Window().Settings()->MicrophoneSwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_FALSE(Window().Settings()->MicrophoneDefault()->isChecked());
    EXPECT_EQ(Window().Settings()->Microphones()->currentText(), QStringLiteral("Desk Mic"));
}

TEST_F(PlayingTest, WhileTheVirtualMicrophoneIsOnItsSinkPlaysEverySoundAtTheMainLevel) {
    // The program's own sink comes before the headset: device 2 of 3.
    outputs.Plug(std::string(kVirtualMicrophoneSink), "Vorlune mix");
    outputs.Plug("b", "Headset");
    GivenSounds(
        "[音效音量]\r\n值=80\r\n[监听设备]\r\n通道名称=Headset\r\n[监听音量]\r\n值=50\r\n"
        "[虚拟麦克风]\r\n值=1\r\n",
        10.0);
    Start();
    // No device list shows the program's own sink; the others keep their numbers.
    SettingsPage* page = Window().Settings();
    for (QComboBox* list : {static_cast<QComboBox*>(Window().Bottom()->Devices()),
                            static_cast<QComboBox*>(page->MonitorDevices())}) {
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(1), QStringLiteral("Headset"));
        EXPECT_EQ(list->itemData(1).toInt(), 3);
    }
    emit page->MonitorDevices()->activated(1);
    EXPECT_EQ(settings.Read(setting::kMonitorDevice), "3");
    const auto sinkOpen = [this] { return (audio.GetDeviceInfo(2)->flags & kDeviceOpen) != 0; };

    Click(1);
    EXPECT_EQ(audio.created.size(), 1U) << "asked for, not offered yet: one stream";
    EXPECT_FALSE(sinkOpen());

    microphones.SetStatus({.state = VirtualMicrophoneState::On, .error = {}});
    std::thread([this] { microphones.FireChange(); }).join();
    QCoreApplication::processEvents();  // the report was queued before the thread ended
    ASSERT_TRUE(sinkOpen());
    audio.volumes.clear();
    Click(2);
    ASSERT_EQ(audio.created.size(), 3U) << "the sound and its twin on the sink";
    const StreamHandle main = audio.created[1].stream;
    const StreamHandle mix = audio.created[2].stream;
    EXPECT_EQ(StateOf(mix), ChannelState::Playing);
    EXPECT_EQ(audio.volumes, (std::vector<float>{1.0F, 0.8F, 0.8F}));

    // The pause's fade and the resume reach it at the main level.
    audio.volumes.clear();
    Strip().PauseButton()->click();
    EXPECT_EQ(StateOf(mix), ChannelState::Paused);
    ASSERT_EQ(audio.volumes.size(), 80U) << "40 steps, each on both";
    EXPECT_FLOAT_EQ(audio.volumes[1], audio.volumes[0]);
    EXPECT_FLOAT_EQ(audio.volumes[79], 0.0F);
    Strip().PauseButton()->click();
    EXPECT_EQ(StateOf(mix), ChannelState::Playing);
    Strip().StopButton()->click();
    EXPECT_EQ(StateOf(main), ChannelState::Stopped);
    EXPECT_EQ(StateOf(mix), ChannelState::Stopped);

    // With the monitor on too: three streams, the monitor's volume on its twin alone.
    page->MonitorSwitch()->click();
    audio.volumes.clear();
    Click(1);
    ASSERT_EQ(audio.created.size(), 6U);
    EXPECT_EQ(audio.volumes, (std::vector<float>{0.5F, 1.0F, 0.8F, 0.4F, 0.8F}));
    const StreamHandle playing = audio.created[5].stream;
    // The monitor switched off closes its device alone: the sound goes on on the sink.
    page->MonitorSwitch()->click();
    EXPECT_EQ(StateOf(audio.created[4].stream), ChannelState::Stopped);
    EXPECT_EQ(StateOf(playing), ChannelState::Playing);

    // Off: new sounds leave the sink out; it is closed once nothing plays there.
    microphones.SetStatus({});
    std::thread([this] { microphones.FireChange(); }).join();
    QCoreApplication::processEvents();  // the report was queued before the thread ended
    EXPECT_TRUE(sinkOpen()) << "a sound still plays there";
    EXPECT_EQ(StateOf(playing), ChannelState::Playing);
    Strip().StopButton()->click();
    Click(2);
    EXPECT_EQ(audio.created.size(), 7U) << "the sound alone";
    EXPECT_FALSE(sinkOpen());
}

TEST_F(PlayingTest, ThePhoneSwitchServesThePairedLinkOnlyWhileOnAndANewSecretReplacesIt) {
    GivenSounds("[手机遥控]\r\n端口=0\r\n监听地址=127.0.0.1\r\n");
    Start();
    SettingsPage* page = Window().Settings();
    // Off unless switched on: no link, no code, no secret made yet.
    EXPECT_EQ(page->PhoneSwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_EQ(page->PhoneLink()->text(), QStringLiteral("未开启"));
    EXPECT_TRUE(page->PhoneCode()->pixmap().isNull());
    EXPECT_EQ(settings.Read(setting::kPhoneSecret), "");

    page->PhoneSwitch()->click();
    EXPECT_EQ(settings.Read(setting::kPhoneOn), "1");
    EXPECT_EQ(page->PhoneSwitch()->Shown(), SwitchButton::Picture::On);
    const std::string secret = settings.Read(setting::kPhoneSecret);
    EXPECT_TRUE(IsPhoneSecretText(secret)) << secret;
    const QString link = page->PhoneLink()->text();
    EXPECT_TRUE(link.startsWith(QStringLiteral("http://127.0.0.1:"))) << link.toStdString();
    EXPECT_TRUE(link.endsWith(QStringLiteral("/?k=") + QString::fromStdString(secret)));
    EXPECT_FALSE(page->PhoneCode()->pixmap().isNull());
    const quint16 port = QUrl(link).port();
    const auto reachable = [port] {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        return socket.waitForConnected(2000);
    };
    EXPECT_TRUE(reachable());

    // A new pairing secret: kept, and the link and its code follow.
    page->PhoneNewSecretButton()->click();
    const std::string renewed = settings.Read(setting::kPhoneSecret);
    EXPECT_TRUE(IsPhoneSecretText(renewed));
    EXPECT_NE(renewed, secret);
    EXPECT_TRUE(page->PhoneLink()->text().endsWith(QString::fromStdString(renewed)));

    // Off closes the port at once, and is kept.
    page->PhoneSwitch()->click();
    EXPECT_EQ(settings.Read(setting::kPhoneOn), "0");
    EXPECT_EQ(page->PhoneLink()->text(), QStringLiteral("未开启"));
    EXPECT_FALSE(reachable());
}

}  // namespace
}  // namespace vorlune
