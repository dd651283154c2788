#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/AudioPlayer.h"
#include "base/SettingsStore.h"

namespace vorlune {

// The settings that remember a device: "通道" (its number), "通道名称" (the name it shows) and
// "通道标识" (the sound server's own name), in one section.
struct DeviceKeys {
    SettingKey number;
    SettingKey name;
    SettingKey id;
};
inline constexpr DeviceKeys kOutputDeviceKeys{setting::kOutputDevice, setting::kOutputDeviceName,
                                              setting::kOutputDeviceId};
inline constexpr DeviceKeys kMonitorDeviceKeys{setting::kMonitorDevice, setting::kMonitorDeviceName,
                                               setting::kMonitorDeviceId};

// A saved output device: the server's name for it and the name it shows when they were saved,
// else its number ("设置"/"通道" alone, as older files have it), else nothing (the system's
// default).
struct SavedDevice {
    std::string name;
    std::string number;
    std::string id;
};
SavedDevice ReadSavedDevice(const SettingsStore& settings, const DeviceKeys& keys);
// Remembers device `device` (a number, or kDefaultDevice with no name) as chosen.
void SaveDevice(SettingsStore& settings, const DeviceKeys& keys, int device,
                const DeviceInfo& info);

// The number device `saved` has in `devices` (devices 1..N, in order): found by the server's
// name first, then by the name shown when one was saved, by its number only when neither was.
// kDefaultDevice when nothing was saved; nothing when the saved device is not there. The
// program's own sink (the virtual microphone's) is never found: nothing but its twins plays there.
std::optional<int> FindSavedDevice(const SavedDevice& saved,
                                   const std::vector<DeviceInfo>& devices);

// The monitor's volume as saved: 1..100 percent, 100 when none was saved.
int MonitorVolume(const SettingsStore& settings);

// Keeps the player on the right outputs as devices come and go: the output device the user
// chose, found again by its name; the system's default while that one is missing, without
// saving it; the chosen one again as soon as it is back. And the monitor device, when it is
// switched on and there (it is simply left out while it is missing). And the virtual microphone's
// sink while the microphone is on: opened when it is listed, every new sound played there too at
// the main level; once the microphone is off no new sound goes there, and the sink is closed when
// nothing plays on it any more. The settings are read at every look, like every other setting.
class OutputKeeper {
  public:
    enum class Main {
        Chosen,    // the chosen device plays (or the system default, when that was chosen)
        Fallback,  // the chosen device is missing: the system default plays instead
        None,      // no output at all
    };
    struct Change {
        Main before = Main::Chosen;
        Main after = Main::Chosen;
        // The output that was current went away, and whatever played on it with it.
        bool currentLost = false;
    };

    // `mixWanted` answers whether the virtual microphone is on, so that sounds go to its sink.
    OutputKeeper(
        AudioPlayer& player, const SettingsStore& settings,
        std::function<bool()> mixWanted = [] { return false; });

    // Looks at the outputs as they are now and puts the player on the right ones. Run before
    // every sound and whenever the outputs change.
    Change Update();
    [[nodiscard]] Main State() const { return state_; }
    // Whether the monitor plays along: switched on, there, and another device than the main.
    [[nodiscard]] bool MonitorPlays() const { return player_.Monitor().has_value(); }
    // Whether new sounds go to the virtual microphone's sink too.
    [[nodiscard]] bool MixPlays() const { return player_.TwinDevice(TwinOutput::Mix).has_value(); }

  private:
    // The device made current, or the device already current.
    bool Use(int device);
    // The monitor's device: switched on, there, and neither the main device nor the one the
    // main output plays on.
    [[nodiscard]] std::optional<int> MonitorDevice(const std::vector<DeviceInfo>& devices,
                                                   int main) const;
    void UpdateMonitor(const std::vector<DeviceInfo>& devices);
    // Opens `device` for a second output (or finds it open), the main one current again.
    bool OpenBeside(int device, int main);
    void UpdateMix(const std::vector<DeviceInfo>& devices);
    // Closes the device a twin output opened (by the server's name) unless it is the main
    // device; `opened` is cleared.
    void CloseTwinDevice(TwinOutput output, std::string& opened,
                         const std::vector<DeviceInfo>& devices, int main);
    // Closes the default output once the chosen device plays and nothing is left on it.
    void CloseIdleDefault();

    AudioPlayer& player_;
    const SettingsStore& settings_;
    std::function<bool()> mixWanted_;
    Main state_ = Main::Chosen;
    bool hadOutput_ = false;
    bool usingDefault_ = false;
    // An output that was lost while the list stayed as it is (it failed rather than went) is
    // not opened again until the list changes: it would only fail again, and again. A device
    // that went and came back is listed anew (another serial), so it is tried again.
    std::vector<std::pair<std::string, std::uint32_t>> lastListing_;
    bool chosenFailed_ = false;
    bool defaultFailed_ = false;
    bool monitorFailed_ = false;
    bool mixFailed_ = false;
    // The server's names of the devices opened for the monitor and for the virtual microphone.
    std::string monitorOpened_;
    std::string mixOpened_;
};

}  // namespace vorlune
