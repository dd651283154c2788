// Checks the files shipped in the program folder as they are kept in resources/: the factory
// slot list must only name sounds that ship, keep each reference to its own slot, give no two
// slots (nor a control hotkey) the same combination, and use key names the registration
// accepts; config.ini must be GBK text with the settings the program starts from.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/GbkText.h"
#include "base/ProfileFile.h"
#include "base/SettingsStore.h"
#include "hotkeys/HotkeyText.h"
#include "hotkeys/KeyNames.h"

namespace vorlune {
namespace {

namespace fs = std::filesystem;

const fs::path kResources = VORLUNE_RESOURCES_DIR;
const std::string kFactoryList = (kResources / "config" / "list.ini").string();
const std::string kConfig = (kResources / "config" / "config.ini").string();
constexpr std::string_view kMissing = "\x01missing";
constexpr std::string_view kShippedFolder = "[取运行目录]\\Sounds\\Common\\";

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The category page that shows slot n. Rows 1-6 of the pages hold 1-36, 37-71 (slot 37 covers
// two cells), 72-107, 108-143 and 144-179; row 7 holds six more each, 180-185 on page 0 and so on.
int PageOfSlot(int n) {
    constexpr std::array<int, 5> kLastOfPage{36, 71, 107, 143, 179};
    if (n >= 180) {
        return (n - 180) / 6;
    }
    int page = 0;
    while (n > kLastOfPage[page]) {
        ++page;
    }
    return page;
}

// The file name of a shipped sound (the part after the shipped folder), or empty text when the
// path does not point into that folder.
std::string ShippedFileName(const std::string& path) {
    if (path.rfind(kShippedFolder, 0) != 0) {
        return {};
    }
    return path.substr(kShippedFolder.size());
}

// True when every byte decoded as GBK (no escaped stray bytes) and every line ends in CRLF.
void ExpectGbkWithCrlf(const std::string& bytes, const std::string& what) {
    ASSERT_FALSE(bytes.empty()) << what;
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << what << " must not carry a UTF-8 mark";
    const std::string text = GbkToUtf8(bytes);
    for (std::size_t pos = 0; pos < text.size();) {
        const CodePoint cp = NextCodePoint(text, pos);
        ASSERT_LT(cp.value, char32_t{0x10FF00})
            << what << ": a byte that is not GBK near offset " << pos;
        pos += cp.length;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << what << ": a line without CRLF";
        }
    }
    EXPECT_EQ(bytes.back(), '\n') << what << " ends without a line break";
}

TEST(FactoryList, EveryNamedSlotPlaysAShippedSoundOfItsOwn) {
    ProfileFiles files;
    std::set<std::string> shipped;
    for (const auto& entry : fs::directory_iterator(kResources / "sounds")) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".wav" || ext == ".mp3") {
            shipped.insert(entry.path().filename().string());
        }
    }
    ASSERT_GE(shipped.size(), 24u);

    std::map<int, int> soundsPerPage;
    std::set<std::string> used;
    for (int n = 1; n <= 209; ++n) {
        const std::string section = "音效" + std::to_string(n);
        const std::string name = files.Read(kFactoryList, section, "名称", kMissing);
        const std::string ref = files.Read(kFactoryList, section, "dz", kMissing);
        const std::string hotkey = files.Read(kFactoryList, section, "kjj", kMissing);
        if (name == kMissing) {
            EXPECT_EQ(ref, kMissing) << section << " has a file but no name";
            EXPECT_EQ(hotkey, kMissing) << section << " has a hotkey but no name";
            continue;
        }
        EXPECT_FALSE(name.empty()) << section;
        // The trigger path takes the slot number from the reference, so it must be its own.
        EXPECT_EQ(ref.rfind(section + "｜", 0), 0u) << section << ": " << ref;
        const std::string path = ref.substr(ref.rfind("｜") + std::string_view("｜").size());
        const std::string file = ShippedFileName(path);
        EXPECT_TRUE(shipped.count(file)) << section << " names " << path << ", which does not ship";
        used.insert(file);
        ++soundsPerPage[PageOfSlot(n)];
    }
    for (int page = 0; page < 5; ++page) {
        EXPECT_GE(soundsPerPage[page], 3) << "page " << page;
    }
    for (const std::string& file : shipped) {
        EXPECT_TRUE(used.count(file)) << file << " ships but no slot plays it";
    }
    // Nothing beyond the 209 slots: a stray section would never show.
    EXPECT_EQ(files.Read(kFactoryList, "音效0", "名称", kMissing), kMissing);
    EXPECT_EQ(files.Read(kFactoryList, "音效210", "名称", kMissing), kMissing);
}

TEST(FactoryList, HotkeysRegisterAndNeverShareACombination) {
    ProfileFiles files;
    struct Holder {
        std::string owner;
        std::string stored;
    };
    std::vector<Holder> hotkeys;
    for (int n = 1; n <= 209; ++n) {
        const std::string section = "音效" + std::to_string(n);
        const std::string stored = files.Read(kFactoryList, section, "kjj");
        if (!stored.empty()) {
            hotkeys.push_back({section, stored});
        }
    }
    ASSERT_GE(hotkeys.size(), 3u);
    for (const SettingKey& key :
         {setting::kMasterHotkey, setting::kPauseHotkey, setting::kStopHotkey}) {
        const std::string stored = files.Read(kConfig, key.section, key.key);
        ASSERT_FALSE(stored.empty()) << key.section;
        hotkeys.push_back({std::string(key.section), stored});
    }

    std::map<std::pair<std::uint32_t, std::int32_t>, std::string> holders;
    for (const Holder& h : hotkeys) {
        const std::string modifier = HotkeyModifierPart(h.stored);
        const std::string keyName = HotkeyKeyPart(h.stored);
        // One modifier word at most, and one that the registration knows.
        EXPECT_EQ(h.stored.find("｜"), h.stored.rfind("｜")) << h.owner << ": " << h.stored;
        if (!modifier.empty()) {
            EXPECT_NE(ModifierFlags(modifier), 0u) << h.owner << ": " << h.stored;
        }
        EXPECT_NE(KeyNameToCode(keyName), 0)
            << h.owner << ": key name " << keyName << " is not accepted";
        const HotkeyCombination combination = ParseStoredHotkey(h.stored);
        const auto [it, fresh] =
            holders.emplace(std::pair(combination.modifiers, combination.key), h.owner);
        EXPECT_TRUE(fresh) << h.owner << " and " << it->second << " share " << h.stored;
    }
}

TEST(ShippedConfig, IsGbkWithTheSettingsTheProgramStartsFrom) {
    ExpectGbkWithCrlf(ReadBytes(kConfig), "config.ini");
    ExpectGbkWithCrlf(ReadBytes(kFactoryList), "Config/list.ini");

    ProfileFiles files;
    const auto read = [&](const SettingKey& key) {
        return files.Read(kConfig, key.section, key.key, kMissing);
    };
    EXPECT_EQ(read(setting::kTitle), "Vorlune正式版");
    EXPECT_EQ(read(setting::kPage), "0");
    EXPECT_EQ(read(setting::kVolume), "80");
    EXPECT_EQ(read(setting::kHotkeysOn), "1");
    EXPECT_EQ(read(setting::kRepeat), "0");
    EXPECT_EQ(read(setting::kOnTop), "0");
    EXPECT_EQ(read(setting::kStopFade), "0");
    // The device is the system's default until the user picks one; no shop address ships.
    EXPECT_EQ(read(setting::kOutputDevice), kMissing);
    EXPECT_EQ(read(setting::kShopAddress), kMissing);
    // Both help addresses lead to the page shipped beside the program.
    for (const SettingKey& key : {setting::kHelpAddress, setting::kContactAddress}) {
        const std::string address = read(key);
        EXPECT_EQ(address, "help/index.html") << key.key;
        EXPECT_TRUE(fs::is_regular_file(kResources / address)) << address;
    }
}

}  // namespace
}  // namespace vorlune
