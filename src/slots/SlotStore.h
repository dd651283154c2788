#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/DataFolder.h"
#include "base/ProfileFile.h"
#include "base/ProgramFolder.h"
#include "base/SlotCount.h"
#include "base/StoredSeparator.h"

namespace vorlune {

// Stands for the program folder in stored paths.
inline constexpr std::string_view kProgramFolderMark = "[取运行目录]";
// The factory slot list, below the program folder.
inline constexpr std::string_view kFactorySlotList = R"(\Config\list.ini)";

// One slot as the store holds it.
struct SoundSlot {
    int number = 0;
    std::string name;
    std::string ref;     // "音效<n>｜<path>"
    std::string path;    // the part of ref after its last bar
    std::string hotkey;  // stored hotkey text
};

// The live slot list, Sounds/Common/list.ini in the data folder: section "音效<n>" per slot with
// the keys "名称" (name), "dz" (file reference) and "kjj" (stored hotkey text). Nothing is held
// between calls; every read goes to the file and every write goes to it at once.
class SlotStore {
  public:
    // The live list is in the data folder, the factory list in the program folder.
    SlotStore(ProfileFiles& files, const DataFolder& data, const ProgramFolder& program);

    [[nodiscard]] std::string ListPath() const;
    [[nodiscard]] std::string FactoryListPath() const;

    static std::string SectionOf(int n);
    [[nodiscard]] std::string ReadSlotName(int n, std::string_view fallback = {}) const;
    [[nodiscard]] std::string ReadSlotRef(int n) const;
    [[nodiscard]] std::string ReadSlotHotkey(int n) const;
    [[nodiscard]] SoundSlot ReadSlot(int n) const;

    // The reference written is "音效<n>｜" followed by the path.
    bool WriteSlotName(int n, std::string_view name);
    bool WriteSlotRef(int n, std::string_view path);
    bool WriteSlotHotkey(int n, std::string_view storedHotkey);
    // Deletes "名称", "dz" and "kjj", in that order; the empty section header stays.
    bool ClearSlot(int n);
    bool ClearSlotHotkey(int n);
    // Written on every confirmed exit: "当前记录" / "值" = "0".
    bool WriteExitRecord();

  private:
    bool WriteKey(int n, std::string_view key, std::optional<std::string_view> value);

    ProfileFiles& files_;
    const DataFolder& data_;
    const ProgramFolder& program_;
};

// The path part of a file reference: the text after its last bar; empty without a bar.
std::string SlotPathOf(std::string_view ref);
// The slot number of a reference: the ASCII digits of the text before its first bar; 0 when
// there is no bar or no digit.
std::int32_t SlotNumberOf(std::string_view ref);
// Whether a slot can take the file at path. The reference keeps only the text after its last
// bar, so a path holding a bar of its own would lose its folders and leave the slot unplayable.
bool SlotListCanHoldPath(std::string_view path);
// Said when a file is refused for that reason.
inline constexpr std::string_view kBarInPathMessage =
    "文件名或文件夹名中含有“｜”，音效列表无法保存它，请改名后再试！";
// Every "[取运行目录]" replaced by the program folder.
std::string ResolveSlotPath(std::string_view path, const ProgramFolder& folder);

}  // namespace vorlune
