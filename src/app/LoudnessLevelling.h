#pragma once

#include <string>

namespace vorlune {

class LoudnessLevels;
class ProgramFolder;
class SettingsStore;
class SlotGrid;
class SwitchButton;

// The switch "音量均衡" on the settings page: while it is on, each sound plays at the gain that
// brings its file to the same loudness as the others, before the master volume. Off unless
// config.ini holds 1. While it is on, the slots' files are measured in the background after
// every load or change of the slots; a file not measured yet plays at its own level.
class LoudnessLevelling {
  public:
    LoudnessLevelling(SettingsStore& settings, LoudnessLevels& levels, const SlotGrid& grid,
                      const ProgramFolder& folder, SwitchButton& levellingSwitch);

    // At start: shows the stored state (the slots' load has had their files measured).
    void Restore();
    // The switch: turns it on unless it is exactly 1, and off then.
    void Toggle();
    // The slots were loaded or changed: their files are measured while the switch is on.
    void SlotsChanged();
    // The player's factor for a new stream; 1.0 while the switch is off or the file unmeasured.
    [[nodiscard]] float LevelOf(const std::string& path) const;

  private:
    [[nodiscard]] bool On() const;
    void MeasureSlots();

    SettingsStore& settings_;
    LoudnessLevels& levels_;
    const SlotGrid& grid_;
    const ProgramFolder& folder_;
    SwitchButton& switch_;
};

}  // namespace vorlune
