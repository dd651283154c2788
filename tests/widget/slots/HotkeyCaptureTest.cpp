#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include "EditingFixture.h"
#include "app/ControlStrip.h"
#include "app/MainWindow.h"
#include "app/SwitchButton.h"
#include "hotkeys/focus/FocusKeyWatcher.h"
#include "slots/editing/SlotContextMenu.h"
#include "slots/editing/SlotDialog.h"

namespace vorlune::test {
namespace {

using CaptureTest = EditingFixture;

constexpr std::int32_t kLeftShift = 160;
constexpr std::int32_t kLeftCtrl = 162;
constexpr std::int32_t kRightCtrl = 163;
constexpr std::int32_t kLeftWin = 91;
constexpr std::int32_t kRightWin = 92;
constexpr std::int32_t kTab = 9;
constexpr std::int32_t kPrintScreen = 44;
constexpr std::int32_t kMenu = 93;
constexpr std::int32_t kF1 = 112;
constexpr std::int32_t kF2 = 113;
constexpr std::int32_t kBreak = 3;

QString Hint(const SlotDialog& d) {
    return d.findChild<QPlainTextEdit*>(QStringLiteral("编辑框_提示框"))->toPlainText();
}
QString HotkeyStatus(const SlotDialog& d) {
    return d.findChild<QLabel*>(QStringLiteral("透明标签_快捷状态显示"))->text();
}
// Waits for the in-use check to have run on the latest capture.
bool WaitForHint(const SlotDialog& d, const QString& hint) {
    return QTest::qWaitFor([&] { return Hint(d) == hint; }, 2000);
}

class CaptureFixture : public EditingFixture {
  protected:
    // The hotkey page of slot n's dialog, opened from its menu.
    bool OpenHotkeyPage(int n, const std::function<void(SlotDialog&)>& inside) {
        return WithDialog(
            [&] {
                RightClickSlot(n);
                Choose(SlotMenu(), SlotMenu().HotkeyItem());
            },
            inside);
    }
    // A key pressed anywhere: the key watcher sees it, and a combination that one of the
    // program's hotkeys holds fires it, as the system does.
    void PressKey(std::int32_t key, std::uint32_t modifiers = 0) {
        keys.Press(key);
        hotkeys.Press({modifiers, key});
    }
};

TEST_F(CaptureFixture, KeyPressesBecomeHotkeyTexts) {
    List("[音效7]\n名称=七\ndz=音效7｜a.wav\n");
    Start();
    EXPECT_FALSE(keys.Watching());
    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        EXPECT_TRUE(keys.Watching());
        EXPECT_EQ(d.Pages()->currentIndex(), 1);
        QLineEdit* box = Box(d, "编辑框_热键");
        keys.Press(kLeftCtrl);
        EXPECT_EQ(box->text(), QStringLiteral("Ctrl+"));
        keys.Press(65);
        EXPECT_EQ(box->text(), QStringLiteral("Ctrl+A键"));
        keys.Release(65);
        keys.Release(kLeftCtrl);
        keys.Tap(66);
        EXPECT_EQ(box->text(), QStringLiteral("B键"));

        // Only the modifier pressed last counts, and releasing either ends it.
        keys.Press(kLeftCtrl);
        keys.Press(kLeftShift);
        keys.Press(65);
        EXPECT_EQ(box->text(), QStringLiteral("Shift+A键"));
        keys.Release(kLeftShift);
        keys.Press(67);
        EXPECT_EQ(box->text(), QStringLiteral("C键"));
        keys.Release(kLeftCtrl);

        keys.Press(kLeftWin);
        EXPECT_EQ(box->text(), QStringLiteral("Win键"));
        keys.Press(65);
        EXPECT_EQ(box->text(), QStringLiteral("A键"));
        keys.Release(65);
        keys.Release(kLeftWin);
        keys.Press(kRightWin);
        EXPECT_EQ(box->text(), QString());
        keys.Release(kRightWin);
        keys.Tap(66);
        keys.Tap(kTab);
        EXPECT_EQ(box->text(), QString());

        // Keys typed into the name box on the sound page are captured too.
        d.Pages()->setCurrentIndex(0);
        keys.Tap(kF2);
        EXPECT_EQ(box->text(), QStringLiteral("F2键"));

        // A modifier still held when the dialog closes is remembered for the next one.
        keys.Press(kRightCtrl);
    }));
    EXPECT_FALSE(keys.Watching());
    keys.Release(kRightCtrl);  // unseen: nothing watches
    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        keys.Press(65);
        EXPECT_EQ(Text(d, "编辑框_热键"), QStringLiteral("Ctrl+A键"));
    }));
}

// A key as the window system hands it to a window: Qt's key, the keysym, no auto-repeat.
void Typed(QWindow* window, QEvent::Type type, int qtKey, std::uint32_t keysym,
           bool autoRepeat = false) {
    QKeyEvent event(type, qtKey, Qt::NoModifier, 0, keysym, 0, QString(), autoRepeat);
    QCoreApplication::sendEvent(window, &event);
}

// Where the desktop shows the program no keys of other programs (Wayland), the dialog captures
// the keys typed into it.
class TypedCaptureFixture : public CaptureFixture {
  protected:
    TypedCaptureFixture() { keyWatcher = &typed; }
    ~TypedCaptureFixture() override { app.reset(); }
    FocusKeyWatcher typed;
};

TEST_F(TypedCaptureFixture, WithoutADesktopWideWatcherTheKeysTypedIntoTheDialogAreCaptured) {
    List("[音效7]\n名称=七\ndz=音效7｜a.wav\n");
    Start();
    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        QWindow* window = d.windowHandle();
        ASSERT_NE(window, nullptr);
        QLineEdit* box = Box(d, "编辑框_热键");
        Typed(window, QEvent::KeyPress, Qt::Key_Control, 0xffe3);  // Control_L
        EXPECT_EQ(box->text(), QStringLiteral("Ctrl+"));
        Typed(window, QEvent::KeyPress, Qt::Key_A, 0x61);
        EXPECT_EQ(box->text(), QStringLiteral("Ctrl+A键"));
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("当前热键[Ctrl+A键]未被使用，可注册为热键。")));
        EXPECT_TRUE(ButtonOf(d, "按钮_热键设置")->isEnabled());
        // Auto-repeat is not a key press.
        Typed(window, QEvent::KeyRelease, Qt::Key_Control, 0xffe3, true);
        Typed(window, QEvent::KeyPress, Qt::Key_Control, 0xffe3, true);
        Typed(window, QEvent::KeyPress, Qt::Key_B, 0x62, true);
        EXPECT_EQ(box->text(), QStringLiteral("Ctrl+A键"));
        Typed(window, QEvent::KeyRelease, Qt::Key_A, 0x61);
        Typed(window, QEvent::KeyRelease, Qt::Key_Control, 0xffe3);

        // The keysym carries the shift level: Shift+1 types "exclam", yet it is the 1 key, and
        // keypad keys are digits whatever NumLock says.
        Typed(window, QEvent::KeyPress, Qt::Key_Shift, 0xffe1);  // Shift_L
        Typed(window, QEvent::KeyPress, Qt::Key_Exclam, 0x21);
        EXPECT_EQ(box->text(), QStringLiteral("Shift+1键"));
        Typed(window, QEvent::KeyPress, Qt::Key_End, 0xff9c);  // KP_End
        EXPECT_EQ(box->text(), QStringLiteral("Shift+Number1"));
        Typed(window, QEvent::KeyRelease, Qt::Key_Shift, 0xffe1);
        // Right and left keys are told apart: the right Windows key has no name.
        Typed(window, QEvent::KeyPress, Qt::Key_Meta, 0xffec);  // Super_R
        EXPECT_EQ(box->text(), QString());
        Typed(window, QEvent::KeyRelease, Qt::Key_Meta, 0xffec);

        // Without a keysym (Qt's off-screen platform) Qt's key code tells the key; every key
        // counts once although Qt hands it on from the window to the widget with the focus.
        std::vector<KeyEvent> seen;
        FocusKeyWatcher counter;
        ASSERT_TRUE(counter.Start([&](const KeyEvent& e) { seen.push_back(e); }));
        QTest::keyClick(window, Qt::Key_F1);
        EXPECT_EQ(box->text(), QStringLiteral("F1键"));
        counter.Stop();
        QTest::keyClick(window, Qt::Key_F2);
        EXPECT_EQ(seen, (std::vector<KeyEvent>{{112, true}, {112, false}}));
        EXPECT_EQ(box->text(), QStringLiteral("F2键"));
    }));
    // The dialog gone, nothing more is watched.
    QWidget other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QTest::keyClick(other.windowHandle(), Qt::Key_F3);
    EXPECT_TRUE(
        OpenHotkeyPage(7, [&](SlotDialog& d) { EXPECT_EQ(Text(d, "编辑框_热键"), QString()); }));
}

TEST_F(CaptureFixture, TheCheckReportsTheSlotThatTheKeyFired) {
    Config("[是否设置快捷按钮]\n值=1\n[音效音量]\n值=50\n");
    WriteTone("Sounds/five.wav");
    WriteTone("Sounds/seven.wav");
    List(
        "[音效5]\n名称=五号\ndz=音效5｜[取运行目录]\\Sounds\\five.wav\nkjj=F1键\n"
        "[音效6]\n名称=六号\ndz=音效6｜[取运行目录]\\Sounds\\five.wav\nkjj=Ctrl｜F1键\n"
        "[音效7]\n名称=七号\ndz=音效7｜[取运行目录]\\Sounds\\seven.wav\n");
    Start();
    const std::string fivePath = dir.File("Sounds/five.wav");

    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        PressKey(kF1);
        EXPECT_EQ(audio.LastStreamPath(), fivePath);
        EXPECT_NE(audio.LiveStream(), 0U);
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("[F1键]被【五号】音效已经占用，请选择其他键。")));
        EXPECT_FALSE(ButtonOf(d, "按钮_热键设置")->isEnabled());

        // With a modifier, the same.
        keys.Press(kLeftCtrl);
        PressKey(kF1, kModControl);
        keys.Release(kLeftCtrl);
        EXPECT_TRUE(
            WaitForHint(d, QStringLiteral("[Ctrl+F1键]被【六号】音效已经占用，请选择其他键。")));

        // A free key.
        PressKey(kF2);
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("当前热键[F2键]未被使用，可注册为热键。")));
        EXPECT_TRUE(ButtonOf(d, "按钮_热键设置")->isEnabled());

        // Clicking into the box empties it and the status, and the check goes on with F2.
        QLineEdit* box = Box(d, "编辑框_热键");
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(box->text(), QString());
        QTest::qWait(450);
        EXPECT_EQ(Hint(d), QStringLiteral("当前热键[F2键]未被使用，可注册为热键。"));
    }));
    EXPECT_EQ(state.lastTriggered.hotkey, "");
    EXPECT_EQ(state.lastTriggered.name, "六号");

    EXPECT_TRUE(OpenHotkeyPage(5, [&](SlotDialog& d) {
        PressKey(kF1);
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("[F1键]已被该音效使用，无需设置。")));
        EXPECT_FALSE(ButtonOf(d, "按钮_热键设置")->isEnabled());
    }));

    // The master switch dialog names the slot.
    RightClickSlot(5);
    SlotMenu().hide();
    QTest::mouseClick(Window().Controls()->HotkeySwitch(), Qt::RightButton);
    EXPECT_TRUE(WithDialog([&] { Choose(SpecialMenu(), SpecialMenu().SetHotkeyItem()); },
                           [&](SlotDialog& d) {
                               PressKey(kF1);
                               EXPECT_TRUE(WaitForHint(
                                   d, QStringLiteral("[F1键]已被【五号】使用，不能注册热键。")));
                           }));

    // A key without a name captures the empty text, which equals the empty hotkey of a slot
    // clicked last: nothing to apply, so one click cannot clear the slot's hotkey by mistake.
    Button(7)->click();
    EXPECT_TRUE(OpenHotkeyPage(5, [&](SlotDialog& d) {
        keys.Tap(kTab);
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("[]被【七号】音效已经占用，请选择其他键。")));
        EXPECT_FALSE(ButtonOf(d, "按钮_热键设置")->isEnabled());
    }));
    // Nothing triggered since the last dialog closed: the empty capture is the slot's own.
    for (const std::int32_t key : {kTab, kPrintScreen, kMenu, kRightWin}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
            keys.Tap(key);
            EXPECT_TRUE(WaitForHint(d, QStringLiteral("[]已被该音效使用，无需设置。")));
            EXPECT_FALSE(ButtonOf(d, "按钮_热键设置")->isEnabled());
        }));
    }
}

TEST_F(CaptureFixture, WithHotkeysOffOnlyAClickTellsTheCheck) {
    Config("[是否设置快捷按钮]\n值=0\n");
    WriteTone("Sounds/five.wav");
    List(
        "[音效5]\n名称=五号\ndz=音效5｜[取运行目录]\\Sounds\\five.wav\nkjj=F1键\n"
        "[音效7]\n名称=七号\ndz=音效7｜b.wav\n");
    Start();
    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        PressKey(kF1);
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("当前热键[F1键]未被使用，可注册为热键。")));
        EXPECT_TRUE(ButtonOf(d, "按钮_热键设置")->isEnabled());
    }));
    Button(5)->click();
    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        PressKey(kF1);
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("[F1键]被【五号】音效已经占用，请选择其他键。")));
    }));
}

// A desktop portal answers a bind later, maybe after asking the user: the report of "应用"
// waits for it, and the status bar names a hotkey the desktop gave another trigger.
TEST_F(CaptureFixture, WithADesktopPortalApplyReportsWhenTheDesktopAnswers) {
    hotkeys.SetBindsSets(true);
    Config("[是否设置快捷按钮]\n值=1\n");
    List("[音效7]\n名称=七号\ndz=音效7｜b.wav\nkjj=F7键\n");
    Start();
    ASSERT_EQ(hotkeys.Sets().size(), 1U);
    hotkeys.Answer();
    EXPECT_EQ(Window().StatusText(), QStringLiteral("准备就绪"));

    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        QPushButton* apply = ButtonOf(d, "按钮_热键设置");
        keys.Press(kLeftCtrl);
        keys.Press(66);
        keys.Release(kLeftCtrl);
        QTest::mouseClick(apply, Qt::LeftButton);
        ASSERT_EQ(hotkeys.Sets().size(), 2U);
        EXPECT_EQ(HotkeyStatus(d),
                  QStringLiteral("【七号】—【Ctrl+B键】热键已保存，等待桌面确认…"));
        hotkeys.Answer();
        EXPECT_EQ(HotkeyStatus(d), QStringLiteral("【七号】—【Ctrl+B键】热键注册成功!"));

        // The desktop gives it another key: saved but not registered, and the status bar says
        // which key the desktop gave.
        ASSERT_TRUE(QTest::qWaitFor([&] { return apply->isEnabled(); }, 2000));
        keys.Press(kLeftCtrl);
        keys.Press(67);
        keys.Release(kLeftCtrl);
        QTest::mouseClick(apply, Qt::LeftButton);
        hotkeys.Answer({{7, "Alt+F9"}});
        EXPECT_EQ(
            HotkeyStatus(d),
            QStringLiteral("【七号】—【Ctrl+C键】热键已保存，但无法注册（已被占用或不支持）!"));
        EXPECT_EQ(Window().StatusText(),
                  QStringLiteral("桌面把【七号】的热键定为 Alt+F9，而不是 Ctrl+C键"));
    }));
    EXPECT_EQ(hotkeys.Sets().size(), 3U);
    // The master switch off gives the desktop a set without the slot's hotkey.
    QTest::mouseClick(Window().Controls()->HotkeySwitch(), Qt::LeftButton);
    EXPECT_NE(ConfigText().find("值=0"), std::string::npos);
    ASSERT_EQ(hotkeys.Sets().size(), 4U);
    EXPECT_TRUE(hotkeys.Sets()[3].empty());
}

// A name is text, never markup: the title strip, the hotkey status and the status bar show it as
// typed, and an <img> in it loads nothing.
TEST_F(CaptureFixture, ANameWithMarkupShowsAsTyped) {
    hotkeys.SetBindsSets(true);
    Config("[是否设置快捷按钮]\n值=1\n");
    List("[音效7]\n名称=<b>鼓</b><img src=\"/etc/x.png\">\ndz=音效7｜b.wav\nkjj=F7键\n");
    Start();
    hotkeys.Answer();
    const QString name = QStringLiteral("<b>鼓</b><img src=\"/etc/x.png\">");
    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("标签_标题"))->text(),
                  "关于【" + name + "】的设置");
        keys.Press(kLeftCtrl);
        keys.Press(66);
        keys.Release(kLeftCtrl);
        QTest::mouseClick(ButtonOf(d, "按钮_热键设置"), Qt::LeftButton);
        hotkeys.Answer({{7, "Alt+F9"}});
        EXPECT_TRUE(HotkeyStatus(d).startsWith("【" + name + "】—【Ctrl+B键】"));
        EXPECT_EQ(Window().StatusText(),
                  "桌面把【" + name + "】的热键定为 Alt+F9，而不是 Ctrl+B键");
        EXPECT_EQ(LabelsReadAsMarkup(d, name), std::vector<std::string>{});
        EXPECT_EQ(LabelsReadAsMarkup(Window(), name), std::vector<std::string>{});
    }));
}

// On a Wayland desktop with a global-shortcuts portal, the whole path of the slot dialog: the
// keys typed into it are captured and checked, "应用" waits for the desktop, an answer that comes
// late finds the report dropped or the dialog gone, and the desktop's later changes (the user's
// own triggers, a refused set) reach the status bar.
TEST_F(TypedCaptureFixture, OnAPortalDesktopTheDialogWaitsForTheDesktopAndLateAnswersStillCount) {
    hotkeys.SetBindsSets(true);
    Config("[是否设置快捷按钮]\n值=1\n[音效音量]\n值=50\n");
    WriteTone("Sounds/five.wav");
    WriteTone("Sounds/seven.wav");
    List(
        "[音效5]\n名称=五号\ndz=音效5｜[取运行目录]\\Sounds\\five.wav\nkjj=F1键\n"
        "[音效7]\n名称=七号\ndz=音效7｜[取运行目录]\\Sounds\\seven.wav\n");
    Start();
    ASSERT_EQ(hotkeys.Sets().size(), 1U);
    hotkeys.Answer();
    constexpr std::uint32_t kControlL = 0xffe3;
    const auto typeCtrl = [](QWindow* window, int qtKey, std::uint32_t keysym) {
        Typed(window, QEvent::KeyPress, Qt::Key_Control, kControlL);
        Typed(window, QEvent::KeyPress, qtKey, keysym);
        Typed(window, QEvent::KeyRelease, qtKey, keysym);
        Typed(window, QEvent::KeyRelease, Qt::Key_Control, kControlL);
    };

    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        QWindow* window = d.windowHandle();
        ASSERT_NE(window, nullptr);
        QPushButton* apply = ButtonOf(d, "按钮_热键设置");
        // A desktop that hands a key it holds to the window too: slot 5 plays, the check names it.
        Typed(window, QEvent::KeyPress, Qt::Key_F1, 0xffbe);
        ASSERT_TRUE(hotkeys.Fire(5));
        Typed(window, QEvent::KeyRelease, Qt::Key_F1, 0xffbe);
        EXPECT_EQ(audio.LastStreamPath(), dir.File("Sounds/five.wav"));
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("[F1键]被【五号】音效已经占用，请选择其他键。")));
        EXPECT_FALSE(apply->isEnabled());

        // A free combination: one new set with slot 7 under its name, and "应用" waits.
        typeCtrl(window, Qt::Key_B, 0x62);
        EXPECT_TRUE(WaitForHint(d, QStringLiteral("当前热键[Ctrl+B键]未被使用，可注册为热键。")));
        QTest::mouseClick(apply, Qt::LeftButton);
        ASSERT_EQ(hotkeys.Sets().size(), 2U);
        ASSERT_EQ(hotkeys.Sets()[1].size(), 2U);
        EXPECT_EQ(hotkeys.Sets()[1][1], (HotkeyBinding{7, {kModControl, 66}, "七号"}));
        EXPECT_EQ(HotkeyStatus(d),
                  QStringLiteral("【七号】—【Ctrl+B键】热键已保存，等待桌面确认…"));
        // The user clicks into the box before the desktop answers: the report is dropped and the
        // late answer writes nothing back.
        QTest::mouseClick(Box(d, "编辑框_热键"), Qt::LeftButton);
        hotkeys.Answer();
        EXPECT_EQ(HotkeyStatus(d), QString());

        // Another combination; the dialog closes before the desktop answers.
        typeCtrl(window, Qt::Key_C, 0x63);
        ASSERT_TRUE(QTest::qWaitFor([&] { return apply->isEnabled(); }, 2000));
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(hotkeys.Sets().size(), 3U);
    }));
    // It answers after the dialog has gone, giving slot 7 no trigger: the status bar says so.
    hotkeys.Answer({{7, "-"}});
    EXPECT_EQ(Window().StatusText(), QStringLiteral("桌面没有接受【七号】的热键 Ctrl+C键"));
    // The user gives it the combination in the desktop's settings: the status bar clears, and the
    // desktop's press plays slot 7.
    hotkeys.Answer();
    EXPECT_EQ(Window().StatusText(), QStringLiteral("准备就绪"));
    ASSERT_TRUE(hotkeys.Fire(7));
    EXPECT_EQ(audio.LastStreamPath(), dir.File("Sounds/seven.wav"));
    // The whole set refused (the user cancelled the desktop's dialog, or the session ended): the
    // status bar says so, and its action asks the desktop again for the same set.
    hotkeys.AnswerNothing();
    EXPECT_EQ(Window().StatusText(),
              QStringLiteral("桌面没有接受热键（对话框被取消或会话已结束）"));
    auto* again = Window().findChild<QPushButton*>(QStringLiteral("按钮_重新申请快捷键"));
    ASSERT_NE(again, nullptr);
    ASSERT_FALSE(again->isHidden());
    EXPECT_EQ(hotkeys.Sets().size(), 3U);
    QTest::mouseClick(again, Qt::LeftButton);
    ASSERT_EQ(hotkeys.Sets().size(), 4U);
    EXPECT_EQ(hotkeys.Sets()[3], hotkeys.Sets()[2]);
    EXPECT_TRUE(again->isHidden());
    hotkeys.Answer();
    EXPECT_EQ(Window().StatusText(), QStringLiteral("准备就绪"));
}

// Key grabs through XWayland fire only while an X11 window has the focus: the status bar and the
// dialog's result say so.
TEST_F(CaptureFixture, GrabsThroughXWaylandSayTheyWorkOnlyWithAnX11WindowFocused) {
    hotkeys.SetOnlyWithX11Focus(true);
    Config("[是否设置快捷按钮]\n值=1\n");
    List("[音效7]\n名称=七号\ndz=音效7｜b.wav\n");
    Start();
    EXPECT_EQ(Window().StatusText(),
              QStringLiteral("桌面没有提供全局快捷键：热键只在 X11 窗口获得焦点时有效"));
    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        keys.Press(kLeftCtrl);
        keys.Press(66);
        keys.Release(kLeftCtrl);
        QTest::mouseClick(ButtonOf(d, "按钮_热键设置"), Qt::LeftButton);
        EXPECT_EQ(
            HotkeyStatus(d),
            QStringLiteral("【七号】—【Ctrl+B键】热键注册成功，但只在 X11 窗口获得焦点时有效!"));
    }));
}

TEST_F(CaptureFixture, ApplyStoresRegistersAndSaysWhetherItWorked) {
    Config("[是否设置快捷按钮]\n值=1\n");
    List(
        "[音效2]\n名称=二号\ndz=音效2｜a.wav\nkjj=F2键\n"
        "[音效7]\n名称=七号\ndz=音效7｜b.wav\nkjj=F7键\n");
    Start();
    ASSERT_EQ(hotkeys.Held(7), (HotkeyCombination{0, 118}));
    hotkeys.HoldElsewhere({kModControl, 65});

    EXPECT_TRUE(OpenHotkeyPage(7, [&](SlotDialog& d) {
        QPushButton* apply = ButtonOf(d, "按钮_热键设置");
        // After an apply the button waits for the check's next tick.
        const auto waitForApply = [&] {
            return QTest::qWaitFor([&] { return apply->isEnabled(); }, 2000);
        };
        EXPECT_TRUE(apply->isEnabled());
        keys.Press(kLeftCtrl);
        keys.Press(66);
        keys.Release(kLeftCtrl);
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(HotkeyStatus(d), QStringLiteral("【七号】—【Ctrl+B键】热键注册成功!"));
        EXPECT_FALSE(apply->isEnabled());
        EXPECT_EQ(hotkeys.Held(7), (HotkeyCombination{kModControl, 66}));
        EXPECT_EQ(Label(7)->text(), QStringLiteral("Ctrl+B键"));
        EXPECT_NE(ListText().find("kjj=Ctrl｜B键"), std::string::npos);

        // Held by another program: saved, and said to be not registered.
        ASSERT_TRUE(waitForApply());
        keys.Press(kLeftCtrl);
        keys.Press(65);
        keys.Release(kLeftCtrl);
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(
            HotkeyStatus(d),
            QStringLiteral("【七号】—【Ctrl+A键】热键已保存，但无法注册（已被占用或不支持）!"));
        EXPECT_NE(ListText().find("kjj=Ctrl｜A键"), std::string::npos);
        EXPECT_FALSE(hotkeys.Held(7).has_value());

        // Held by an earlier slot, applied before the check has looked at it.
        ASSERT_TRUE(waitForApply());
        keys.Tap(kF2);
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(HotkeyStatus(d),
                  QStringLiteral("【七号】—【F2键】热键已保存，但无法注册（已被占用或不支持）!"));
        EXPECT_EQ(hotkeys.Held(2), (HotkeyCombination{0, 113}));

        // "Break" names no key that can be registered.
        ASSERT_TRUE(waitForApply());
        keys.Tap(kBreak);
        EXPECT_EQ(Text(d, "编辑框_热键"), QStringLiteral("Break"));
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(HotkeyStatus(d),
                  QStringLiteral("【七号】—【Break】热键已保存，但无法注册（已被占用或不支持）!"));
        EXPECT_NE(ListText().find("kjj=Break"), std::string::npos);
        EXPECT_EQ(Label(7)->text(), QStringLiteral("Break"));

        // An empty box clears the hotkey but keeps the key.
        ASSERT_TRUE(waitForApply());
        keys.Tap(118);
        QTest::mouseClick(ButtonOf(d, "按钮1"), Qt::LeftButton);
        EXPECT_EQ(Text(d, "编辑框_热键"), QString());
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(HotkeyStatus(d), QStringLiteral("【七号】热键已清除!"));
        EXPECT_NE(ListText().find("kjj=\n"), std::string::npos);
        EXPECT_FALSE(hotkeys.Held(7).has_value());
        EXPECT_EQ(Label(7)->text(), QString());
    }));
}

TEST_F(CaptureFixture, ApplyOfTheSpecialHotkeys) {
    Config("[是否设置快捷按钮]\n值=0\n");
    List("[音效1]\n名称=一号\ndz=音效1｜a.wav\n");
    Start();
    ControlStrip* strip = Window().Controls();
    const std::string listBefore = ListText();
    const auto applyIn = [&](QWidget* button, std::int32_t key, const QString& expected) {
        QTest::mouseClick(button, Qt::RightButton);
        EXPECT_TRUE(WithDialog([&] { Choose(SpecialMenu(), SpecialMenu().SetHotkeyItem()); },
                               [&](SlotDialog& d) {
                                   if (key != 0) {
                                       keys.Tap(key);
                                   } else {
                                       QTest::mouseClick(ButtonOf(d, "按钮1"), Qt::LeftButton);
                                   }
                                   QTest::mouseClick(ButtonOf(d, "按钮_热键设置"), Qt::LeftButton);
                                   EXPECT_EQ(HotkeyStatus(d), expected);
                               }));
    };
    // The master switch hotkey is held even while the switch is off.
    applyIn(strip->HotkeySwitch(), 123, QStringLiteral("【*音效快捷开关】—【F12键】热键注册成功!"));
    EXPECT_NE(ConfigText().find("[音效快键控制]\n值=F12键"), std::string::npos);
    EXPECT_EQ(hotkeys.Held(886), (HotkeyCombination{0, 123}));
    EXPECT_EQ(strip->HotkeyLabel(SpecialHotkey::MasterSwitch)->text(), QStringLiteral("F12键"));
    // The pause hotkey waits for the switch: saved, nothing to register yet.
    applyIn(strip->PauseButton(), 80, QStringLiteral("【*音效声场控制】—【P键】热键注册成功!"));
    EXPECT_NE(ConfigText().find("[音效声场控制]\n值=P键"), std::string::npos);
    EXPECT_FALSE(hotkeys.Held(844).has_value());
    // Cleared: id 886 lets go, the label empties.
    applyIn(strip->HotkeySwitch(), 0, QStringLiteral("【*音效快捷开关】热键已清除!"));
    EXPECT_FALSE(hotkeys.Held(886).has_value());
    EXPECT_EQ(strip->HotkeyLabel(SpecialHotkey::MasterSwitch)->text(), QString());
    EXPECT_EQ(ListText(), listBefore);
}

}  // namespace
}  // namespace vorlune::test
