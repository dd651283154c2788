#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeDesktopServices.h"
#include "FakePrompts.h"
#include "ProgramWidgets.h"
#include "QtTestSupport.h"
#include "RecordingAudioEngine.h"
#include "TempDir.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "audio/MixingAudioEngine.h"
#include "audio/fake/FakeMicrophoneSystem.h"
#include "audio/fake/FakeOutputSystem.h"
#include "base/GbkText.h"
#include "hotkeys/fake/FakeHotkeyBackend.h"
#include "hotkeys/fake/FakeKeyWatcher.h"

namespace vorlune::test {

// Prompts that let the test act while a message is open (as the user's event loop would), then
// answer from the script of FakePrompts.
class OpenQuestionPrompts final : public Prompts {
  public:
    PromptAnswer Show(const Prompt& prompt) override {
        if (whileOpen) {
            whileOpen(prompt);
        }
        return recorded.Show(prompt);
    }
    std::function<void(const Prompt&)> whileOpen;
    FakePrompts recorded;
};

// A program folder in a temporary directory with the real stores; fakes only for the operating
// system's services. The end of the process is recorded instead of leaving the test, and the
// tray is there unless the test takes it away.
class LeavingFixture : public ::testing::Test {
  protected:
    LeavingFixture() {
        EnsureQApplication();
        MakeFolders(dir.File("Sounds/Common"));
    }
    ~LeavingFixture() override {
        if (app) {
            Window().hide();
        }
    }

    void Config(std::string_view utf8) { WriteFileBytes(dir.File("config.ini"), Utf8ToGbk(utf8)); }
    void List(std::string_view utf8) {
        WriteFileBytes(dir.File("Sounds/Common/list.ini"), Utf8ToGbk(utf8));
    }
    std::string ListText() const {
        return GbkToUtf8(ReadFileBytes(dir.File("Sounds/Common/list.ini")));
    }

    Application& Start() {
        app =
            std::make_unique<Application>(folder, data, state,
                                          Platform{prompts, keepAbove, hotkeys, keyWatcher, desktop,
                                                   audio, microphones, tray, programExit});
        app->OnMainWindowCreated();
        return *app;
    }

    // As the minimise button does; the window goes to the tray once the event loop runs.
    void Minimise() {
        Window().showMinimized();
        QCoreApplication::processEvents();
    }

    static MainWindow& Window() { return TheMainWindow(); }
    // The tray icon's menu "托盘操作": "打开主界面" and "退出助手".
    static QMenu& TrayMenu() { return *TopLevel<QMenu>(QStringLiteral("托盘操作")); }
    static QAction* ShowItem() { return TrayMenu().actions().value(0); }
    static QAction* QuitItem() { return TrayMenu().actions().value(1); }

    TempDir dir;
    ProgramFolder folder{dir.Path()};
    DataFolder data{dir.Path()};
    OpenQuestionPrompts prompts;
    FakeKeepAbove keepAbove;
    FakeHotkeyBackend hotkeys;
    FakeKeyWatcher keyWatcher;
    FakeDesktopServices desktop;
    // The real engine on fake outputs, observed.
    FakeOutputSystem outputs;
    MixingAudioEngine realAudio{outputs};
    RecordingAudioEngine audio{realAudio};
    FakeMicrophoneSystem microphones;
    FakeSystemTray tray;
    FakeProgramExit programExit;
    AppState state;
    std::unique_ptr<Application> app;
};

}  // namespace vorlune::test
