#include "audio/OutputDeviceList.h"

#include <SDL.h>

namespace vorlune {

namespace {

constexpr auto kFreshFor = std::chrono::milliseconds(500);

}  // namespace

int OutputDeviceList::Count() {
    Refresh();
    return static_cast<int>(names_.size());
}

std::optional<std::string> OutputDeviceList::Name(int device) {
    Refresh();
    if (device < 1 || device > static_cast<int>(names_.size())) {
        return std::nullopt;
    }
    return names_[static_cast<std::size_t>(device - 1)];
}

std::optional<int> OutputDeviceList::DefaultDevice() {
    Refresh();
    char* name = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&name, &spec, 0) == 0 && name != nullptr) {
        const std::string defaultName = name;
        SDL_free(name);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (names_[i] == defaultName) {
                return static_cast<int>(i + 1);
            }
        }
    }
    // Drivers that cannot name their default list only the default itself.
    if (names_.size() == 1) {
        return 1;
    }
    return std::nullopt;
}

void OutputDeviceList::Refresh() {
    const auto now = std::chrono::steady_clock::now();
    if (read_ && now - readAt_ < kFreshFor) {
        return;
    }
    names_.clear();
    const int count = SDL_WasInit(SDL_INIT_AUDIO) != 0 ? SDL_GetNumAudioDevices(0) : 0;
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        names_.emplace_back(name != nullptr ? name : "");
    }
    read_ = true;
    readAt_ = now;
}

}  // namespace vorlune
