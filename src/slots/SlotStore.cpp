#include "slots/SlotStore.h"

#include "base/NumberText.h"

namespace vorlune {
namespace {

constexpr std::string_view kNameKey = "名称";
constexpr std::string_view kRefKey = "dz";
constexpr std::string_view kHotkeyKey = "kjj";

}  // namespace

SlotStore::SlotStore(ProfileFiles& files, const DataFolder& data, const ProgramFolder& program)
    : files_(files), data_(data), program_(program) {}

std::string SlotStore::ListPath() const {
    return data_.Join(kLiveSlotList);
}
std::string SlotStore::FactoryListPath() const {
    return program_.Join(kFactorySlotList);
}

std::string SlotStore::SectionOf(int n) {
    return "音效" + std::to_string(n);
}

std::string SlotStore::ReadSlotName(int n, std::string_view fallback) const {
    return files_.Read(ListPath(), SectionOf(n), kNameKey, fallback);
}

std::string SlotStore::ReadSlotRef(int n) const {
    return files_.Read(ListPath(), SectionOf(n), kRefKey);
}

std::string SlotStore::ReadSlotHotkey(int n) const {
    return files_.Read(ListPath(), SectionOf(n), kHotkeyKey);
}

SoundSlot SlotStore::ReadSlot(int n) const {
    SoundSlot slot;
    slot.number = n;
    slot.name = ReadSlotName(n);
    slot.ref = ReadSlotRef(n);
    slot.path = SlotPathOf(slot.ref);
    slot.hotkey = ReadSlotHotkey(n);
    return slot;
}

bool SlotStore::WriteKey(int n, std::string_view key, std::optional<std::string_view> value) {
    return files_.Write(ListPath(), SectionOf(n), key, value);
}

bool SlotStore::WriteSlotName(int n, std::string_view name) {
    return WriteKey(n, kNameKey, name);
}

bool SlotStore::WriteSlotRef(int n, std::string_view path) {
    return WriteKey(n, kRefKey, SectionOf(n) + std::string(kStoredSeparator) + std::string(path));
}

bool SlotStore::WriteSlotHotkey(int n, std::string_view storedHotkey) {
    return WriteKey(n, kHotkeyKey, storedHotkey);
}

bool SlotStore::ClearSlot(int n) {
    const bool name = WriteKey(n, kNameKey, std::nullopt);
    const bool ref = WriteKey(n, kRefKey, std::nullopt);
    const bool hotkey = WriteKey(n, kHotkeyKey, std::nullopt);
    return name && ref && hotkey;
}

bool SlotStore::ClearSlotHotkey(int n) {
    return WriteKey(n, kHotkeyKey, std::nullopt);
}

bool SlotStore::WriteExitRecord() {
    return files_.Write(ListPath(), "当前记录", "值", "0");
}

std::string SlotPathOf(std::string_view ref) {
    const std::size_t bar = ref.rfind(kStoredSeparator);
    return bar == std::string_view::npos ? std::string()
                                         : std::string(ref.substr(bar + kStoredSeparator.size()));
}

std::int32_t SlotNumberOf(std::string_view ref) {
    const std::size_t bar = ref.find(kStoredSeparator);
    if (bar == std::string_view::npos) {
        return 0;
    }
    std::string digits;
    for (const char c : ref.substr(0, bar)) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    return digits.empty() ? 0 : LeadingInt(digits);
}

bool SlotListCanHoldPath(std::string_view path) {
    return path.find(kStoredSeparator) == std::string_view::npos;
}

std::string ResolveSlotPath(std::string_view path, const ProgramFolder& folder) {
    std::string out;
    std::size_t pos = 0;
    for (std::size_t at = path.find(kProgramFolderMark); at != std::string_view::npos;
         at = path.find(kProgramFolderMark, pos)) {
        out.append(path.substr(pos, at - pos)).append(folder.Path());
        pos = at + kProgramFolderMark.size();
    }
    out.append(path.substr(pos));
    return out;
}

}  // namespace vorlune
