#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/BackgroundWrites.h"
#include "base/DataFolder.h"
#include "base/ProfileFile.h"

namespace vorlune {

// One setting of config.ini: its section, its key and the value a missing key reads as.
struct SettingKey {
    std::string_view section;
    std::string_view key;
    std::string_view fallback = {};
};

// Every setting the program uses.
namespace setting {
inline constexpr SettingKey kTitle{"软件名称", "文本", "Vorlune正式版"};
inline constexpr SettingKey kPage{"当前栏目", "值", "0"};
inline constexpr SettingKey kPageName{"当前栏目", "设置名称"};
inline constexpr SettingKey kHotkeysOn{"是否设置快捷按钮", "值"};
inline constexpr SettingKey kRepeat{"是否重复音效", "值"};
inline constexpr SettingKey kOnTop{"是否窗口置顶", "值"};
inline constexpr SettingKey kStopFade{"是否直接停止", "值"};
inline constexpr SettingKey kVolume{"音效音量", "值"};
inline constexpr SettingKey kOutputDevice{"设置", "通道"};
inline constexpr SettingKey kOutputDeviceName{"设置", "通道名称"};
// The sound server's own name of the device: tells apart devices that show the same name.
inline constexpr SettingKey kOutputDeviceId{"设置", "通道标识"};
// The monitor output: a second device on which every sound plays as well, at its own volume.
inline constexpr SettingKey kMonitorOn{"是否开启监听", "值"};
inline constexpr SettingKey kMonitorVolume{"监听音量", "值", "100"};
inline constexpr SettingKey kMonitorDevice{"监听设备", "通道"};
inline constexpr SettingKey kMonitorDeviceName{"监听设备", "通道名称"};
inline constexpr SettingKey kMonitorDeviceId{"监听设备", "通道标识"};
// The virtual microphone: on (1) or off; whether a real microphone is mixed in (0 = the board's
// sounds alone); which one, by the server's name (empty: the system's default) and by the name
// it shows, to find it again; and whether it is made the default microphone while on.
inline constexpr SettingKey kMicrophoneOn{"虚拟麦克风", "值"};
inline constexpr SettingKey kMicrophoneWithVoice{"虚拟麦克风", "混入麦克风", "1"};
inline constexpr SettingKey kMicrophoneId{"虚拟麦克风", "麦克风标识"};
inline constexpr SettingKey kMicrophoneName{"虚拟麦克风", "麦克风名称"};
inline constexpr SettingKey kMicrophoneDefault{"虚拟麦克风", "设为默认麦克风"};
// Loudness levelling: every sound at the same loudness, 1 on, anything else off.
inline constexpr SettingKey kLevelling{"音量均衡", "值"};
inline constexpr SettingKey kMasterHotkey{"音效快键控制", "值"};
inline constexpr SettingKey kPauseHotkey{"音效声场控制", "值"};
inline constexpr SettingKey kStopHotkey{"音效声场停止", "值"};
inline constexpr SettingKey kHelpAddress{"使用帮助", "地址"};
inline constexpr SettingKey kContactAddress{"使用帮助", "联系地址"};
inline constexpr SettingKey kShopAddress{"联系方式", "淘宝地址"};
}  // namespace setting

// config.ini in the data folder. Nothing is held between calls: every read goes to the file
// (through the parse cache of ProfileFiles) and every write goes to it at once, on the caller's
// thread, or, for a value that changes many times a second, on a thread of its own (a key is
// always written the same one of the two ways).
class SettingsStore {
  public:
    SettingsStore(ProfileFiles& files, const DataFolder& data);

    [[nodiscard]] std::string Path() const;
    [[nodiscard]] std::string ReadSetting(std::string_view section, std::string_view key,
                                          std::string_view fallback = {}) const;
    [[nodiscard]] std::int32_t ReadSettingInt(std::string_view section, std::string_view key) const;
    bool WriteSetting(std::string_view section, std::string_view key, std::string_view value);

    [[nodiscard]] std::string Read(const SettingKey& k) const {
        return ReadSetting(k.section, k.key, k.fallback);
    }
    [[nodiscard]] std::int32_t ReadInt(const SettingKey& k) const {
        return ReadSettingInt(k.section, k.key);
    }
    // Volume only: a decimal fraction is allowed.
    [[nodiscard]] double ReadNumber(const SettingKey& k) const;
    bool Write(const SettingKey& k, std::string_view value) {
        return WriteSetting(k.section, k.key, value);
    }
    // Queues the value for the writing thread and returns at once: the caller never waits for
    // the disk. Reads see the value from now on; it is on disk one flush after the last change,
    // and at the latest when the store is destroyed.
    void WriteInBackground(const SettingKey& k, std::string_view value);
    // Waits until every value queued so far is written.
    void Flush() { background_.Flush(); }

  private:
    ProfileFiles& files_;
    const DataFolder& data_;
    BackgroundWrites background_;
};

// A switch acts only on exactly 1 and exactly 0: the new state (true for on) after writing
// it, or nothing when the stored value is anything else and nothing was written.
std::optional<bool> ToggleSwitch(SettingsStore& settings, const SettingKey& key);

}  // namespace vorlune
