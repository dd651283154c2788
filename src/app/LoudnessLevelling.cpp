#include "app/LoudnessLevelling.h"

#include <vector>

#include "app/SwitchButton.h"
#include "audio/loudness/LoudnessLevels.h"
#include "base/SettingsStore.h"
#include "slots/SlotGrid.h"
#include "slots/SlotTrigger.h"

namespace vorlune {

LoudnessLevelling::LoudnessLevelling(SettingsStore& settings, LoudnessLevels& levels,
                                     const SlotGrid& grid, const ProgramFolder& folder,
                                     SwitchButton& levellingSwitch)
    : settings_(settings),
      levels_(levels),
      grid_(grid),
      folder_(folder),
      switch_(levellingSwitch) {}

void LoudnessLevelling::Restore() {
    switch_.ShowState(On());
}

void LoudnessLevelling::Toggle() {
    const bool on = !On();
    if (!settings_.Write(setting::kLevelling, on ? "1" : "0")) {
        return;
    }
    switch_.ShowState(On());
    MeasureSlots();
}

void LoudnessLevelling::SlotsChanged() {
    MeasureSlots();
}

float LoudnessLevelling::LevelOf(const std::string& path) const {
    if (!On()) {
        return 1.0F;
    }
    return levels_.LevelOf(path).value_or(1.0F);
}

bool LoudnessLevelling::On() const {
    return settings_.ReadInt(setting::kLevelling) == 1;
}

void LoudnessLevelling::MeasureSlots() {
    if (!On()) {
        return;
    }
    // Read from the buttons, the in-memory copy of the list: the disk is the measuring
    // thread's business.
    std::vector<std::string> paths;
    for (int n = 1; n <= kSlotCount; ++n) {
        if (const std::string path = SlotPathOf(grid_.Tag(n).toStdString()); !path.empty()) {
            paths.push_back(PlayablePath(path, folder_));
        }
    }
    levels_.Measure(paths);
}

}  // namespace vorlune
