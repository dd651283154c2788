#include <gtest/gtest.h>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "TempDir.h"
#include "XClient.h"
#include "XvfbDisplay.h"
#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/SettingsStore.h"
#include "hotkeys/HotkeyDispatch.h"
#include "hotkeys/HotkeyPlatform.h"
#include "hotkeys/HotkeyRegistry.h"

namespace vorlune {

void PrintTo(const KeyEvent& e, std::ostream* os) {
    *os << e.virtualKey << (e.pressed ? " down" : " up");
}

namespace {

constexpr HotkeyCombination kF1{0, 112};
constexpr HotkeyCombination kCtrlF1{kModControl, 112};
constexpr std::int32_t kPause = SpecialHotkeyOf(SpecialHotkey::Pause).id;
constexpr std::int32_t kStop = SpecialHotkeyOf(SpecialHotkey::Stop).id;
constexpr std::int32_t kMasterSwitch = SpecialHotkeyOf(SpecialHotkey::MasterSwitch).id;

// Runs the event loop until `done` holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

class X11Hotkeys : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        display_ = new test::XvfbDisplay;
        ASSERT_TRUE(display_->Start());
        static int argc = 1;
        static char name[] = "x11_hotkeys_test";
        static char* argv[] = {name, nullptr};
        app_ = new QCoreApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        delete display_;
    }

    void SetUp() override {
        platform_ = CreateHotkeyPlatform("xcb");
        ASSERT_TRUE(platform_.HotkeysAvailable());
        platform_.backend->SetFiredHandler([this](std::int32_t id) { fired_.push_back(id); });
        ASSERT_TRUE(other_.Connected());
    }

    HotkeyBackend& Backend() { return *platform_.backend; }

    // Presses keys with xdotool and runs the event loop until `count` hotkeys have fired in all.
    bool KeysFire(const std::string& keys, std::size_t count) {
        EXPECT_TRUE(test::Run("xdotool key " + keys));
        return WaitFor([&] { return fired_.size() >= count; });
    }

    static test::XvfbDisplay* display_;
    static QCoreApplication* app_;
    HotkeyPlatform platform_;
    test::XClient other_;
    std::vector<std::int32_t> fired_;
};

test::XvfbDisplay* X11Hotkeys::display_ = nullptr;
QCoreApplication* X11Hotkeys::app_ = nullptr;

TEST_F(X11Hotkeys, FiresWithExactlyItsModifiersWhileAnotherWindowHasTheFocus) {
    other_.FocusOwnWindow();
    ASSERT_TRUE(Backend().Grab(5, kCtrlF1));
    ASSERT_TRUE(Backend().Grab(6, kF1));

    ASSERT_TRUE(KeysFire("ctrl+F1", 1));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5}));
    ASSERT_TRUE(KeysFire("F1", 2));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5, 6}));
    EXPECT_EQ(other_.PressesOf(XK_F1), 0u);

    // Other modifiers fire nothing and the key goes to the focused window; the F1 that follows
    // shows that nothing fired in between.
    ASSERT_TRUE(KeysFire("shift+F1 ctrl+shift+F1 alt+F1 F1", 3));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5, 6, 6}));
    EXPECT_TRUE(WaitFor([&] { return other_.PressesOf(XK_F1) == 3; }));

    // Released: the combination reaches the window again.
    Backend().Release(5);
    Backend().Release(5);
    ASSERT_TRUE(KeysFire("ctrl+F1 F1", 4));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5, 6, 6, 6}));
    EXPECT_TRUE(WaitFor([&] { return other_.PressesOf(XK_F1) == 4; }));
}

TEST_F(X11Hotkeys, StillFiresWithTheLocksOfTheKeymapOn) {
    other_.FocusOwnWindow();
    ASSERT_TRUE(Backend().Grab(5, kCtrlF1));
    ASSERT_TRUE(Backend().Grab(7, {0, 97}));  // keypad 1
    // The lock state as the focused window sees it on its next key press.
    const auto locks = [&] {
        const std::size_t before = other_.PressesReceived().size();
        EXPECT_TRUE(test::Run("xdotool key F5"));
        EXPECT_TRUE(WaitFor([&] { return other_.PressesReceived().size() > before; }));
        return other_.PressesReceived().back().state &
               (XCB_MOD_MASK_2 | XCB_MOD_MASK_3 | XCB_MOD_MASK_LOCK);
    };
    ASSERT_EQ(locks(), 0);
    ASSERT_TRUE(test::Run("xdotool key Num_Lock"));
    ASSERT_EQ(locks(), XCB_MOD_MASK_2);
    ASSERT_TRUE(KeysFire("ctrl+F1", 1));
    ASSERT_TRUE(KeysFire("KP_End", 2));  // the keypad 1 key, typed as it is
    ASSERT_TRUE(test::Run("xdotool key Caps_Lock"));
    ASSERT_EQ(locks(), XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK);
    ASSERT_TRUE(KeysFire("ctrl+F1", 3));
    ASSERT_TRUE(test::Run("xdotool key Num_Lock"));
    ASSERT_EQ(locks(), XCB_MOD_MASK_LOCK);
    ASSERT_TRUE(KeysFire("ctrl+F1", 4));
    ASSERT_TRUE(test::Run("xdotool key Caps_Lock"));
    ASSERT_EQ(locks(), 0);
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5, 7, 5, 5}));

    // ScrollLock put on Mod3, as an xmodmap does: the grabs follow the new modifier mapping and
    // still fire with it locked, alone or with the others.
    ASSERT_TRUE(other_.AddToModifier(5, XK_Scroll_Lock));
    WaitFor([] { return false; }, 300);  // the mapping change reaches the program
    // Checked without stopping: the locks are let go again whatever happens, for the tests after.
    ASSERT_TRUE(test::Run("xdotool key Scroll_Lock"));
    EXPECT_EQ(locks(), XCB_MOD_MASK_3);
    EXPECT_TRUE(KeysFire("ctrl+F1", 5));
    EXPECT_TRUE(test::Run("xdotool key Num_Lock"));
    EXPECT_EQ(locks(), XCB_MOD_MASK_2 | XCB_MOD_MASK_3);
    EXPECT_TRUE(KeysFire("ctrl+F1", 6));
    ASSERT_TRUE(test::Run("xdotool key Num_Lock Scroll_Lock"));
    ASSERT_EQ(locks(), 0);
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5, 7, 5, 5, 5, 5}));
}

TEST_F(X11Hotkeys, ACombinationAnotherClientHoldsIsRefusedWithNothingLeftHeld) {
    // The other client holds only the CapsLock variant of F3.
    ASSERT_TRUE(other_.GrabKey(XK_F3, XCB_MOD_MASK_LOCK));
    EXPECT_FALSE(Backend().Grab(8, {0, 114}));
    // The variants we did get were let go: a third client can take plain F3.
    test::XClient third;
    EXPECT_TRUE(third.GrabKey(XK_F3, 0));
    EXPECT_TRUE(third.GrabKey(XK_F3, XCB_MOD_MASK_2));
    // Other modifiers on the same key are free.
    EXPECT_TRUE(Backend().Grab(8, {kModShift, 114}));
    // And one we hold is refused to the others.
    EXPECT_FALSE(third.GrabKey(XK_F3, XCB_MOD_MASK_SHIFT));
}

TEST_F(X11Hotkeys, HoldingAHotkeyFiresAgainOnEveryRepeat) {
    ASSERT_TRUE(Backend().Grab(5, kCtrlF1));
    ASSERT_TRUE(test::Run("xdotool keydown ctrl+F1 sleep 1.2 keyup ctrl+F1"));
    WaitFor([&] { return false; }, 200);
    EXPECT_GE(fired_.size(), 3u);
    for (std::int32_t id : fired_) {
        EXPECT_EQ(id, 5);
    }
}

TEST_F(X11Hotkeys, WatcherSeesEveryKeyAndTakesNone) {
    other_.FocusOwnWindow();
    std::vector<KeyEvent> seen;
    ASSERT_TRUE(platform_.watcher->Start([&](const KeyEvent& e) { seen.push_back(e); }));
    ASSERT_TRUE(Backend().Grab(6, kF1));

    // Key by key, so that xdotool adds no modifier presses of its own; the right Ctrl by its
    // keycode, or xdotool presses the left one with it. KP_End is the keypad 1 with NumLock off.
    const std::string rightCtrl = std::to_string(other_.Keycode(XK_Control_R));
    ASSERT_TRUE(
        test::Run("xdotool keydown a keyup a keydown Shift_L keydown b keyup b keyup "
                  "Shift_L keydown " +
                  rightCtrl + " keyup " + rightCtrl +
                  " keydown Super_L keyup Super_L keydown KP_End keyup KP_End keydown "
                  "Tab keyup Tab keydown F1 keyup F1"));
    const std::vector<KeyEvent> expected = {{65, true},  {65, false},  {160, true}, {66, true},
                                            {66, false}, {160, false}, {163, true}, {163, false},
                                            {91, true},  {91, false},  {97, true},  {97, false},
                                            {9, true},   {9, false},   {112, true}, {112, false}};
    EXPECT_TRUE(WaitFor([&] { return seen.size() >= expected.size(); }));
    EXPECT_EQ(seen, expected);
    // The grabbed F1 fired as well, and every other key reached the focused window.
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{6}));
    EXPECT_TRUE(WaitFor([&] { return other_.PressesReceived().size() == 7; }));
    EXPECT_EQ(other_.PressesOf(XK_F1), 0u);

    // Stopped from inside its own handler, the watcher reports nothing more.
    platform_.watcher->Stop();
    seen.clear();
    ASSERT_TRUE(platform_.watcher->Start([&](const KeyEvent& e) {
        seen.push_back(e);
        platform_.watcher->Stop();
    }));
    ASSERT_TRUE(test::Run("xdotool key a b"));
    WaitFor([&] { return false; }, 300);
    EXPECT_EQ(seen, (std::vector<KeyEvent>{{65, true}}));
}

TEST_F(X11Hotkeys, F13ToF24AreTheKeysAtTheirKeycodesBothWays) {
    other_.FocusOwnWindow();
    // Xvfb's keymap has no F13..F24 keysyms: keycodes 191-202 carry XF86 keys, or none at all.
    ASSERT_EQ(other_.Keycode(XK_F13), 0);
    std::vector<KeyEvent> seen;
    ASSERT_TRUE(platform_.watcher->Start([&](const KeyEvent& e) { seen.push_back(e); }));
    ASSERT_TRUE(Backend().Grab(9, {0, 124}));           // F13: keycode 191, XF86Tools
    ASSERT_TRUE(Backend().Grab(10, {0, 130}));          // F19: keycode 197, no keysym
    ASSERT_TRUE(Backend().Grab(11, {kModShift, 135}));  // Shift+F24: keycode 202
    const std::string mute = std::to_string(other_.Keycode(XF86XK_AudioMute));
    ASSERT_TRUE(
        test::Run("xdotool key 191 key 197 keydown Shift_L key 202 keyup Shift_L key " + mute));
    EXPECT_TRUE(WaitFor([&] { return fired_.size() >= 3 && seen.size() >= 10; }));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{9, 10, 11}));
    // The watcher names those keys alike; a key without any virtual-key code comes as code 0.
    const std::vector<KeyEvent> expected = {{124, true}, {124, false}, {130, true},  {130, false},
                                            {160, true}, {135, true},  {135, false}, {160, false},
                                            {0, true},   {0, false}};
    EXPECT_EQ(seen, expected);
}

TEST_F(X11Hotkeys, FollowsAChangeOfTheKeyboardMapping) {
    ASSERT_TRUE(Backend().Grab(6, kF1));
    const HotkeyCombination f16{0, 127};
    ASSERT_TRUE(Backend().Grab(9, f16));  // keycode 194
    // Keycode 194 made another key: F16 has no key left, and its hotkey fires no more.
    other_.MapKeycode(194, XK_b);
    ASSERT_TRUE(WaitFor([&] {
        Backend().Release(9);
        return !Backend().Grab(9, f16);
    }));
    ASSERT_TRUE(KeysFire("194 F1", 1));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{6}));
    // Given the keysym F16, it is that key again.
    other_.MapKeycode(194, XK_F16);
    ASSERT_TRUE(WaitFor([&] { return Backend().Grab(9, f16); }));
    ASSERT_TRUE(KeysFire("F16", 2));
    ASSERT_TRUE(KeysFire("F1", 3));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{6, 9, 6}));
}

TEST_F(X11Hotkeys, ARegrabRefusedAfterAMappingChangeIsRefusedAndTriedAgain) {
    test::TempDir dir;
    ProfileFiles files;
    DataFolder data(dir.Path());
    SettingsStore settings(files, data);
    settings.Write(setting::kHotkeysOn, "1");
    HotkeyRegistry registry(
        Backend(), settings,
        [](std::int32_t n) { return n == 9 ? std::string("F16键") : std::string(); }, nullptr,
        [] { QCoreApplication::processEvents(); });
    registry.RegisterAllHotkeys();
    ASSERT_TRUE(registry.IsRegistered(9));
    {
        // F16 also on the key of B, which another client holds: the regrab is refused, shows as
        // refused, and stays so while that client holds the key.
        test::XClient holder;
        ASSERT_TRUE(holder.GrabKey(XK_b, 0));
        other_.MapKeycode(other_.Keycode(XK_b), XK_F16);
        EXPECT_TRUE(WaitFor([&] { return !registry.IsRegistered(9); }));
        registry.RegisterAllHotkeys();
        EXPECT_FALSE(registry.IsRegistered(9));
    }
    // The other client has gone: the next registration grabs the keys again, and F16 fires.
    registry.RegisterAllHotkeys();
    EXPECT_TRUE(registry.IsRegistered(9));
    ASSERT_TRUE(KeysFire("194", 1));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{9}));
}

TEST_F(X11Hotkeys, AHotkeyOnAModifierKeyFiresWithoutTakingTheKeyboard) {
    other_.FocusOwnWindow();
    test::XClient windowManager;  // holds Win+E, as desktops do
    ASSERT_TRUE(windowManager.GrabKey(XK_e, XCB_MOD_MASK_4));
    ASSERT_TRUE(Backend().Grab(5, {0, 91}));            // Win键
    ASSERT_TRUE(Backend().Grab(6, {kModControl, 16}));  // Ctrl+Shift键
    ASSERT_TRUE(Backend().Grab(7, kF1));                // an ordinary key keeps its grab

    // The Windows key fires its hotkey, and what is typed while it is held still goes where it
    // would go without the program.
    ASSERT_TRUE(test::Run("xdotool keydown Super_L key e key l keyup Super_L"));
    ASSERT_TRUE(WaitFor([&] { return fired_.size() >= 1; }));
    EXPECT_TRUE(WaitFor([&] { return windowManager.PressesOf(XK_e) == 1; }));
    EXPECT_TRUE(WaitFor([&] { return other_.PressesOf(XK_l) == 1; }));
    EXPECT_EQ(other_.PressesReceived().back().state & XCB_MOD_MASK_4, XCB_MOD_MASK_4);

    // Shift fires only with Ctrl held, and Ctrl+Shift+A still reaches the window.
    ASSERT_TRUE(
        test::Run("xdotool keydown Shift_L keyup Shift_L keydown Control_L keydown Shift_L key a "
                  "keyup Shift_L keyup Control_L"));
    ASSERT_TRUE(WaitFor([&] { return fired_.size() >= 2; }));
    EXPECT_TRUE(WaitFor([&] { return other_.PressesOf(XK_a) == 1; }));
    ASSERT_TRUE(KeysFire("F1", 3));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5, 6, 7}));
    EXPECT_EQ(other_.PressesOf(XK_F1), 0U);

    // Released, Win fires nothing more.
    Backend().Release(5);
    ASSERT_TRUE(KeysFire("Super_L F1", 4));
    WaitFor([&] { return false; }, 300);  // raw key events come on a connection of their own
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{5, 6, 7, 7}));
}

TEST_F(X11Hotkeys, RegistryRegistersFromTheStoresAndDispatches) {
    test::TempDir dir;
    ProfileFiles files;
    DataFolder data(dir.Path());
    SettingsStore settings(files, data);
    settings.Write(setting::kHotkeysOn, "1");
    ASSERT_TRUE(other_.GrabKey(XK_F4, 0));
    settings.Write(setting::kMasterHotkey, "F1键");  // also slot 3's: refused while slots are on
    settings.Write(setting::kStopHotkey, "Ctrl｜F2键");
    settings.Write(setting::kPauseHotkey, "F4键");  // held by the other client
    // Records the id of every hotkey that fired.
    struct Triggered final : HotkeyActions {
        void OnSlotHotkey(std::int32_t slot) override { ids.push_back(slot); }
        void OnSpecialHotkey(SpecialHotkey which) override {
            ids.push_back(SpecialHotkeyOf(which).id);
        }
        std::vector<int> ids;
    } actions;
    std::vector<int>& triggered = actions.ids;
    int pumps = 0;
    // A press of slot 8's combination while the registration is still at slot 2: the server
    // has given it to the program already, which must not swallow it.
    bool pressedEarly = false;
    HotkeyRegistry registry(
        Backend(), settings,
        [](std::int32_t n) {
            if (n == 10) {
                return std::string("F4键");  // held by the other client
            }
            return n == 3 || n == 7 ? std::string("F1键")
                   : n == 8         ? std::string("Ctrl｜F1键")
                                    : std::string();
        },
        nullptr,
        [&] {
            ++pumps;
            QCoreApplication::processEvents();
            if (pumps == 2) {
                pressedEarly = test::Run("xdotool key ctrl+F1") &&
                               WaitFor([&] { return !triggered.empty(); }, 1500);
            }
        });
    HotkeyDispatch dispatch(Backend(), actions);
    registry.RegisterAllHotkeys();
    EXPECT_EQ(pumps, 209);
    EXPECT_TRUE(pressedEarly);
    EXPECT_EQ(triggered, (std::vector<int>{8}));
    triggered.clear();
    EXPECT_TRUE(registry.IsRegistered(3));
    EXPECT_FALSE(registry.IsRegistered(7));
    EXPECT_TRUE(registry.IsRegistered(8));
    EXPECT_FALSE(registry.IsRegistered(10));
    test::XClient third;
    EXPECT_TRUE(third.GrabKey(XK_F4, XCB_MOD_MASK_LOCK));  // nothing of F4 left held by us
    EXPECT_FALSE(registry.IsRegistered(kMasterSwitch));
    EXPECT_TRUE(registry.IsRegistered(kStop));
    EXPECT_FALSE(registry.IsRegistered(kPause));
    ASSERT_TRUE(test::Run("xdotool key F1 ctrl+F1 ctrl+F2"));
    EXPECT_TRUE(WaitFor([&] { return triggered.size() >= 3; }));
    EXPECT_EQ(triggered, (std::vector<int>{3, 8, kStop}));

    settings.Write(setting::kHotkeysOn, "0");
    registry.RegisterAllHotkeys();
    EXPECT_TRUE(registry.IsRegistered(kMasterSwitch));
    EXPECT_FALSE(registry.IsRegistered(3));
    ASSERT_TRUE(test::Run("xdotool key F1"));
    EXPECT_TRUE(WaitFor([&] { return triggered.size() >= 4; }));
    EXPECT_EQ(triggered.back(), kMasterSwitch);
    EXPECT_FALSE(registry.IsRegistered(kStop));
}

TEST(HotkeyPlatform, WithoutADisplayNothingIsAvailable) {
    const char* saved = getenv("DISPLAY");
    const std::string display = saved != nullptr ? saved : "";
    setenv("DISPLAY", ":65000", 1);  // nobody listens there
    HotkeyPlatform none = CreateHotkeyPlatform("xcb");
    EXPECT_FALSE(none.HotkeysAvailable());
    EXPECT_FALSE(none.backend->Grab(1, {0, 112}));
    EXPECT_FALSE(none.watcher->Start([](const KeyEvent&) {}));
    unsetenv("DISPLAY");
    EXPECT_FALSE(CreateHotkeyPlatform("wayland").HotkeysAvailable());
    if (!display.empty()) {
        setenv("DISPLAY", display.c_str(), 1);
    }
}

}  // namespace
}  // namespace vorlune
