#pragma once

#include <string>
#include <vector>

#include "app/RemoteControl.h"

namespace vorlune {

// The remote commands recorded instead of run, for tests of an endpoint without a window or a
// player: slots 8, 9 and 10 are refused as empty, missing and without an output.
class RecordedActions final : public RemoteActions {
  public:
    TriggerOutcome PlaySlotQuietly(int n) override {
        played.push_back(n);
        switch (n) {
            case 8:
                return TriggerOutcome::EmptySlot;
            case 9:
                return TriggerOutcome::MissingFile;
            case 10:
                return TriggerOutcome::NoOutput;
            default:
                return TriggerOutcome::Played;
        }
    }
    void StopSound() override { ++stops; }
    void PauseOrResume() override { ++pauses; }
    void SetHotkeys(SwitchChange change) override { hotkeys.push_back(change); }
    void SetRepeat(SwitchChange change) override { repeat.push_back(change); }
    void SetVolume(int percent) override { volume.push_back(percent); }

    std::vector<int> played;
    int stops = 0;
    int pauses = 0;
    std::vector<SwitchChange> hotkeys;
    std::vector<SwitchChange> repeat;
    std::vector<int> volume;
};

class SetQueries final : public RemoteQueries {
  public:
    [[nodiscard]] RemoteState State() const override { return state; }
    [[nodiscard]] std::vector<RemoteSlot> Slots() const override { return list; }
    [[nodiscard]] std::string SlotFile(int n) const override {
        return "/sounds/" + std::to_string(n) + ".wav";
    }
    RemoteState state{.volume = 80, .hotkeys = true};
    std::vector<RemoteSlot> list;
};

}  // namespace vorlune
