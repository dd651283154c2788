#include <gtest/gtest.h>

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

TEST_F(X11Hotkeys, StillFiresWithNumLockAndCapsLockOn) {
    other_.FocusOwnWindow();
    ASSERT_TRUE(Backend().Grab(5, kCtrlF1));
    ASSERT_TRUE(Backend().Grab(7, {0, 97}));  // keypad 1
    // The lock state as the focused window sees it on its next key press.
    const auto locks = [&] {
        const std::size_t before = other_.PressesReceived().size();
        EXPECT_TRUE(test::Run("xdotool key F5"));
        EXPECT_TRUE(WaitFor([&] { return other_.PressesReceived().size() > before; }));
        return other_.PressesReceived().back().state & (XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK);
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
    // A key this keymap does not have (F16 on Xvfb) is refused too.
    EXPECT_FALSE(Backend().Grab(9, {0, 127}));
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

TEST_F(X11Hotkeys, FollowsAChangeOfTheKeyboardMapping) {
    ASSERT_TRUE(Backend().Grab(6, kF1));
    const HotkeyCombination f13{0, 124};
    EXPECT_FALSE(Backend().Grab(9, f13));
    // Keycode 191 carries an XF86 key on Xvfb; make it F13.
    other_.MapKeycode(191, XK_F13);
    ASSERT_TRUE(WaitFor([&] { return Backend().Grab(9, f13); }));
    ASSERT_TRUE(KeysFire("F13", 1));
    ASSERT_TRUE(KeysFire("F1", 2));
    EXPECT_EQ(fired_, (std::vector<std::int32_t>{9, 6}));
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
        [&pumps] {
            ++pumps;
            QCoreApplication::processEvents();
        });
    HotkeyDispatch dispatch(Backend(), actions);
    registry.RegisterAllHotkeys();
    EXPECT_EQ(pumps, 209);
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
