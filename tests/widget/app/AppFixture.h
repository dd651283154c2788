#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "FakeDesktopServices.h"
#include "FakePrompts.h"
#include "ProgramWidgets.h"
#include "QtTestSupport.h"
#include "RecordingAudioEngine.h"
#include "TempDir.h"
#include "WaitFor.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "audio/MixingAudioEngine.h"
#include "audio/fake/FakeMicrophoneSystem.h"
#include "audio/fake/FakeOutputSystem.h"
#include "base/GbkText.h"
#include "hotkeys/fake/FakeHotkeyBackend.h"
#include "hotkeys/fake/FakeKeyWatcher.h"

namespace vorlune::test {

// A program folder in a temporary directory with the real stores, and fakes only for the
// operating system's services. The test reaches the program through its widgets, the fakes,
// the INI files (read and written through a store of its own) and the state record.
class AppFixture : public ::testing::Test {
  protected:
    AppFixture() {
        EnsureQApplication();
        MakeFolders(dir.File("Sounds/Common"));
    }

    void Config(std::string_view utf8) { WriteFileBytes(dir.File("config.ini"), Utf8ToGbk(utf8)); }
    void List(std::string_view utf8) {
        WriteFileBytes(dir.File("Sounds/Common/list.ini"), Utf8ToGbk(utf8));
    }
    std::string ConfigBytes() const { return ReadFileBytes(dir.File("config.ini")); }
    std::string ListBytes() const { return ReadFileBytes(dir.File("Sounds/Common/list.ini")); }

    Application& Start() {
        app.reset();
        state = AppState{};
        app =
            std::make_unique<Application>(folder, data, state,
                                          Platform{prompts, keepAbove, hotkeys, keyWatcher, desktop,
                                                   audio, microphones, tray, programExit});
        app->OnMainWindowCreated();
        return *app;
    }

    // The program writes some settings on a thread of its own: true once config.ini holds value.
    bool ConfigBecomes(const SettingKey& key, std::string_view value) {
        return WaitFor([&] { return settings.Read(key) == value; });
    }

    static MainWindow& Window() { return TheMainWindow(); }
    static QPushButton* Button(int n) { return SlotButton(n); }
    static QLabel* Label(int n) { return SlotLabel(n); }
    static QString Tag(int n) { return SlotTag(n); }

    TempDir dir;
    ProgramFolder folder{dir.Path()};
    DataFolder data{dir.Path()};
    FakePrompts prompts;
    FakeKeepAbove keepAbove;
    FakeHotkeyBackend hotkeys;
    FakeKeyWatcher keyWatcher;
    FakeDesktopServices desktop;
    // The real engine, on fake outputs.
    FakeOutputSystem outputs;
    MixingAudioEngine realAudio{outputs};
    RecordingAudioEngine audio{realAudio};
    FakeMicrophoneSystem microphones;
    FakeSystemTray tray;
    FakeProgramExit programExit;
    // config.ini as the test reads and writes it, beside the program.
    ProfileFiles testFiles;
    SettingsStore settings{testFiles, data};
    AppState state;
    std::unique_ptr<Application> app;
};

}  // namespace vorlune::test
