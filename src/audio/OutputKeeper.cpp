#include "audio/OutputKeeper.h"

#include <algorithm>

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
    if (!saved.id.empty()) {
        if (const std::optional<int> byId =
                FirstDevice(devices, [&](const DeviceInfo& d) { return d.id == saved.id; })) {
            return byId;
        }
    }
    if (!saved.name.empty()) {
        return FirstDevice(devices, [&](const DeviceInfo& d) { return d.name == saved.name; });
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
    if (number < 1 || number > static_cast<int>(devices.size())) {
        return std::nullopt;
    }
    return number;
}

int MonitorVolume(const SettingsStore& settings) {
    return std::clamp(LeadingInt(settings.Read(setting::kMonitorVolume)), 1, 100);
}

OutputKeeper::OutputKeeper(AudioPlayer& player, const SettingsStore& settings)
    : player_(player), settings_(settings) {}

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
    const bool monitorLost =
        !monitorOpened_.empty() && std::any_of(devices.begin(), devices.end(), [&](const auto& d) {
            return d.id == monitorOpened_ && (d.flags & kDeviceOpen) == 0;
        });
    if (listing != lastListing_) {
        chosenFailed_ = false;
        defaultFailed_ = false;
        monitorFailed_ = false;
    } else {
        if (change.currentLost) {
            (usingDefault_ ? defaultFailed_ : chosenFailed_) = true;
        }
        monitorFailed_ = monitorFailed_ || monitorLost;
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
        const auto it = std::find_if(devices.begin(), devices.end(),
                                     [&](const DeviceInfo& d) { return d.id == monitorOpened_; });
        const int opened = static_cast<int>(it - devices.begin()) + 1;
        if (it != devices.end() && opened != *main && player_.SetDevice(opened)) {
            player_.Free();
            player_.SetDevice(*main);
        }
        monitorOpened_.clear();
    }
    if (!monitor) {
        return;
    }
    const bool open = player_.SetDevice(*monitor) || player_.Init(*monitor);
    player_.SetDevice(*main);
    if (!open) {
        return;
    }
    monitorOpened_ = id;
    player_.SetMonitor(*monitor);
    player_.SetMonitorLevel(static_cast<float>(MonitorVolume(settings_)) / 100.0F);
}

}  // namespace vorlune
