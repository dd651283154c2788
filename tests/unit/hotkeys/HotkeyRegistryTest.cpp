#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TempDir.h"
#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/SettingsStore.h"
#include "hotkeys/HotkeyDispatch.h"
#include "hotkeys/HotkeyRegistry.h"
#include "hotkeys/KeyNames.h"
#include "hotkeys/fake/FakeHotkeyBackend.h"

namespace vorlune {
namespace {

constexpr HotkeyCombination kF1{0, 112};
constexpr HotkeyCombination kCtrlA{kModControl, 65};
constexpr std::int32_t kPause = SpecialHotkeyOf(SpecialHotkey::Pause).id;
constexpr std::int32_t kStop = SpecialHotkeyOf(SpecialHotkey::Stop).id;
constexpr std::int32_t kMasterSwitch = SpecialHotkeyOf(SpecialHotkey::MasterSwitch).id;

// Records the id of every hotkey that fired.
class RecordedActions final : public HotkeyActions {
  public:
    void OnSlotHotkey(std::int32_t slot) override { fired.push_back(slot); }
    void OnSpecialHotkey(SpecialHotkey which) override {
        fired.push_back(SpecialHotkeyOf(which).id);
        if (which == SpecialHotkey::MasterSwitch && onMasterSwitch) {
            onMasterSwitch();
        }
    }
    std::vector<int> fired;
    std::function<void()> onMasterSwitch;
};

// A registry and a dispatch over the fake backend with slot hotkeys in memory and settings in
// a real config.ini of a temporary data folder.
class RegistryTest : public ::testing::Test {
  protected:
    RegistryTest() : data_(dir_.Path()), settings_(files_, data_) {}

    HotkeyRegistry& Registry() {
        if (!registry_) {
            registry_ = std::make_unique<HotkeyRegistry>(
                backend_, settings_,
                [this](std::int32_t n) {
                    const auto it = slots_.find(n);
                    return it == slots_.end() ? std::string() : it->second;
                },
                [this](SpecialHotkey which, const std::string& text) { labels_[which] = text; },
                [this] {
                    ++pumps_;
                    if (onPump_) {
                        onPump_();
                    }
                });
        }
        return *registry_;
    }

    void SetSwitch(std::string_view value) { settings_.Write(setting::kHotkeysOn, value); }

    test::TempDir dir_;
    ProfileFiles files_;
    DataFolder data_;
    SettingsStore settings_;
    FakeHotkeyBackend backend_;
    std::map<std::int32_t, std::string> slots_;
    std::map<SpecialHotkey, std::string> labels_;
    RecordedActions actions_;
    HotkeyDispatch dispatch_{backend_, actions_};
    int pumps_ = 0;
    std::function<void()> onPump_;
    std::unique_ptr<HotkeyRegistry> registry_;
};

TEST_F(RegistryTest, FirstHolderInSlotOrderKeepsADuplicatedCombination) {
    SetSwitch("1");
    slots_[3] = "F1键";
    slots_[7] = "F1键";
    settings_.Write(setting::kPauseHotkey, "Ctrl｜A键");
    slots_[200] = "Ctrl｜a键";  // the same combination by another spelling
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.Held(3), kF1);
    EXPECT_FALSE(Registry().IsRegistered(7));
    EXPECT_EQ(backend_.Held(200), kCtrlA);
    EXPECT_FALSE(Registry().IsRegistered(kPause));
    ASSERT_TRUE(backend_.Press(kF1));
    EXPECT_EQ(actions_.fired, (std::vector<int>{3}));

    // A second run ends the same way, and so does one after the earlier slot lets go.
    Registry().RegisterAllHotkeys();
    EXPECT_TRUE(Registry().IsRegistered(3));
    EXPECT_FALSE(Registry().IsRegistered(7));
    slots_[3] = "";
    Registry().RegisterAllHotkeys();
    EXPECT_FALSE(Registry().IsRegistered(3));
    EXPECT_EQ(backend_.Held(7), kF1);
}

TEST_F(RegistryTest, AnEarlierIdTakesACombinationBackFromALaterOne) {
    // The pause hotkey holds F1 while slot hotkeys are off ...
    SetSwitch("1");
    settings_.Write(setting::kPauseHotkey, "F1键");
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.Held(kPause), kF1);
    // ... then slot 5 is given F1: after the next full run slot 5 has it, as from a fresh start.
    slots_[5] = "F1键";
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.Held(5), kF1);
    EXPECT_FALSE(Registry().IsRegistered(kPause));
}

TEST_F(RegistryTest, TextsOfNoKeyRegisterNothingAndReleaseTheOldCombination) {
    SetSwitch("1");
    slots_[1] = "Break";
    slots_[2] = "Caps Lock键";
    slots_[3] = "Ctrl｜";
    slots_[4] = "F1键";
    Registry().RegisterAllHotkeys();
    EXPECT_FALSE(Registry().IsRegistered(1));
    EXPECT_FALSE(Registry().IsRegistered(2));
    EXPECT_FALSE(Registry().IsRegistered(3));
    EXPECT_EQ(backend_.Held(4), kF1);
    // The key name changes to one of no key: F1 is free for another program.
    EXPECT_FALSE(Registry().RegisterHotkey(4, "Break"));
    EXPECT_FALSE(Registry().IsRegistered(4));
    EXPECT_TRUE(backend_.AllHeld().empty());
    EXPECT_FALSE(Registry().RegisterHotkey(0, "F1键"));
}

TEST_F(RegistryTest, ClearingAHotkeyReleasesItsCombinationForOthers) {
    SetSwitch("1");
    slots_[12] = "Ctrl｜A键";
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.Held(12), kCtrlA);
    slots_[12] = "";
    Registry().RegisterAllHotkeys();
    EXPECT_FALSE(Registry().IsRegistered(12));
    EXPECT_FALSE(backend_.Held(12));
    // Another id can have it now; a changed combination replaces the old one.
    EXPECT_TRUE(Registry().RegisterHotkey(13, "Ctrl｜A键"));
    EXPECT_TRUE(Registry().RegisterHotkey(13, "Shift｜Number1"));
    EXPECT_EQ(backend_.AllHeld().size(), 1u);
    EXPECT_EQ(backend_.Held(13), (HotkeyCombination{kModShift, 97}));
    Registry().UnregisterHotkey(13);
    Registry().UnregisterHotkey(13);  // harmless
    EXPECT_TRUE(backend_.AllHeld().empty());
}

TEST_F(RegistryTest, HotkeysOffRegistersOnlyANonEmptyMasterHotkey) {
    // The switch is missing from config.ini: off.
    for (std::int32_t n = 1; n <= 209; ++n) {
        slots_[n] = "Ctrl｜" + std::to_string(n % 10) + "键";
    }
    settings_.Write(setting::kPauseHotkey, "F2键");
    settings_.Write(setting::kStopHotkey, "F3键");
    settings_.Write(setting::kMasterHotkey, "F4键");
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.AllHeld().size(), 1u);
    EXPECT_EQ(backend_.Held(kMasterSwitch), (HotkeyCombination{0, 115}));
    EXPECT_EQ(pumps_, 209);

    // Only exactly 1 is on.
    for (const char* value : {"2", "-1", "on", "0"}) {
        SetSwitch(value);
        Registry().RegisterAllHotkeys();
        EXPECT_EQ(backend_.AllHeld().size(), 1u) << value;
    }
    SetSwitch("1");
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.AllHeld().size(), 10u + 3u);  // ten distinct slot combinations

    // Switched off again: everything but the master hotkey is released.
    SetSwitch("0");
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.AllHeld().size(), 1u);
    // An empty master hotkey is released too.
    settings_.Write(setting::kMasterHotkey, "");
    Registry().RegisterAllHotkeys();
    EXPECT_TRUE(backend_.AllHeld().empty());
}

TEST_F(RegistryTest, SpecialHotkeyEqualToASlotHotkeyWorksOnlyWhileTheSwitchIsOff) {
    slots_[9] = "F9键";
    settings_.Write(setting::kMasterHotkey, "F9键");
    SetSwitch("1");
    Registry().RegisterAllHotkeys();
    EXPECT_TRUE(Registry().IsRegistered(9));
    EXPECT_FALSE(Registry().IsRegistered(kMasterSwitch));
    SetSwitch("0");
    Registry().RegisterAllHotkeys();
    EXPECT_FALSE(Registry().IsRegistered(9));
    EXPECT_TRUE(Registry().IsRegistered(kMasterSwitch));
    ASSERT_TRUE(backend_.Press({0, 120}));
    EXPECT_EQ(actions_.fired, (std::vector<int>{kMasterSwitch}));
}

TEST_F(RegistryTest, LabelsFollowTheStoredTextsOnEveryRun) {
    settings_.Write(setting::kPauseHotkey, "Ctrl｜P键");
    settings_.Write(setting::kStopHotkey, "Break");
    SetSwitch("0");
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(labels_[SpecialHotkey::Pause], "Ctrl+P键");
    EXPECT_EQ(labels_[SpecialHotkey::Stop], "Break");
    EXPECT_EQ(labels_[SpecialHotkey::MasterSwitch], "");
    EXPECT_FALSE(Registry().IsRegistered(kPause));
    settings_.Write(setting::kPauseHotkey, "");
    settings_.Write(setting::kMasterHotkey, "Alt｜回车键");
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(labels_[SpecialHotkey::Pause], "");
    EXPECT_EQ(labels_[SpecialHotkey::MasterSwitch], "Alt+回车键");
}

TEST_F(RegistryTest, EveryIdDispatchesToItsOwnAction) {
    SetSwitch("1");
    // 209 distinct combinations: five modifier words over letters, digits and F1-F12.
    std::vector<std::string> keys;
    for (char c = 'A'; c <= 'Z'; ++c) {
        keys.push_back(std::string(1, c) + "键");
    }
    for (char c = '0'; c <= '9'; ++c) {
        keys.push_back(std::string(1, c) + "键");
    }
    for (int f = 1; f <= 12; ++f) {
        keys.push_back("F" + std::to_string(f) + "键");
    }
    const std::string modifiers[] = {"", "Ctrl｜", "Alt｜", "Shift｜", "Win｜"};
    std::map<std::int32_t, HotkeyCombination> combinations;
    for (std::int32_t n = 1; n <= 209; ++n) {
        const std::size_t i = static_cast<std::size_t>(n - 1);
        slots_[n] = modifiers[i / keys.size()] + keys[i % keys.size()];
        combinations[n] = ParseStoredHotkey(slots_[n]);
    }
    settings_.Write(setting::kPauseHotkey, "Ctrl｜Number0");
    settings_.Write(setting::kStopHotkey, "Ctrl｜Number1");
    settings_.Write(setting::kMasterHotkey, "Ctrl｜Number2");
    Registry().RegisterAllHotkeys();
    ASSERT_EQ(backend_.AllHeld().size(), 212u);
    // Running again with nothing changed keeps every combination as it is held.
    const std::size_t grabs = backend_.GrabCalls();
    const std::size_t releases = backend_.ReleaseCalls();
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(backend_.GrabCalls(), grabs);
    EXPECT_EQ(backend_.ReleaseCalls(), releases);
    ASSERT_EQ(backend_.AllHeld().size(), 212u);

    for (std::int32_t n = 1; n <= 209; ++n) {
        actions_.fired.clear();
        ASSERT_TRUE(backend_.Press(combinations[n])) << n;
        EXPECT_EQ(actions_.fired, (std::vector<int>{n}));
    }
    actions_.fired.clear();
    for (std::int32_t id : {kPause, kStop, kMasterSwitch}) {
        ASSERT_TRUE(backend_.Fire(id));
    }
    EXPECT_EQ(actions_.fired, (std::vector<int>{844, 855, 886}));
    actions_.fired.clear();
    for (std::int32_t id : {0, -1, 210, 843, 1000}) {
        dispatch_.Dispatch(id);
    }
    EXPECT_TRUE(actions_.fired.empty());

    // At exit nothing stays held.
    Registry().UnregisterAllHotkeys();
    EXPECT_TRUE(backend_.AllHeld().empty());
    EXPECT_FALSE(backend_.Fire(5));
}

TEST_F(RegistryTest, AMasterSwitchPressedDuringARunLeavesTheNewStateInPlace) {
    SetSwitch("1");
    for (std::int32_t n = 1; n <= 209; ++n) {
        slots_[n] = "Ctrl｜" + KeyCodeToName(48 + n % 10);
        if (n > 10) {
            slots_[n] = n <= 36 ? KeyCodeToName('A' + n - 11) : "";
        }
    }
    settings_.Write(setting::kMasterHotkey, "F12键");
    Registry().RegisterAllHotkeys();
    ASSERT_TRUE(Registry().IsRegistered(kMasterSwitch));

    // The master switch hotkey turns hotkeys off while a full run is at slot 20.
    actions_.onMasterSwitch = [this] {
        SetSwitch("0");
        Registry().RegisterAllHotkeys();
    };
    int slotSeen = 0;
    onPump_ = [&] {
        ++slotSeen;
        if (slotSeen == 20) {
            onPump_ = nullptr;
            ASSERT_TRUE(backend_.Press({0, 123}));
        }
    };
    Registry().RegisterAllHotkeys();
    EXPECT_EQ(actions_.fired, (std::vector<int>{kMasterSwitch}));
    // The outer run does not go on with its stale "on": only the master hotkey is held.
    EXPECT_EQ(backend_.AllHeld().size(), 1u);
    EXPECT_TRUE(Registry().IsRegistered(kMasterSwitch));
}

TEST_F(RegistryTest, DestroyingTheRegistryReleasesEverything) {
    SetSwitch("1");
    slots_[1] = "F1键";
    Registry().RegisterAllHotkeys();
    registry_.reset();
    EXPECT_TRUE(backend_.AllHeld().empty());
    backend_.HoldElsewhere(kF1);
    EXPECT_FALSE(Registry().RegisterHotkey(1, "F1键"));  // another program holds it
    EXPECT_TRUE(Registry().RegisterHotkey(1, "Ctrl｜F1键"));
}

}  // namespace
}  // namespace vorlune

namespace vorlune {
namespace {

constexpr HotkeyCombination kCtrlF1{kModControl, 112};
constexpr HotkeyCombination kCtrlF2{kModControl, 113};

// The registry over a desktop that binds whole sets (the global-shortcuts portal), played by the
// fake backend, with slot names and hotkeys in memory.
class SetRegistryTest : public ::testing::Test {
  protected:
    SetRegistryTest() : data_(dir_.Path()), settings_(files_, data_) {
        backend_.SetBindsSets(true);
        settings_.Write(setting::kHotkeysOn, "1");
        settings_.Write(setting::kPauseHotkey, "Ctrl｜F11键");
        settings_.Write(setting::kMasterHotkey, "Ctrl｜F10键");
        slots_[1] = {"Tone", "Ctrl｜F1键"};
        slots_[12] = {"十二", "Shift｜A键"};
    }

    void Start() {
        registry_ = std::make_unique<HotkeyRegistry>(
            backend_, settings_, [this](std::int32_t n) { return slots_[n].second; },
            [this](SpecialHotkey which, const std::string& text) { labels_[which] = text; }, [] {},
            [this](std::int32_t n) { return slots_[n].first; });
        dispatch_ = std::make_unique<HotkeyDispatch>(backend_, actions_, *registry_);
        registry_->SetAnsweredHandler([this] { ++answers_; });
        registry_->RegisterAllHotkeys();
    }

    // The ids and names of a set handed over, in order.
    static std::vector<std::pair<std::int32_t, std::string>> Ids(
        const std::vector<HotkeyBinding>& set) {
        std::vector<std::pair<std::int32_t, std::string>> ids;
        for (const HotkeyBinding& binding : set) {
            ids.emplace_back(binding.id, binding.description);
        }
        return ids;
    }

    test::TempDir dir_;
    ProfileFiles files_;
    DataFolder data_;
    SettingsStore settings_;
    FakeHotkeyBackend backend_;
    std::map<std::int32_t, std::pair<std::string, std::string>> slots_;  // name, hotkey
    std::map<SpecialHotkey, std::string> labels_;
    RecordedActions actions_;
    std::unique_ptr<HotkeyRegistry> registry_;
    std::unique_ptr<HotkeyDispatch> dispatch_;
    int answers_ = 0;
};

TEST_F(SetRegistryTest, TheSwitchOffLeavesTheDesktopTheMasterSwitchHotkeyAlone) {
    Start();
    ASSERT_EQ(backend_.Sets().size(), 1U);
    EXPECT_EQ(Ids(backend_.Sets()[0]), (std::vector<std::pair<std::int32_t, std::string>>{
                                           {1, "Tone"},
                                           {12, "十二"},
                                           {kPause, "*音效声场控制"},
                                           {kMasterSwitch, "*音效快捷开关"}}));
    EXPECT_EQ(backend_.Sets()[0][0].combination, kCtrlF1);
    EXPECT_EQ(labels_[SpecialHotkey::Pause], "Ctrl+F11键");
    EXPECT_TRUE(registry_->AwaitsDesktop(1));
    EXPECT_FALSE(registry_->IsRegistered(1));
    backend_.Answer();
    EXPECT_EQ(answers_, 1);
    EXPECT_FALSE(registry_->AwaitsDesktop(1));
    EXPECT_TRUE(registry_->IsRegistered(1));
    EXPECT_TRUE(registry_->IsRegistered(kPause));
    EXPECT_FALSE(registry_->IsRegistered(kStop));  // it has no hotkey
    EXPECT_TRUE(registry_->OtherTriggers().empty());
    ASSERT_TRUE(backend_.Fire(12));
    ASSERT_TRUE(backend_.Fire(kPause));
    EXPECT_EQ(actions_.fired, (std::vector<int>{12, kPause}));

    // The switch off: the desktop is given the master switch hotkey alone, so the other keys go
    // back to the focused program.
    settings_.Write(setting::kHotkeysOn, "0");
    registry_->RegisterAllHotkeys();
    ASSERT_EQ(backend_.Sets().size(), 2U);
    EXPECT_EQ(
        Ids(backend_.Sets()[1]),
        (std::vector<std::pair<std::int32_t, std::string>>{{kMasterSwitch, "*音效快捷开关"}}));
    backend_.Answer();
    EXPECT_FALSE(registry_->IsRegistered(1));
    EXPECT_TRUE(registry_->IsRegistered(kMasterSwitch));
    EXPECT_FALSE(backend_.Fire(1));
    ASSERT_TRUE(backend_.Fire(kMasterSwitch));
    EXPECT_EQ(actions_.fired, (std::vector<int>{12, kPause, kMasterSwitch}));

    // A master switch hotkey on slot 1's combination: slot 1 keeps it while the switch is on,
    // and the master switch has it while the switch is off.
    settings_.Write(setting::kMasterHotkey, "Ctrl｜F1键");
    registry_->RegisterAllHotkeys();
    ASSERT_EQ(backend_.Sets().size(), 3U);
    EXPECT_EQ(backend_.Sets()[2][0].combination, kCtrlF1);
    backend_.Answer();
    ASSERT_TRUE(backend_.Fire(kMasterSwitch));
    EXPECT_EQ(actions_.fired.back(), kMasterSwitch);
    settings_.Write(setting::kHotkeysOn, "1");
    registry_->RegisterAllHotkeys();
    ASSERT_EQ(backend_.Sets().size(), 4U);
    EXPECT_EQ(Ids(backend_.Sets()[3]).back(),
              (std::pair<std::int32_t, std::string>{kPause, "*音效声场控制"}));
    backend_.Answer();
    ASSERT_TRUE(backend_.Fire(1));
    EXPECT_EQ(actions_.fired.back(), 1);
    EXPECT_TRUE(registry_->IsRegistered(1));
    EXPECT_FALSE(registry_->IsRegistered(kMasterSwitch));
}

TEST_F(SetRegistryTest, OnlyANewChangedOrClearedCombinationBindsAgain) {
    Start();
    backend_.Answer();
    // A new name alone waits for the next bind.
    slots_[1].first = "Bell";
    registry_->RegisterAllHotkeys();
    EXPECT_EQ(backend_.Sets().size(), 1U);

    slots_[12].second = "Ctrl｜F2键";
    registry_->RegisterAllHotkeys();
    ASSERT_EQ(backend_.Sets().size(), 2U);
    EXPECT_EQ(backend_.Sets()[1][0].description, "Bell");
    EXPECT_EQ(backend_.Sets()[1][1].combination, kCtrlF2);
    EXPECT_TRUE(registry_->AwaitsDesktop(12));
    backend_.Answer();
    EXPECT_TRUE(registry_->IsRegistered(12));

    // The first holder keeps a combination; a later slot and a special hotkey with it are left
    // out, and a text of no key binds nothing.
    slots_[30] = {"三十", "Ctrl｜F1键"};
    slots_[40] = {"", "Break"};
    settings_.Write(setting::kStopHotkey, "Ctrl｜F2键");
    registry_->RegisterAllHotkeys();
    EXPECT_EQ(backend_.Sets().size(), 2U);
    EXPECT_FALSE(registry_->IsRegistered(30));
    EXPECT_FALSE(registry_->IsRegistered(kStop));
    backend_.Fire(30);
    EXPECT_TRUE(actions_.fired.empty());

    // A slot without a name is still described; clearing a hotkey binds again.
    slots_[50] = {"", "F5键"};
    registry_->RegisterAllHotkeys();
    ASSERT_EQ(backend_.Sets().size(), 3U);
    EXPECT_EQ(Ids(backend_.Sets()[2])[2], (std::pair<std::int32_t, std::string>{50, "音效50"}));
    slots_[50].second = "";
    registry_->RegisterAllHotkeys();
    EXPECT_EQ(backend_.Sets().size(), 4U);
}

TEST_F(SetRegistryTest, ADesktopThatGaveAnotherTriggerOrNoneLeavesTheHotkeyRefusedAndSaysSo) {
    Start();
    backend_.Answer({{1, "Alt+F1"}, {kMasterSwitch, "-"}});
    EXPECT_FALSE(registry_->IsRegistered(1));
    EXPECT_TRUE(registry_->IsRegistered(12));
    EXPECT_FALSE(registry_->IsRegistered(kMasterSwitch));
    const std::vector<OtherTrigger> others = registry_->OtherTriggers();
    EXPECT_EQ(others,
              (std::vector<OtherTrigger>{{1, "Tone", "Ctrl+F1键", "Alt+F1"},
                                         {kMasterSwitch, "*音效快捷开关", "Ctrl+F10键", ""}}));
    EXPECT_EQ(OtherTriggerNotice({others[0]}), "桌面把【Tone】的热键定为 Alt+F1，而不是 Ctrl+F1键");
    EXPECT_EQ(OtherTriggerNotice({others[1]}), "桌面没有接受【*音效快捷开关】的热键 Ctrl+F10键");
    EXPECT_EQ(OtherTriggerNotice(others),
              "桌面没有按保存的组合接受 2 个热键，例如【Tone】：Alt+F1");
    EXPECT_EQ(OtherTriggerNotice({}), "");
    // The trigger the user chose on the desktop still plays the slot.
    backend_.Fire(1);
    EXPECT_EQ(actions_.fired, (std::vector<int>{1}));

    // A refused set (a cancelled dialog, a closed session) leaves every hotkey refused, and
    // nothing binds again by itself: the same set is asked for again only on request.
    EXPECT_FALSE(registry_->DesktopRefused());
    EXPECT_FALSE(registry_->AskDesktopAgain());
    backend_.AnswerNothing();
    EXPECT_FALSE(registry_->IsRegistered(12));
    EXPECT_EQ(registry_->OtherTriggers().size(), 4U);
    EXPECT_EQ(answers_, 2);
    EXPECT_TRUE(registry_->DesktopRefused());
    registry_->RegisterAllHotkeys();
    EXPECT_EQ(backend_.Sets().size(), 1U);
    EXPECT_TRUE(registry_->AskDesktopAgain());
    ASSERT_EQ(backend_.Sets().size(), 2U);
    EXPECT_EQ(backend_.Sets()[1], backend_.Sets()[0]);
    EXPECT_FALSE(registry_->DesktopRefused());
    backend_.Answer();
    EXPECT_TRUE(registry_->IsRegistered(12));
}

}  // namespace
}  // namespace vorlune
