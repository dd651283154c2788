#pragma once

#include <QObject>
#include <memory>

#include "base/AppState.h"
#include "base/ProfileFile.h"
#include "base/ProgramFolder.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "slots/SlotStore.h"

namespace vorlune {

class HotkeyBackend;
class HotkeyRegistry;
class KeepAbove;
class MainWindow;
class SlotGrid;
class TrayIcon;

// The operating-system services the program uses; tests hand in fakes.
struct Platform {
    Prompts& prompts;
    KeepAbove& keepAbove;
    HotkeyBackend& hotkeys;
};

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

    MainWindow& Window() const { return *window_; }
    SlotGrid& Grid() const { return *grid_; }
    TrayIcon& Tray() const { return *tray_; }
    HotkeyRegistry& Hotkeys() const { return *registry_; }
    AppState& State() { return state_; }
    SettingsStore& Settings() { return settings_; }
    SlotStore& Slots() { return slots_; }

    // Shows page n (0..5) and marks its toolbar button; pages 0..4 are remembered.
    void SelectCategory(int page);
    void ToggleOnTop();
    // Takes the window out of always-on-top when the setting is on, before a message or dialog.
    // Nothing puts it back until the switch is pressed again.
    void KeepOnTopRelease();
    void UpdateTrayIcon();

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
    std::unique_ptr<SlotGrid> grid_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<HotkeyRegistry> registry_;
};

}  // namespace vorlune
