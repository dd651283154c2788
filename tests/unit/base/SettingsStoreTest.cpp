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

TEST(SettingsStore, SliderValuesAreWrittenBesideTheCallerAndOnDiskByTheEnd) {
    TempDir dir;
    ProfileFiles files;
    DataFolder data(dir.Path());
    const std::string shipped = Utf8ToGbk("[音效音量]\r\n值=80\r\n[是否重复音效]\r\n值=0\r\n");
    WriteFileBytes(dir.File("config.ini"), shipped);
    {
        SettingsStore settings(files, data);
        // A drag: each step is read back at once (a sound started meanwhile plays at it), and
        // a switch written at once between the steps is kept beside them.
        for (int step = 79; step >= 30; --step) {
            settings.WriteInBackground(setting::kVolume, std::to_string(step));
            EXPECT_EQ(settings.ReadInt(setting::kVolume), step);
            if (step == 50) {
                EXPECT_TRUE(settings.Write(setting::kRepeat, "1"));
                settings.WriteInBackground(setting::kMonitorVolume, "40");
            }
        }
        settings.Flush();
        EXPECT_EQ(test::ReadFileBytes(settings.Path()),
                  Utf8ToGbk("[音效音量]\r\n值=30\r\n[是否重复音效]\r\n值=1\r\n"
                            "[监听音量]\r\n值=40\r\n"));
        // What is still queued when the store goes is written before it has gone.
        settings.WriteInBackground(setting::kVolume, "65");
    }
    EXPECT_EQ(test::ReadFileBytes(dir.File("config.ini")),
              Utf8ToGbk("[音效音量]\r\n值=65\r\n[是否重复音效]\r\n值=1\r\n"
                        "[监听音量]\r\n值=40\r\n"));

    // A value that cannot be written (a read-only file) reads as the stored one once tried.
    ::chmod(dir.File("config.ini").c_str(), 0444);
    SettingsStore settings(files, data);
    settings.WriteInBackground(setting::kVolume, "10");
    settings.Flush();
    EXPECT_EQ(settings.ReadInt(setting::kVolume), 65);
}

}  // namespace
}  // namespace vorlune
