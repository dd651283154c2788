#pragma once

#include "hotkeys/HotkeyDispatch.h"

namespace vorlune {

class HotkeySwitch;
class PlaybackControls;
class SlotGrid;
class SlotTrigger;

// What the program's hotkeys do: each runs what a click on its button does.
class HotkeyCommands final : public HotkeyActions {
  public:
    HotkeyCommands(SlotGrid& grid, SlotTrigger& trigger, PlaybackControls& playback,
                   HotkeySwitch& hotkeySwitch);

    // A click on slot button n: the slot is found from the file reference its button carries.
    void PlaySlot(int n);

    void OnSlotHotkey(std::int32_t slot) override { PlaySlot(slot); }
    void OnSpecialHotkey(SpecialHotkey which) override;

  private:
    SlotGrid& grid_;
    SlotTrigger& trigger_;
    PlaybackControls& playback_;
    HotkeySwitch& hotkeySwitch_;
};

}  // namespace vorlune
