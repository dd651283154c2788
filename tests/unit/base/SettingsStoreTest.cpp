#include <gtest/gtest.h>

#include "TempDir.h"
#include "base/GbkText.h"
#include "base/SettingsStore.h"

namespace vorlune {
namespace {

using test::TempDir;
using test::WriteFileBytes;

TEST(SettingsStore, ReadsDefaultsNumbersAndSwitchesFromConfigIni) {
    TempDir dir;
    ProfileFiles files;
    DataFolder data(dir.Path());
    SettingsStore settings(files, data);
    EXPECT_EQ(settings.Path(), dir.Path() + "/config.ini");

    EXPECT_EQ(settings.Read(setting::kTitle), "Vorlune正式版");
    EXPECT_EQ(settings.Read(setting::kPage), "0");
    EXPECT_EQ(settings.ReadInt(setting::kVolume), 0);
    EXPECT_EQ(settings.ReadInt(setting::kRepeat), 0);

    WriteFileBytes(settings.Path(),
                   Utf8ToGbk("[音效音量]\r\n值=80.5\r\n[是否重复音效]\r\n值=abc\r\n"
                             "[是否窗口置顶]\r\n值=2\r\n[软件名称]\r\n文本=\r\n"));
    EXPECT_EQ(settings.ReadInt(setting::kVolume), 80);
    EXPECT_DOUBLE_EQ(settings.ReadNumber(setting::kVolume), 80.5);
    EXPECT_EQ(settings.Read(setting::kTitle), "");  // present but empty is not the default

    // "abc" reads as off: toggling turns it on and writes "1".
    EXPECT_EQ(ToggleSwitch(settings, setting::kRepeat), true);
    EXPECT_EQ(settings.Read(setting::kRepeat), "1");
    EXPECT_EQ(ToggleSwitch(settings, setting::kRepeat), false);
    EXPECT_EQ(settings.Read(setting::kRepeat), "0");
    // "2" is neither on nor off: nothing happens and nothing is written.
    EXPECT_EQ(ToggleSwitch(settings, setting::kOnTop), std::nullopt);
    EXPECT_EQ(settings.Read(setting::kOnTop), "2");

    // A value GBK cannot hold is kept whole: the file becomes UTF-8 with its other settings.
    EXPECT_TRUE(settings.Write(setting::kShopAddress, "https://shop.example/Geräusch"));
    EXPECT_EQ(settings.Read(setting::kShopAddress), "https://shop.example/Geräusch");
    EXPECT_EQ(settings.ReadInt(setting::kVolume), 80);
    EXPECT_TRUE(test::ReadFileBytes(settings.Path()).starts_with("\xEF\xBB\xBF[音效音量]\r\n"));
}

}  // namespace
}  // namespace vorlune
