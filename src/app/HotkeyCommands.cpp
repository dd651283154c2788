#include "app/HotkeyCommands.h"

#include "app/HotkeySwitch.h"
#include "audio/controls/PlaybackControls.h"
#include "slots/SlotGrid.h"
#include "slots/SlotTrigger.h"

namespace vorlune {

HotkeyCommands::HotkeyCommands(SlotGrid& grid, SlotTrigger& trigger, PlaybackControls& playback,
                               HotkeySwitch& hotkeySwitch)
    : grid_(grid), trigger_(trigger), playback_(playback), hotkeySwitch_(hotkeySwitch) {}

void HotkeyCommands::PlaySlot(int n) {
    trigger_.TriggerSlot(grid_.Tag(n).toStdString());
}

void HotkeyCommands::OnSpecialHotkey(SpecialHotkey which) {
    switch (which) {
        case SpecialHotkey::Pause:
            playback_.PauseOrResume();
            return;
        case SpecialHotkey::Stop:
            playback_.StopSound();
            return;
        case SpecialHotkey::MasterSwitch:
            hotkeySwitch_.Toggle();
            return;
    }
}

}  // namespace vorlune
