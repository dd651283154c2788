#include "audio/OutputKeeper.h"

#include <algorithm>

#include "audio/MicrophoneSystem.h"
#include "base/NumberText.h"

namespace vorlune {

namespace {

std::vector<std::pair<std::string, std::uint32_t>> ListingOf(
    const std::vector<DeviceInfo>& devices) {
    std::vector<std::pair<std::string, std::uint32_t>> listing;
    listing.reserve(devices.size());
    for (const DeviceInfo& device : devices) {
        listing.emplace_back(device.id, device.serial);
    }
    return listing;
}

// The number of the first device `match` accepts, if any.
template <typename Match>
std::optional<int> FirstDevice(const std::vector<DeviceInfo>& devices, Match match) {
    const auto it = std::find_if(devices.begin(), devices.end(), match);
    if (it == devices.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - devices.begin()) + 1;
}

}  // namespace

SavedDevice ReadSavedDevice(const SettingsStore& settings, const DeviceKeys& keys) {
    return SavedDevice{settings.Read(keys.name), settings.Read(keys.number),
                       settings.Read(keys.id)};
}

void SaveDevice(SettingsStore& settings, const DeviceKeys& keys, int device,
                const DeviceInfo& info) {
    settings.Write(keys.number, std::to_string(device));
    settings.Write(keys.name, info.name);
    settings.Write(keys.id, info.id);
}

std::optional<int> FindSavedDevice(const SavedDevice& saved,
                                   const std::vector<DeviceInfo>& devices) {
    const auto mine = [](const DeviceInfo& d) { return IsVirtualMicrophoneDevice(d.id); };
    if (!saved.id.empty()) {
        if (const std::optional<int> byId = FirstDevice(
                devices, [&](const DeviceInfo& d) { return d.id == saved.id && !mine(d); })) {
            return byId;
        }
    }
    if (!saved.name.empty()) {
        return FirstDevice(devices,
                           [&](const DeviceInfo& d) { return d.name == saved.name && !mine(d); });
    }
    if (!saved.id.empty()) {
        return std::nullopt;
    }
    if (saved.number.empty()) {
        return kDefaultDevice;
    }
    const int number = LeadingInt(saved.number);
    if (number == kDefaultDevice) {
        return kDefaultDevice;
    }
    if (number < 1 || number > static_cast<int>(devices.size()) ||
        mine(devices[static_cast<std::size_t>(number - 1)])) {
        return std::nullopt;
    }
    return number;
}

int MonitorVolume(const SettingsStore& settings) {
    return std::clamp(LeadingInt(settings.Read(setting::kMonitorVolume)), 1, 100);
}

OutputKeeper::OutputKeeper(AudioPlayer& player, const SettingsStore& settings,
                           std::function<bool()> mixWanted)
    : player_(player), settings_(settings), mixWanted_(std::move(mixWanted)) {}

bool OutputKeeper::Use(int device) {
    return player_.CurrentDevice() == device || player_.SetDevice(device) || player_.Init(device);
}

OutputKeeper::Change OutputKeeper::Update() {
    Change change;
    change.before = state_;
    const std::optional<int> current = player_.CurrentDevice();
    change.currentLost = hadOutput_ && !current;

    const std::vector<DeviceInfo> devices = ListDevices(player_);
    auto listing = ListingOf(devices);
    const std::optional<int> chosen =
        FindSavedDevice(ReadSavedDevice(settings_, kOutputDeviceKeys), devices);
    const auto lost = [&](const std::string& opened) {
        return !opened.empty() && std::any_of(devices.begin(), devices.end(), [&](const auto& d) {
            return d.id == opened && (d.flags & kDeviceOpen) == 0;
        });
    };
    if (listing != lastListing_) {
        chosenFailed_ = false;
        defaultFailed_ = false;
        monitorFailed_ = false;
        mixFailed_ = false;
    } else {
        if (change.currentLost) {
            (usingDefault_ ? defaultFailed_ : chosenFailed_) = true;
        }
        monitorFailed_ = monitorFailed_ || lost(monitorOpened_);
        mixFailed_ = mixFailed_ || lost(mixOpened_);
    }
    lastListing_ = std::move(listing);
    // The chosen device open and alive (applied again by the user) has not failed.
    if (current && chosen && *current == *chosen) {
        chosenFailed_ = false;
    }

    const bool chosenIsDefault = chosen == kDefaultDevice;
    if (chosen && !chosenIsDefault && !chosenFailed_ && Use(*chosen)) {
        state_ = Main::Chosen;
        usingDefault_ = false;
        CloseIdleDefault();
    } else if (!defaultFailed_ && Use(kDefaultDevice)) {
        state_ = chosenIsDefault ? Main::Chosen : Main::Fallback;
        usingDefault_ = true;
    } else {
        state_ = Main::None;
    }
    hadOutput_ = state_ != Main::None;
    change.after = state_;
    UpdateMonitor(devices);
    UpdateMix(devices);
    return change;
}

void OutputKeeper::CloseIdleDefault() {
    const std::optional<int> main = player_.CurrentDevice();
    if (!main || player_.IsActive(player_.CurrentStream()) != ChannelState::Stopped ||
        !player_.SetDevice(kDefaultDevice)) {
        return;
    }
    player_.Free();
    player_.SetDevice(*main);
}

std::optional<int> OutputKeeper::MonitorDevice(const std::vector<DeviceInfo>& devices,
                                               int main) const {
    if (settings_.ReadInt(setting::kMonitorOn) != 1) {
        return std::nullopt;
    }
    if (monitorFailed_) {
        return std::nullopt;
    }
    const std::optional<int> monitor =
        FindSavedDevice(ReadSavedDevice(settings_, kMonitorDeviceKeys), devices);
    if (!monitor || *monitor == kDefaultDevice || *monitor == main) {
        return std::nullopt;
    }
    // The default output plays on the default device: the monitor would only double it.
    const DeviceInfo& info = devices[static_cast<std::size_t>(*monitor - 1)];
    if (main == kDefaultDevice && (info.flags & kDeviceDefault) != 0) {
        return std::nullopt;
    }
    return monitor;
}

void OutputKeeper::CloseTwinDevice(TwinOutput output, std::string& opened,
                                   const std::vector<DeviceInfo>& devices, int main) {
    const auto it = std::find_if(devices.begin(), devices.end(),
                                 [&](const DeviceInfo& d) { return d.id == opened; });
    const int number = static_cast<int>(it - devices.begin()) + 1;
    if (it != devices.end() && number != main) {
        player_.CloseTwinDevice(output, number);
    }
    opened.clear();
}

bool OutputKeeper::OpenBeside(int device, int main) {
    const bool open = player_.SetDevice(device) || player_.Init(device);
    player_.SetDevice(main);
    return open;
}

void OutputKeeper::UpdateMonitor(const std::vector<DeviceInfo>& devices) {
    player_.SetMonitor(std::nullopt);
    const std::optional<int> main = player_.CurrentDevice();
    if (!main) {
        return;
    }
    const std::optional<int> monitor = MonitorDevice(devices, *main);
    const std::string id =
        monitor ? devices[static_cast<std::size_t>(*monitor - 1)].id : std::string();
    // The device opened for the monitor is closed once the monitor has left it (switched off
    // or moved), unless it has become the output device meanwhile.
    if (!monitorOpened_.empty() && monitorOpened_ != id) {
        CloseTwinDevice(TwinOutput::Monitor, monitorOpened_, devices, *main);
    }
    if (!monitor) {
        return;
    }
    if (!OpenBeside(*monitor, *main)) {
        return;
    }
    monitorOpened_ = id;
    player_.SetMonitor(*monitor);
    player_.SetMonitorLevel(static_cast<float>(MonitorVolume(settings_)) / 100.0F);
}

void OutputKeeper::UpdateMix(const std::vector<DeviceInfo>& devices) {
    player_.SetTwinDevice(TwinOutput::Mix, std::nullopt);
    const std::optional<int> main = player_.CurrentDevice();
    if (!main) {
        return;
    }
    const auto it = std::find_if(devices.begin(), devices.end(), [](const DeviceInfo& d) {
        return d.id == kVirtualMicrophoneSink;
    });
    const bool wanted = it != devices.end() && !mixFailed_ && mixWanted_();
    // Left alone while a sound still plays there: it ends on the virtual microphone as it ends
    // on the main output.
    if (!wanted && !mixOpened_.empty() && !player_.TwinPlays(TwinOutput::Mix)) {
        CloseTwinDevice(TwinOutput::Mix, mixOpened_, devices, *main);
    }
    if (!wanted) {
        return;
    }
    const int sink = static_cast<int>(it - devices.begin()) + 1;
    if (!OpenBeside(sink, *main)) {
        return;
    }
    mixOpened_ = it->id;
    player_.SetTwinDevice(TwinOutput::Mix, sink);
}

}  // namespace vorlune
