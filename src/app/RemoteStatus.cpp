#include "app/RemoteStatus.h"

#include <sys/stat.h>

#include "hotkeys/HotkeyText.h"
#include "slots/SlotLayout.h"

namespace vorlune {
namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

RemoteStatus::RemoteStatus(const SettingsStore& settings, const SlotStore& store,
                           const AudioPlayer& player, const AppState& state,
                           const ProgramFolder& folder)
    : settings_(settings), store_(store), player_(player), state_(state), folder_(folder) {}

RemoteState RemoteStatus::State() const {
    const ChannelState sound = player_.IsActive(player_.CurrentStream());
    return {.slot = sound == ChannelState::Stopped ? 0 : state_.lastTriggered.number,
            .paused = sound == ChannelState::Paused,
            .volume = settings_.ReadInt(setting::kVolume),
            .hotkeys = settings_.ReadInt(setting::kHotkeysOn) == 1,
            .repeat = settings_.ReadInt(setting::kRepeat) == 1};
}

std::vector<RemoteSlot> RemoteStatus::Slots() const {
    std::vector<RemoteSlot> list;
    list.reserve(kSlotCount);
    for (int n = 1; n <= kSlotCount; ++n) {
        const SoundSlot slot = store_.ReadSlot(n);
        list.push_back({.number = n,
                        .page = CellOfSlot(n).page + 1,
                        .name = slot.name,
                        .hotkey = StoredToDisplay(slot.hotkey),
                        .fileFound = IsRegularFile(PlayablePath(slot.path, folder_))});
    }
    return list;
}

std::string RemoteStatus::SlotFile(int n) const {
    return PlayablePath(SlotPathOf(store_.ReadSlotRef(n)), folder_);
}

}  // namespace vorlune
