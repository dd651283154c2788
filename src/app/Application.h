#pragma once

// The composition root. Each kind of link between its parts has one form:
// - An event (a click, a right-click, the window closing or minimised, the slot buttons filled,
//   a sound loaded or started) is a Qt signal. A part connects the signals of what it owns; the
//   links between parts are connected here and in the two region wirings (RegionWiring.h).
// - A service (a part asks another to do something or to answer) comes in through the user's
//   constructor: a reference to the service, or to a small interface when the service sits at
//   the operating-system boundary (Platform) or the user needs only a slice of it (OnTopRelease,
//   PlaybackView, HotkeyActions). A part that needs a single call and nothing else (the
//   registry's slot-text reader and event pump, the fade's wait, the spectrum's source) takes
//   that call as a std::function constructor parameter.
// - Qt-free code cannot emit signals: its events go to a handler given in its constructor or set
//   on it (a backend's fired ids, watched keys, the registry's labels).
// No part receives the Application, which hands out nothing, and no part has a public
// std::function. The members are built in their order, each from the ones above it, so nothing
// is given or captured before it exists.

#include <QObject>

#include "app/ControlStripView.h"
#include "app/ExitFlow.h"
#include "app/HotkeyCommands.h"
#include "app/HotkeyStatus.h"
#include "app/HotkeySwitch.h"
#include "app/LinkActions.h"
#include "app/LoudnessLevelling.h"
#include "app/MainWindow.h"
#include "app/MicrophoneSettingsView.h"
#include "app/MonitorSettingsView.h"
#include "app/RemoteControl.h"
#include "app/RemoteStatus.h"
#include "app/TrayController.h"
#include "app/TrayIcon.h"
#include "app/WindowOnTop.h"
#include "app/phone/PhoneRemote.h"
#include "audio/AudioPlayer.h"
#include "audio/OutputKeeper.h"
#include "audio/controls/MonitorControls.h"
#include "audio/controls/OutputDevices.h"
#include "audio/controls/OutputWatch.h"
#include "audio/controls/PlaybackControls.h"
#include "audio/controls/VirtualMicrophoneControls.h"
#include "audio/loudness/LoudnessLevels.h"
#include "base/AppState.h"
#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/ProgramFolder.h"
#include "base/SettingsStore.h"
#include "hotkeys/HotkeyDispatch.h"
#include "hotkeys/HotkeyRegistry.h"
#include "slots/SlotGrid.h"
#include "slots/SlotStore.h"
#include "slots/SlotTrigger.h"
#include "slots/editing/SlotEditing.h"

namespace vorlune {

class AudioEngine;
class DesktopServices;
class HotkeyBackend;
class KeepAbove;
class KeyWatcher;
class ProgramExit;
class Prompts;
class SpectrumPanel;
class SystemTray;

// The operating-system services the program uses; tests hand in fakes for all but the audio
// engine, which they run on fake outputs behind a recorder.
struct Platform {
    Prompts& prompts;
    KeepAbove& keepAbove;
    HotkeyBackend& hotkeys;
    KeyWatcher& keyWatcher;
    DesktopServices& desktop;
    AudioEngine& audio;
    // The sound server's side of the virtual microphone.
    MicrophoneSystem& microphone;
    SystemTray& tray;
    ProgramExit& exit;
    // Remote control (the session bus); none where no remote call is to be answered.
    RemoteEndpoint* remote = nullptr;
};

// Builds the stores, the main window and its regions, and wires every control to what it does.
// Owns everything for the life of the program.
class Application : public QObject {
    Q_OBJECT
  public:
    // `folder` holds what was shipped with the program, `data` the user's settings and slots;
    // `state` is the program-wide state record. All three outlive the application.
    Application(const ProgramFolder& folder, const DataFolder& data, AppState& state,
                Platform platform);
    ~Application() override;

    // The start-up sequence, in the order in which later steps read what earlier ones wrote.
    void OnMainWindowCreated();
    void ShowMainWindow();
    // The single-instance mark could not be made (no file handles left, a sandbox without Unix
    // sockets): nothing shows another copy, so the program runs and says in its status bar that
    // none could be looked for.
    void SayOtherCopiesUnchecked();
    // The desktop session ends (or a service stop, a closed terminal, Ctrl+C): the program ends
    // as a confirmed exit does, without the question nobody is there to answer.
    void EndWithoutQuestion();
    // The main window is about to be destroyed: hotkeys released, sound stopped, output closed.
    void OnMainWindowDestroyed();

  private:
    void RestorePage();
    void RestoreSwitchStates();
    void RestoreVolume();
    // Shows page n (0..5) and marks its toolbar button; pages 0..4 are remembered.
    void SelectCategory(int page);
    void CloseRemote();

    // In dependency order: each member is built from the ones above it.
    ProfileFiles files_;
    SettingsStore settings_;
    SlotStore slots_;
    LoudnessLevels levels_;
    AudioPlayer player_;
    OutputKeeper keeper_;
    SlotGrid grid_;
    MainWindow window_;
    SpectrumPanel& spectrum_;
    TrayIcon tray_;
    WindowOnTop onTop_;
    LoudnessLevelling levelling_;
    HotkeyRegistry registry_;
    HotkeyStatus hotkeyStatus_;
    HotkeySwitch hotkeySwitch_;
    ControlStripView stripView_;
    PlaybackControls playback_;
    OutputWatch watch_;
    SlotTrigger trigger_;
    OutputDevices devices_;
    MonitorSettingsView monitorView_;
    MonitorControls monitor_;
    MicrophoneSettingsView microphoneView_;
    VirtualMicrophoneControls microphone_;
    HotkeyCommands commands_;
    HotkeyDispatch dispatch_;
    SlotEditing editing_;
    TrayController trayController_;
    ExitFlow exit_;
    LinkActions links_;
    RemoteStatus remoteStatus_;
    RemoteEndpoint* remote_;
    // The phone page, off unless its switch is on; the same commands and state as remote_.
    PhoneRemote phone_;
};

}  // namespace vorlune
