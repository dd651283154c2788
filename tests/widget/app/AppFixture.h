#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "FakeDesktopServices.h"
#include "FakePrompts.h"
#include "QtTestSupport.h"
#include "RecordingAudioEngine.h"
#include "TempDir.h"
#include "app/Application.h"
#include "audio/SdlAudioEngine.h"
#include "base/GbkText.h"
#include "hotkeys/fake/FakeHotkeyBackend.h"
#include "hotkeys/fake/FakeKeyWatcher.h"

namespace vorlune::test {

// A program folder in a temporary directory with the real stores, and fakes only for the
// operating system's services.
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
        app = std::make_unique<Application>(
            folder, Platform{prompts, keepAbove, hotkeys, keyWatcher, desktop, audio});
        app->OnMainWindowCreated();
        // The slot dialog is modal; tests see only that it was asked for.
        app->openSlotDialog = [this](SlotDialogMode mode) { openedDialogs.push_back(mode); };
        return *app;
    }

    TempDir dir;
    ProgramFolder folder{dir.Path()};
    FakePrompts prompts;
    FakeKeepAbove keepAbove;
    FakeHotkeyBackend hotkeys;
    FakeKeyWatcher keyWatcher;
    FakeDesktopServices desktop;
    // The real engine, on SDL's dummy driver unless the test's environment names another.
    SdlAudioEngine realAudio;
    RecordingAudioEngine audio{realAudio};
    std::unique_ptr<Application> app;
    std::vector<SlotDialogMode> openedDialogs;
};

}  // namespace vorlune::test
