#pragma once

#include "app/RemoteControl.h"
#include "hotkeys/HotkeyDispatch.h"

class QSlider;

namespace vorlune {

class HotkeySwitch;
class PlaybackControls;
class SettingsStore;
class SlotGrid;
class SlotTrigger;

// The program's commands, one layer for every way in: each runs what a click on its control
// does, for a click, a hotkey and a remote call alike. A remote call differs only in that no
// message box opens (nobody may be there to answer it) and the master switch does not apply
// (it governs hotkeys, and a remote call is none).
class HotkeyCommands final : public HotkeyActions, public RemoteActions {
  public:
    HotkeyCommands(SlotGrid& grid, SlotTrigger& trigger, PlaybackControls& playback,
                   HotkeySwitch& hotkeySwitch, const SettingsStore& settings, QSlider& volume);

    // A click on slot button n: the slot is found from the file reference its button carries.
    void PlaySlot(int n);

    void OnSlotHotkey(std::int32_t slot) override { PlaySlot(slot); }
    void OnSpecialHotkey(SpecialHotkey which) override;

    TriggerOutcome PlaySlotQuietly(int n) override;
    void StopSound() override;
    void PauseOrResume() override;
    void SetHotkeys(SwitchChange change) override;
    void SetRepeat(SwitchChange change) override;
    void SetVolume(int percent) override;

  private:
    SlotGrid& grid_;
    SlotTrigger& trigger_;
    PlaybackControls& playback_;
    HotkeySwitch& hotkeySwitch_;
    const SettingsStore& settings_;
    QSlider& volume_;
};

}  // namespace vorlune
