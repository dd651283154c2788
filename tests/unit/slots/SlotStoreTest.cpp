#include <gtest/gtest.h>

#include "TempDir.h"
#include "base/GbkText.h"
#include "slots/SlotStore.h"

namespace vorlune {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

class SlotStoreTest : public ::testing::Test {
  protected:
    SlotStoreTest() { test::MakeFolders(dir.File("Sounds/Common")); }
    void Given(std::string_view utf8) { WriteFileBytes(store.ListPath(), Utf8ToGbk(utf8)); }

    TempDir dir;
    ProfileFiles files;
    ProgramFolder folder{dir.Path()};
    DataFolder data{dir.Path()};
    SlotStore store{files, data, folder};
};

TEST_F(SlotStoreTest, ReadsSlotsWithTheirDefaults) {
    Given(
        "[音效12]\r\n名称=掌声\r\ndz=音效12｜[取运行目录]\\Sounds\\Common\\a.mp3\r\nkjj="
        "Ctrl｜A键\r\n"
        "[音效13]\r\n名称=\r\n");
    EXPECT_EQ(store.ListPath(), dir.Path() + "/Sounds/Common/list.ini");
    const SoundSlot slot = store.ReadSlot(12);
    EXPECT_EQ(slot.name, "掌声");
    EXPECT_EQ(slot.path, "[取运行目录]\\Sounds\\Common\\a.mp3");
    EXPECT_EQ(slot.hotkey, "Ctrl｜A键");
    EXPECT_EQ(store.ReadSlotName(57, "+"), "+");  // missing section
    EXPECT_EQ(store.ReadSlotName(13, "+"), "");   // present and empty
    EXPECT_EQ(store.ReadSlotRef(57), "");
}

TEST_F(SlotStoreTest, WritesAndClearsKeysLeavingTheSection) {
    EXPECT_TRUE(store.WriteSlotName(12, "笑声"));
    EXPECT_TRUE(store.WriteSlotRef(12, "/home/me/laugh.wav"));
    EXPECT_TRUE(store.WriteSlotHotkey(12, "F5键"));
    EXPECT_EQ(store.ReadSlotRef(12), "音效12｜/home/me/laugh.wav");
    EXPECT_EQ(ReadFileBytes(store.ListPath()),
              Utf8ToGbk("[音效12]\r\n名称=笑声\r\ndz=音效12｜/home/me/laugh.wav\r\nkjj=F5键\r\n"));
    EXPECT_TRUE(store.ClearSlotHotkey(12));
    EXPECT_EQ(store.ReadSlotHotkey(12), "");
    EXPECT_EQ(store.ReadSlotName(12), "笑声");
    EXPECT_TRUE(store.ClearSlot(12));
    EXPECT_EQ(ReadFileBytes(store.ListPath()), Utf8ToGbk("[音效12]\r\n"));
    EXPECT_EQ(store.ReadSlotName(12, "+"), "+");
    EXPECT_TRUE(store.WriteExitRecord());
    EXPECT_EQ(files.Read(store.ListPath(), "当前记录", "值"), "0");
}

// Installed, the live list is the user's and the factory list stays with the program.
TEST(SlotStore, KeepsTheLiveListInTheDataFolderAndReadsTheFactoryListFromTheProgram) {
    TempDir program;
    TempDir user;
    ProfileFiles files;
    const ProgramFolder folder(program.Path());
    const DataFolder data(user.Path() + "/");
    SlotStore store(files, data, folder);
    EXPECT_EQ(store.ListPath(), user.Path() + "/Sounds/Common/list.ini");
    EXPECT_EQ(store.FactoryListPath(), program.Path() + "/Config/list.ini");
    test::MakeFolders(user.File("Sounds/Common"));
    EXPECT_TRUE(store.WriteSlotName(3, "叮"));
    EXPECT_EQ(files.Read(user.File("Sounds/Common/list.ini"), "音效3", "名称"), "叮");
}

TEST(SlotReference, SplitsPathAndNumberByTheBar) {
    EXPECT_EQ(SlotPathOf("音效12｜D:\\x｜y.mp3"), "y.mp3");
    EXPECT_EQ(SlotPathOf("D:\\a.mp3"), "");
    EXPECT_EQ(SlotNumberOf("D:\\a.mp3"), 0);
    EXPECT_EQ(SlotNumberOf("音效12｜D:\\x｜y.mp3"), 12);
    EXPECT_EQ(SlotNumberOf("音效7｜a"), 7);
    EXPECT_EQ(SlotNumberOf("音效｜a"), 0);
    EXPECT_EQ(SlotNumberOf("a1b2｜x"), 12);
    const ProgramFolder folder("/opt/App");
    EXPECT_EQ(ResolveSlotPath("[取运行目录]\\Sounds\\Common\\a.mp3", folder),
              "/opt/App\\Sounds\\Common\\a.mp3");
    EXPECT_EQ(ResolveSlotPath("[取运行目录][取运行目录]", folder), "/opt/App/opt/App");
    EXPECT_EQ(ResolveSlotPath("/x.wav", folder), "/x.wav");
}

}  // namespace
}  // namespace vorlune
