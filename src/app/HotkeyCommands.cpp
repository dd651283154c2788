#include "app/HotkeyCommands.h"

#include <QSlider>

#include "app/HotkeySwitch.h"
#include "audio/controls/PlaybackControls.h"
#include "base/SettingsStore.h"
#include "slots/SlotGrid.h"
#include "slots/SlotTrigger.h"

namespace vorlune {
namespace {

// Whether a switch stored under `key` is to be toggled for `change`: on and off act only when
// the stored value is the other one.
bool NeedsToggle(const SettingsStore& settings, const SettingKey& key, SwitchChange change) {
    const std::int32_t stored = settings.ReadInt(key);
    switch (change) {
        case SwitchChange::On:
            return stored == 0;
        case SwitchChange::Off:
            return stored == 1;
        case SwitchChange::Toggle:
            break;
    }
    return true;
}

}  // namespace

HotkeyCommands::HotkeyCommands(SlotGrid& grid, SlotTrigger& trigger, PlaybackControls& playback,
                               HotkeySwitch& hotkeySwitch, const SettingsStore& settings,
                               QSlider& volume)
    : grid_(grid),
      trigger_(trigger),
      playback_(playback),
      hotkeySwitch_(hotkeySwitch),
      settings_(settings),
      volume_(volume) {}

void HotkeyCommands::PlaySlot(int n) {
    trigger_.TriggerSlot(grid_.Tag(n).toStdString());
}

void HotkeyCommands::OnSpecialHotkey(SpecialHotkey which) {
    switch (which) {
        case SpecialHotkey::Pause:
            PauseOrResume();
            return;
        case SpecialHotkey::Stop:
            StopSound();
            return;
        case SpecialHotkey::MasterSwitch:
            hotkeySwitch_.Toggle();
            return;
    }
}

TriggerOutcome HotkeyCommands::PlaySlotQuietly(int n) {
    return trigger_.PlaySlot(grid_.Tag(n).toStdString());
}

void HotkeyCommands::StopSound() {
    playback_.StopSound();
}

void HotkeyCommands::PauseOrResume() {
    playback_.PauseOrResume();
}

void HotkeyCommands::SetHotkeys(SwitchChange change) {
    if (NeedsToggle(settings_, setting::kHotkeysOn, change)) {
        hotkeySwitch_.Toggle();
    }
}

void HotkeyCommands::SetRepeat(SwitchChange change) {
    if (NeedsToggle(settings_, setting::kRepeat, change)) {
        playback_.ToggleRepeat();
    }
}

void HotkeyCommands::SetVolume(int percent) {
    // The slider's own change runs what a drag runs: the label, the sound and config.ini.
    volume_.setValue(percent);
}

}  // namespace vorlune
