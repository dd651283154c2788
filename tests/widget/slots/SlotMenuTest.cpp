#include <sys/resource.h>
#include <sys/stat.h>

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <csignal>
#include <filesystem>

#include "EditingFixture.h"
#include "app/MainWindow.h"
#include "app/SettingsPage.h"
#include "app/SwitchButton.h"
#include "slots/editing/SlotContextMenu.h"
#include "slots/editing/SlotDialog.h"

namespace vorlune::test {
namespace {

using MenuTest = EditingFixture;

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Lets files grow to at most `bytes` while it lives, as a full disk would; the signal that
// would end the process is ignored so that the write fails instead.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }

  private:
    rlimit old_{};
};

TEST_F(MenuTest, TheMenuFollowsTheCaptionAndMakesTheSlotCurrent) {
    List(
        "[音效3]\n名称=鼓掌\ndz=音效3｜[取运行目录]\\Sounds\\a.wav\nkjj=F3键\n"
        "[音效100]\n名称=+\ndz=音效100｜x.wav\n[音效101]\n名称=只有名字\n");
    Start();
    SlotContextMenu& menu = SlotMenu();
    const auto expectEmptyMenu = [&] {
        EXPECT_TRUE(menu.isVisible());
        EXPECT_EQ(menu.SoundItem()->text(), QStringLiteral("音效添加"));
        EXPECT_TRUE(menu.SoundItem()->isEnabled());
        for (QAction* item :
             {menu.HotkeyItem(), menu.ExportItem(), menu.ForgetHotkeyItem(), menu.EmptyItem()}) {
            EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
        }
    };
    const auto expectFullMenu = [&] {
        EXPECT_TRUE(menu.isVisible());
        EXPECT_EQ(menu.SoundItem()->text(), QStringLiteral("音效设置"));
        for (QAction* item : {menu.SoundItem(), menu.HotkeyItem(), menu.ExportItem(),
                              menu.ForgetHotkeyItem(), menu.EmptyItem()}) {
            EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();
        }
    };
    QStringList captions;
    for (QAction* item : menu.actions()) {
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    const QStringList expected{"音效设置",       "快捷键设置",   "-",
                               "导出音效源文件", "清除此快捷键", "清空此音效"};
    RightClickSlot(4);
    expectEmptyMenu();
    EXPECT_EQ(state.currentSlotSection, "音效4");
    EXPECT_EQ(state.currentSlotRef, "");
    EXPECT_EQ(state.currentSlotNumber, 4);
    menu.hide();

    RightClickSlot(3);
    expectFullMenu();
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(state.currentSlotSection, "音效3");
    EXPECT_EQ(state.currentSlotRef, "音效3｜[取运行目录]\\Sounds\\a.wav");
    EXPECT_EQ(state.currentSlotNumber, 3);
    menu.hide();

    RightClickSlot(4);
    expectEmptyMenu();
    menu.hide();
    // Emptiness is the caption alone: a slot named "+" is empty, a name without a file is not.
    RightClickSlot(100);
    expectEmptyMenu();
    EXPECT_EQ(state.currentSlotSection, "音效100");
    EXPECT_EQ(state.currentSlotNumber, 100);
    menu.hide();
    RightClickSlot(101);
    expectFullMenu();
    menu.hide();

    // The current slot stays when the menu closes without a choice.
    EXPECT_EQ(state.currentSlotSection, "音效101");

    // "音效添加" on an empty slot opens the sound page with empty boxes.
    RightClickSlot(4);
    const bool opened =
        WithDialog([&] { Choose(menu, menu.SoundItem()); },
                   [&](SlotDialog& d) {
                       EXPECT_EQ(d.Pages()->currentIndex(), 0);
                       EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("标签_标题"))->text(),
                                 QStringLiteral("关于【缺省音效名添加】的设置"));
                       EXPECT_EQ(Text(d, "编辑框_名称"), QString());
                       EXPECT_EQ(Text(d, "编辑框_地址"), QString());
                       EXPECT_EQ(d.windowTitle(), QStringLiteral("其他设置"));
                   });
    EXPECT_TRUE(opened);
    EXPECT_FALSE(menu.isVisible());
    // Closing the dialog leaves no slot current; the number stays.
    EXPECT_EQ(state.currentSlotSection, "");
    EXPECT_EQ(state.currentSlotRef, "");
    EXPECT_EQ(state.currentSlotNumber, 4);
}

TEST_F(MenuTest, ExportCopiesTheSlotFileToTheDesktop) {
    MakeFolders(dir.File("Sounds/Funny"));
    WriteFileBytes(dir.File("Sounds/Funny/boom.wav"), "first");
    WriteFileBytes(dir.File("Desktop/keep.txt"), "mine");
    List(
        "[音效3]\n名称=爆炸\ndz=音效3｜[取运行目录]\\Sounds\\Funny\\boom.wav\n"
        "[音效6]\n名称=丢失\ndz=音效6｜[取运行目录]\\Sounds\\gone.wav\n"
        "[音效7]\n名称=无路径\ndz=音效7\n"
        "[音效8]\n名称=点\ndz=音效8｜[取运行目录]\\Sounds\\..\n"
        "[音效9]\n名称=目录\ndz=音效9｜[取运行目录]\\Sounds\\\n"
        "[音效10]\n名称=管道\ndz=音效10｜[取运行目录]\\Sounds\\pipe.wav\n");
    ::mkfifo(dir.File("Sounds/pipe.wav").c_str(), 0644);
    Start();
    SlotContextMenu& menu = SlotMenu();
    const auto exportSlot = [&](int n) {
        RightClickSlot(n);
        Choose(menu, menu.ExportItem());
        QTest::qWait(10);
    };
    const std::string success =
        "音效名【boom.wav】已经导出到桌面！\r\n本地路径：" + dir.File("Desktop") + "/boom.wav";

    exportSlot(3);
    ASSERT_EQ(prompts.fake.shown.size(), 1U);
    EXPECT_EQ(prompts.fake.shown[0], (Prompt{.text = success}));
    EXPECT_EQ(ReadFileBytes(dir.File("Desktop/boom.wav")), "first");

    // Again, with the source changed: replaced without a question.
    WriteFileBytes(dir.File("Sounds/Funny/boom.wav"), "second take");
    exportSlot(3);
    ASSERT_EQ(prompts.fake.shown.size(), 2U);
    EXPECT_EQ(prompts.fake.shown[1].text, success);
    EXPECT_EQ(ReadFileBytes(dir.File("Desktop/boom.wav")), "second take");

    // Nothing to copy: a missing file, no path, a path naming a folder, a FIFO (refused at
    // once, not waited on until something writes to it).
    for (const int n : {6, 7, 8, 9, 10}) {
        exportSlot(n);
        EXPECT_EQ(prompts.fake.shown.back(), (Prompt{.text = "导出失败！"})) << n;
    }
    EXPECT_EQ(FilesIn(dir.File("Desktop")), (std::vector<std::string>{"boom.wav", "keep.txt"}));

    // A copy that fails half way (the disk fills up) keeps the earlier copy whole and leaves
    // nothing else behind.
    WriteFileBytes(dir.File("Sounds/Funny/boom.wav"), std::string(64 * 1024, 'x'));
    {
        const FileSizeLimit limit(4096);
        exportSlot(3);
    }
    EXPECT_EQ(prompts.fake.shown.back().text, "导出失败！");
    EXPECT_EQ(ReadFileBytes(dir.File("Desktop/boom.wav")), "second take");
    EXPECT_EQ(FilesIn(dir.File("Desktop")), (std::vector<std::string>{"boom.wav", "keep.txt"}));

    // The export takes the reference from the button: a hand edit of the store after the last
    // load does not change what is copied.
    EXPECT_EQ(state.currentSlotRef, "音效3｜[取运行目录]\\Sounds\\Funny\\boom.wav");
}

TEST_F(MenuTest, ExportOfAFileAlreadyOnTheDesktopKeepsIt) {
    WriteFileBytes(dir.File("Desktop/here.mp3"), "song");
    List("[音效3]\n名称=桌面\ndz=音效3｜" + dir.File("Desktop/here.mp3") + "\n");
    Start();
    RightClickSlot(3);
    Choose(SlotMenu(), SlotMenu().ExportItem());
    QTest::qWait(10);
    ASSERT_EQ(prompts.fake.shown.size(), 1U);
    EXPECT_NE(prompts.fake.shown[0].text, "导出失败！");
    EXPECT_EQ(ReadFileBytes(dir.File("Desktop/here.mp3")), "song");
    EXPECT_EQ(FilesIn(dir.File("Desktop")), std::vector<std::string>{"here.mp3"});
}

TEST_F(MenuTest, ForgettingTheHotkeyAndEmptyingTheSlot) {
    Config("[是否设置快捷按钮]\n值=1\n[是否窗口置顶]\n值=1\n");
    WriteFileBytes(dir.File("Sounds/a.wav"), "audio");
    List(
        "[音效3]\n名称=鼓掌\ndz=音效3｜[取运行目录]\\Sounds\\a.wav\nkjj=F3键\n"
        "[音效5]\n名称=欢呼\ndz=音效5｜b.wav\nkjj=Ctrl｜F5键\n[音效6]\n名称=无键\ndz=音效6｜c."
        "wav\n");
    Start();
    SlotContextMenu& menu = SlotMenu();
    ASSERT_TRUE(hotkeys.Held(3).has_value());
    EXPECT_EQ(Label(3)->text(), QStringLiteral("F3键"));

    RightClickSlot(3);
    Choose(menu, menu.ForgetHotkeyItem());
    QTest::qWait(10);
    EXPECT_EQ(ListText().find("kjj=F3键"), std::string::npos);
    EXPECT_EQ(Label(3)->text(), QString());
    EXPECT_FALSE(hotkeys.Held(3).has_value());
    EXPECT_TRUE(prompts.fake.shown.empty());

    // A slot without a hotkey: refreshed all the same, still no message.
    RightClickSlot(6);
    Choose(menu, menu.ForgetHotkeyItem());
    QTest::qWait(10);
    EXPECT_TRUE(prompts.fake.shown.empty());
    EXPECT_EQ(Button(6)->text(), QStringLiteral("无键"));

    // Emptying asks first; No keeps everything.
    const std::size_t keepAboveBefore = keepAbove.requests.size();
    prompts.fake.Answer(PromptAnswer::No);
    RightClickSlot(5);
    Choose(menu, menu.EmptyItem());
    QTest::qWait(10);
    ASSERT_EQ(prompts.fake.shown.size(), 1U);
    EXPECT_EQ(prompts.fake.shown[0], (Prompt{.text = "是否清空【欢呼】,清空后不可恢复哦?",
                                             .caption = "提示",
                                             .icon = PromptIcon::Question,
                                             .buttons = PromptButtons::YesNo,
                                             .defaultButton = PromptAnswer::No}));
    EXPECT_GT(keepAbove.requests.size(), keepAboveBefore);
    EXPECT_FALSE(keepAbove.requests.back());
    EXPECT_EQ(Button(5)->text(), QStringLiteral("欢呼"));
    EXPECT_TRUE(hotkeys.Held(5).has_value());

    prompts.fake.Answer(PromptAnswer::Yes);
    RightClickSlot(3);
    Choose(menu, menu.EmptyItem());
    QTest::qWait(10);
    EXPECT_EQ(Button(3)->text(), QStringLiteral("+"));
    EXPECT_EQ(Label(3)->text(), QString());
    EXPECT_NE(ListText().find("[音效3]"), std::string::npos);
    EXPECT_EQ(ListText().find("鼓掌"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("Sounds/a.wav")), "audio");
    // Emptied, the slot offers only "音效添加": it cannot be exported any more.
    RightClickSlot(3);
    EXPECT_FALSE(menu.ExportItem()->isEnabled());
    menu.hide();
}

TEST_F(MenuTest, RestoringTheDefaultSet) {
    Config("[是否设置快捷按钮]\n值=1\n");
    List(
        "[音效1]\n名称=我的\ndz=音效1｜a.wav\nkjj=F2键\n[音效50]\n名称=自己加的\ndz=音效50｜b."
        "wav\n");
    const std::string factory =
        "[音效1]\n名称=默认一\ndz=音效1｜[取运行目录]\\x.wav\nkjj=Ctrl｜F1键\n";
    Factory(factory);
    Start();
    SettingsPage* settings = Window().Settings();

    // No: nothing changes.
    prompts.fake.Answer(PromptAnswer::No);
    emit settings->restoreDefaultsChosen();
    ASSERT_EQ(prompts.fake.shown.size(), 1U);
    EXPECT_EQ(prompts.fake.shown[0], (Prompt{.text = "是否把当前所有音效恢复为初始化设置？",
                                             .caption = "提示",
                                             .icon = PromptIcon::Question,
                                             .buttons = PromptButtons::YesNo,
                                             .defaultButton = PromptAnswer::No}));
    EXPECT_EQ(Button(1)->text(), QStringLiteral("我的"));
    EXPECT_NE(ListText().find("自己加的"), std::string::npos);

    // Yes: the success message comes while the old names still show, then the grid reloads.
    QString shownDuringMessage;
    prompts.onShow = [&](const Prompt& p) {
        if (p.text == "音效初始化恢复成功!") {
            shownDuringMessage = Button(1)->text();
        }
    };
    prompts.fake.Answer(PromptAnswer::Yes);
    emit settings->restoreDefaultsChosen();
    ASSERT_EQ(prompts.fake.shown.size(), 3U);
    EXPECT_EQ(prompts.fake.shown[2],
              (Prompt{.text = "音效初始化恢复成功!", .icon = PromptIcon::Information}));
    EXPECT_EQ(shownDuringMessage, QStringLiteral("我的"));
    EXPECT_EQ(ListText(), factory);
    EXPECT_EQ(Button(1)->text(), QStringLiteral("默认一"));
    EXPECT_EQ(Label(1)->text(), QStringLiteral("Ctrl+F1键"));
    EXPECT_EQ(Button(50)->text(), QStringLiteral("+"));
    EXPECT_EQ(hotkeys.Held(1), (HotkeyCombination{kModControl, 112}));

    // A copy that fails half way leaves the live list whole and says nothing.
    List("[音效1]\n名称=又改了\n");
    Factory(factory + std::string(64 * 1024, ';') + "\n");
    prompts.fake.Answer(PromptAnswer::Yes);
    {
        const FileSizeLimit limit(4096);
        emit settings->restoreDefaultsChosen();
    }
    EXPECT_EQ(prompts.fake.shown.size(), 4U);
    EXPECT_EQ(ListText(), "[音效1]\n名称=又改了\n");
    EXPECT_EQ(FilesIn(dir.File("Sounds/Common")), std::vector<std::string>{"list.ini"});

    // Without the default copy: the message alone, no question.
    std::filesystem::remove(dir.File("Config/list.ini"));
    emit settings->restoreDefaultsChosen();
    ASSERT_EQ(prompts.fake.shown.size(), 5U);
    EXPECT_EQ(prompts.fake.shown[4], (Prompt{.text = "备份源文件已经丢失,请重新下载安装软件再试!",
                                             .icon = PromptIcon::Information}));
    EXPECT_EQ(ListText(), "[音效1]\n名称=又改了\n");
}

}  // namespace
}  // namespace vorlune::test
