#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <functional>
#include <memory>
#include <string>

#include "FakeDesktopServices.h"
#include "FakePrompts.h"
#include "ProgramWidgets.h"
#include "QtTestSupport.h"
#include "RecordingAudioEngine.h"
#include "TempDir.h"
#include "app/Application.h"
#include "audio/MixingAudioEngine.h"
#include "audio/fake/FakeMicrophoneSystem.h"
#include "audio/fake/FakeOutputSystem.h"
#include "hotkeys/fake/FakeHotkeyBackend.h"
#include "hotkeys/fake/FakeKeyWatcher.h"

class QLabel;
class QLineEdit;
class QMenu;

namespace vorlune {
class ControlStrip;
class SlotContextMenu;
class SlotDialog;
class SpecialHotkeyMenu;
}  // namespace vorlune

namespace vorlune::test {

// Prompts that run a check at the moment a message is shown, then answer like FakePrompts.
class WatchedPrompts final : public Prompts {
  public:
    PromptAnswer Show(const Prompt& prompt) override {
        if (onShow) {
            onShow(prompt);
        }
        return fake.Show(prompt);
    }
    FakePrompts fake;
    std::function<void(const Prompt&)> onShow;
};

// The whole program in a temporary program folder with the real stores and audio on fake
// outputs; fakes only for prompts, window-manager requests, hotkeys, the key watcher, the
// desktop (whose folder is "Desktop" inside the temporary folder), the tray and the end of the
// process. The test reaches the program through its widgets, the fakes, the INI files and the
// state record.
class EditingFixture : public ::testing::Test {
  protected:
    EditingFixture();
    ~EditingFixture() override;

    void Config(std::string_view utf8);
    void List(std::string_view utf8);
    void Factory(std::string_view utf8);
    std::string ListText() const;
    std::string ConfigText() const;
    // A short tone as a WAV file at the path below the program folder.
    std::string WriteTone(std::string_view relative);

    Application& Start();
    static MainWindow& Window() { return TheMainWindow(); }
    static ControlStrip& Strip();
    // The slot buttons' menu "右键操作" and the control strip buttons' menu "快捷键操作".
    static SlotContextMenu& SlotMenu();
    static SpecialHotkeyMenu& SpecialMenu();
    static QPushButton* Button(int n) { return SlotButton(n); }
    static QLabel* Label(int n) { return SlotLabel(n); }
    static QString Tag(int n) { return SlotTag(n); }

    // Right-click on slot button n, with the pointer released over it.
    void RightClickSlot(int n);
    // Clicks the item of a popped-up menu; what it does runs in the queued call that follows.
    static void Choose(QMenu& menu, QAction* item);

    // Runs `open`, which opens the modal slot dialog; once the dialog shows, `inside` runs and
    // then the dialog's close button is clicked. False when no dialog opened.
    static bool WithDialog(const std::function<void()>& open,
                           const std::function<void(SlotDialog&)>& inside) {
        return WithSlotDialog(open, inside);
    }

    static QLineEdit* Box(const SlotDialog& dialog, const char* name);
    static QString Text(const SlotDialog& dialog, const char* name);
    static QPushButton* ButtonOf(const SlotDialog& dialog, const char* name);

    TempDir dir;
    ProgramFolder folder{dir.Path()};
    DataFolder data{dir.Path()};
    WatchedPrompts prompts;
    FakeKeepAbove keepAbove;
    FakeHotkeyBackend hotkeys;
    FakeKeyWatcher keys;
    // What the program watches keys with: the fake above unless a test hands in another.
    KeyWatcher* keyWatcher = &keys;
    FakeDesktopServices desktop;
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
