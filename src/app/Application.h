#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "base/AppState.h"
#include "base/ProfileFile.h"
#include "base/ProgramFolder.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "slots/SlotStore.h"

namespace vorlune {

class AudioEngine;
class AudioPlayer;
class DesktopServices;
class HotkeyBackend;
class HotkeyRegistry;
class KeepAbove;
class KeyWatcher;
class MainWindow;
class PlaybackControls;
class SlotGrid;
class SlotTrigger;
class OutputDevices;
class TrayIcon;
class ControlStripView;

// The operating-system services the program uses; tests hand in fakes for all but the audio
// engine, which they run on SDL's dummy or disk driver.
struct Platform {
    Prompts& prompts;
    KeepAbove& keepAbove;
    HotkeyBackend& hotkeys;
    KeyWatcher& keyWatcher;
    DesktopServices& desktop;
    AudioEngine& audio;
};

class Application;
// Wiring of the slot editing (context menu, slot dialog, special hotkey menus, restore) and of
// leaving (tray menu, minimise to tray, exit questions, links); each lives in its own file and
// parents what it creates to the application.
void WireSlotEditing(Application& app);
void WireLeaving(Application& app);

// The composition root: builds the stores, the main window and its regions, and wires every
// control to what it does. Owns everything for the life of the program.
class Application : public QObject {
    Q_OBJECT
  public:
    Application(const ProgramFolder& folder, Platform platform);
    ~Application() override;

    // The start-up sequence, in the order in which later steps read what earlier ones wrote.
    void OnMainWindowCreated();
    // The main window is about to be destroyed: hotkeys released, sound stopped, output closed.
    void OnMainWindowDestroyed();

    const ProgramFolder& Folder() const { return folder_; }
    Platform& Services() { return platform_; }
    AudioPlayer& Player() const { return *player_; }
    PlaybackControls& Playback() const { return *playback_; }
    SlotTrigger& Trigger() const { return *trigger_; }
    OutputDevices& Devices() const { return *devices_; }
    MainWindow& Window() const { return *window_; }
    SlotGrid& Grid() const { return *grid_; }
    TrayIcon& Tray() const { return *tray_; }
    HotkeyRegistry& Hotkeys() const { return *registry_; }
    AppState& State() { return state_; }
    SettingsStore& Settings() { return settings_; }
    SlotStore& Slots() { return slots_; }

    // The slot dialog for the current slot or a special hotkey, in the given mode; set by the
    // slot editing wiring (nothing opens until then).
    std::function<void(SlotDialogMode)> openSlotDialog;

    // Shows page n (0..5) and marks its toolbar button; pages 0..4 are remembered.
    void SelectCategory(int page);
    void ToggleOnTop();
    // Takes the window out of always-on-top when the setting is on, before a message or dialog.
    // Nothing puts it back until the switch is pressed again.
    void KeepOnTopRelease();
    void UpdateTrayIcon();
    // The hotkey master switch: slot, pause and stop hotkeys on or off.
    void ToggleHotkeys();

  private:
    void RestorePage();
    void RestoreSwitchStates();
    void RestoreVolume();
    void TriggerSlotButton(int n);

    const ProgramFolder& folder_;
    Platform platform_;
    ProfileFiles files_;
    SettingsStore settings_;
    SlotStore slots_;
    AppState state_;
    std::unique_ptr<AudioPlayer> player_;
    std::unique_ptr<SlotGrid> grid_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<ControlStripView> stripView_;
    std::unique_ptr<PlaybackControls> playback_;
    std::unique_ptr<SlotTrigger> trigger_;
    std::unique_ptr<OutputDevices> devices_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<HotkeyRegistry> registry_;
};

}  // namespace vorlune
