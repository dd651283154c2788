#pragma once

#include "app/RemoteControl.h"
#include "audio/AudioPlayer.h"
#include "base/AppState.h"
#include "base/ProgramFolder.h"
#include "base/SettingsStore.h"
#include "slots/SlotStore.h"

namespace vorlune {

// Reads, afresh at each question, what a remote caller may ask about: the stored switches and
// volume, the player's sound and the slots of the live list.
class RemoteStatus final : public RemoteQueries {
  public:
    RemoteStatus(const SettingsStore& settings, const SlotStore& store, const AudioPlayer& player,
                 const AppState& state, const ProgramFolder& folder);

    [[nodiscard]] RemoteState State() const override;
    [[nodiscard]] std::vector<RemoteSlot> Slots() const override;
    [[nodiscard]] std::string SlotFile(int n) const override;

  private:
    const SettingsStore& settings_;
    const SlotStore& store_;
    const AudioPlayer& player_;
    const AppState& state_;
    const ProgramFolder& folder_;
};

}  // namespace vorlune
