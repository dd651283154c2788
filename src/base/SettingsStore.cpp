#include "base/SettingsStore.h"

#include "base/NumberText.h"

namespace vorlune {

SettingsStore::SettingsStore(ProfileFiles& files, const DataFolder& data)
    : files_(files), data_(data), background_(files) {}

std::string SettingsStore::Path() const {
    return data_.Join(kConfigFile);
}

std::string SettingsStore::ReadSetting(std::string_view section, std::string_view key,
                                       std::string_view fallback) const {
    const std::string path = Path();
    if (std::optional<std::string> queued = background_.Pending(path, section, key)) {
        return *std::move(queued);
    }
    return files_.Read(path, section, key, fallback);
}

std::int32_t SettingsStore::ReadSettingInt(std::string_view section, std::string_view key) const {
    return LeadingInt(ReadSetting(section, key));
}

double SettingsStore::ReadNumber(const SettingKey& k) const {
    return LeadingNumber(ReadSetting(k.section, k.key));
}

bool SettingsStore::WriteSetting(std::string_view section, std::string_view key,
                                 std::string_view value) {
    return files_.Write(Path(), section, key, value);
}

void SettingsStore::WriteInBackground(const SettingKey& k, std::string_view value) {
    background_.Queue(Path(), k.section, k.key, value);
}

std::optional<bool> ToggleSwitch(SettingsStore& settings, const SettingKey& key) {
    const std::int32_t value = settings.ReadInt(key);
    if (value == 1) {
        settings.Write(key, "0");
        return false;
    }
    if (value == 0) {
        settings.Write(key, "1");
        return true;
    }
    return std::nullopt;
}

}  // namespace vorlune
