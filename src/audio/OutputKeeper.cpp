#include "audio/OutputKeeper.h"

#include <algorithm>

#include "base/NumberText.h"

namespace vorlune {

namespace {

std::vector<std::string> NamesOf(const std::vector<DeviceInfo>& devices) {
    std::vector<std::string> names;
    names.reserve(devices.size());
    for (const DeviceInfo& device : devices) {
        names.push_back(device.name);
    }
    return names;
}

}  // namespace

SavedDevice ReadSavedDevice(const SettingsStore& settings, const SettingKey& numberKey,
                            const SettingKey& nameKey) {
    return SavedDevice{settings.Read(nameKey), settings.Read(numberKey)};
}

std::optional<int> FindSavedDevice(const SavedDevice& saved,
                                   const std::vector<std::string>& names) {
    if (!saved.name.empty()) {
        const auto it = std::find(names.begin(), names.end(), saved.name);
        if (it == names.end()) {
            return std::nullopt;
        }
        return static_cast<int>(it - names.begin()) + 1;
    }
    if (saved.number.empty()) {
        return kDefaultDevice;
    }
    const int number = LeadingInt(saved.number);
    if (number == kDefaultDevice) {
        return kDefaultDevice;
    }
    if (number < 1 || number > static_cast<int>(names.size())) {
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
    std::vector<std::string> names = NamesOf(devices);
    const SavedDevice saved =
        ReadSavedDevice(settings_, setting::kOutputDevice, setting::kOutputDeviceName);
    const std::optional<int> chosen = FindSavedDevice(saved, names);
    if (names != lastNames_) {
        chosenFailed_ = false;
        defaultFailed_ = false;
    } else if (change.currentLost) {
        (usingDefault_ ? defaultFailed_ : chosenFailed_) = true;
    }
    lastNames_ = std::move(names);

    const bool chosenIsDefault = chosen == kDefaultDevice;
    if (chosen && !chosenIsDefault && !chosenFailed_ && Use(*chosen)) {
        state_ = Main::Chosen;
        usingDefault_ = false;
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

std::optional<int> OutputKeeper::MonitorDevice(const std::vector<DeviceInfo>& devices,
                                               int main) const {
    if (settings_.ReadInt(setting::kMonitorOn) != 1) {
        return std::nullopt;
    }
    const std::optional<int> monitor = FindSavedDevice(
        ReadSavedDevice(settings_, setting::kMonitorDevice, setting::kMonitorDeviceName),
        NamesOf(devices));
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
    const std::string name =
        monitor ? devices[static_cast<std::size_t>(*monitor - 1)].name : std::string();
    // The device opened for the monitor is closed once the monitor has left it (switched off
    // or moved), unless it has become the output device meanwhile.
    if (!monitorOpened_.empty() && monitorOpened_ != name) {
        const auto it = std::find_if(devices.begin(), devices.end(),
                                     [&](const DeviceInfo& d) { return d.name == monitorOpened_; });
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
    monitorOpened_ = name;
    player_.SetMonitor(*monitor);
    player_.SetMonitorLevel(static_cast<float>(MonitorVolume(settings_)) / 100.0F);
}

}  // namespace vorlune
