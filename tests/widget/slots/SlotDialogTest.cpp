#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "EditingFixture.h"
#include "app/ControlStrip.h"
#include "app/MainWindow.h"
#include "app/SwitchButton.h"
#include "base/ProfileFile.h"
#include "decoration/WndShadow.h"
#include "slots/editing/SlotContextMenu.h"
#include "slots/editing/SlotDialog.h"

namespace vorlune::test {
namespace {

using DialogTest = EditingFixture;

QString Title(const SlotDialog& d) {
    return d.findChild<QLabel*>(QStringLiteral("标签_标题"))->text();
}
QString Status(const SlotDialog& d) {
    return d.findChild<QLabel*>(QStringLiteral("透明标签_状态显示"))->text();
}

// Types into a box as a user does, through an input method as Chinese text is typed.
void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

TEST_F(DialogTest, TheWindowItsControlsAndItsShadow) {
    List("[音效3]\n名称=鼓掌\ndz=音效3｜a.wav\n");
    Start();
    const bool opened = WithDialog(
        [&] {
            RightClickSlot(3);
            Choose(SlotMenu(), SlotMenu().SoundItem());
        },
        [&](SlotDialog& d) {
            EXPECT_EQ(d.size(), QSize(380, 233));
            EXPECT_TRUE(d.windowFlags().testFlag(Qt::FramelessWindowHint));
            EXPECT_EQ(d.parentWidget(), nullptr);
            EXPECT_EQ(d.windowTitle(), QStringLiteral("其他设置"));
            EXPECT_EQ(Title(d), QStringLiteral("关于【鼓掌】的设置"));
            const WndShadow* shadow = ShadowOf(&d);
            ASSERT_NE(shadow, nullptr);
            EXPECT_EQ(shadow->Colour(), QColor(Qt::black));
            EXPECT_EQ(shadow->Spread(), 9);
            for (const char* name : {"按钮_关闭", "按钮_浏览", "按钮_DEL", "按钮_应用设置", "按钮1",
                                     "按钮_热键设置"}) {
                EXPECT_NE(ButtonOf(d, name), nullptr) << name;
            }
            for (const char* name : {"编辑框_地址", "编辑框_名称", "编辑框_热键"}) {
                EXPECT_NE(Box(d, name), nullptr) << name;
            }
            for (const char* name : {"标签_标题", "透明标签2", "透明标签_状态显示",
                                     "透明标签_键名1", "透明标签_快捷状态显示"}) {
                EXPECT_NE(d.findChild<QLabel*>(QString::fromUtf8(name)), nullptr) << name;
            }
            EXPECT_NE(d.findChild<QPlainTextEdit*>(QStringLiteral("编辑框_提示框")), nullptr);
            QTabWidget* pages = d.findChild<QTabWidget*>(QStringLiteral("选择夹1"));
            ASSERT_NE(pages, nullptr);
            EXPECT_EQ(pages->tabText(0), QStringLiteral("音效设置"));
            EXPECT_EQ(pages->tabText(1), QStringLiteral("音效快捷键"));
            EXPECT_EQ(ButtonOf(d, "按钮_浏览")->toolTip(), QStringLiteral("点击选择一个音频文件"));
            EXPECT_EQ(ButtonOf(d, "按钮_DEL")->text(), QStringLiteral("Del"));
            EXPECT_EQ(ButtonOf(d, "按钮1")->text(), QStringLiteral("清除该快捷键"));
            EXPECT_TRUE(Box(d, "编辑框_热键")->isReadOnly());

            // Dragging the title strip moves the window.
            QLabel* strip = d.findChild<QLabel*>(QStringLiteral("标签_标题"));
            const QPoint before = d.pos();
            QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(50, 10));
            QMouseEvent move(QEvent::MouseMove, QPointF(90, 40),
                             strip->mapToGlobal(QPointF(90, 40)), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(strip, &move);
            QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(90, 40));
            EXPECT_EQ(d.pos(), before + QPoint(40, 30));

            // Esc may be a wanted hotkey: it does not close the dialog.
            QTest::keyClick(&d, Qt::Key_Escape);
            EXPECT_TRUE(d.isVisible());
        });
    EXPECT_TRUE(opened);
}

TEST_F(DialogTest, TheSoundPage) {
    Config("[是否窗口置顶]\n值=1\n");
    MakeFolders(dir.File("Desktop/music"));
    List("[音效3]\n名称=鼓掌\ndz=音效3｜[取运行目录]\\Sounds\\Common\\clap.wav\nkjj=F3键\n");
    Start();
    const auto openSlot = [&](int n, const std::function<void(SlotDialog&)>& inside) {
        return WithDialog(
            [&] {
                RightClickSlot(n);
                Choose(SlotMenu(), SlotMenu().SoundItem());
            },
            inside);
    };

    // Only the name edited: the stored placeholder goes back unchanged.
    keepAbove.requests.clear();
    EXPECT_TRUE(openSlot(3, [&](SlotDialog& d) {
        EXPECT_EQ(keepAbove.requests, std::vector<bool>{false});
        EXPECT_EQ(Text(d, "编辑框_地址"), QStringLiteral("[取运行目录]\\Sounds\\Common\\clap.wav"));
        EXPECT_EQ(Text(d, "编辑框_名称"), QStringLiteral("鼓掌"));
        EXPECT_EQ(Text(d, "编辑框_热键"), QStringLiteral("F3键"));
        QPushButton* apply = ButtonOf(d, "按钮_应用设置");
        EXPECT_TRUE(apply->isEnabled());
        EXPECT_EQ(Status(d), QString());
        Type(Box(d, "编辑框_名称"), QStringLiteral("掌声"));
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_FALSE(apply->isEnabled());
        EXPECT_EQ(Status(d), QStringLiteral("设置成功!"));
        // At once on the main window, while the dialog is still open.
        EXPECT_EQ(Button(3)->text(), QStringLiteral("掌声"));
        EXPECT_EQ(Tag(3), QStringLiteral("音效3｜[取运行目录]\\Sounds\\Common\\clap.wav"));
        // Any edit afterwards allows another apply and clears the success text.
        QTest::keyClick(Box(d, "编辑框_地址"), Qt::Key_End);
        QTest::keyClicks(Box(d, "编辑框_地址"), QStringLiteral("x"));
        EXPECT_TRUE(apply->isEnabled());
        EXPECT_EQ(Status(d), QString());
        QTest::mouseClick(apply, Qt::LeftButton);
        EXPECT_EQ(Status(d), QStringLiteral("设置成功!"));
        // "Del" counts as a change too, and an empty box is refused.
        QTest::mouseClick(ButtonOf(d, "按钮_DEL"), Qt::LeftButton);
        EXPECT_EQ(Text(d, "编辑框_地址"), QString());
        EXPECT_TRUE(apply->isEnabled());
        EXPECT_EQ(Status(d), QString());
        const std::string before = ListText();
        QTest::mouseClick(apply, Qt::LeftButton);
        ASSERT_FALSE(prompts.fake.shown.empty());
        EXPECT_EQ(prompts.fake.shown.back(), (Prompt{.text = "请填写完整后再试！"}));
        EXPECT_EQ(ListText(), before);
    }));
    EXPECT_NE(ListText().find("名称=掌声"), std::string::npos);
    EXPECT_NE(ListText().find("dz=音效3｜[取运行目录]\\Sounds\\Common\\clap.wavx"),
              std::string::npos);
    EXPECT_NE(ListText().find("kjj=F3键"), std::string::npos);

    // Reopened from the same slot: the stored values again.
    EXPECT_TRUE(openSlot(3, [&](SlotDialog& d) {
        EXPECT_EQ(Title(d), QStringLiteral("关于【掌声】的设置"));
        EXPECT_EQ(Text(d, "编辑框_名称"), QStringLiteral("掌声"));
        EXPECT_EQ(Text(d, "编辑框_地址"),
                  QStringLiteral("[取运行目录]\\Sounds\\Common\\clap.wavx"));
    }));

    // An empty slot: browsing fills path and name, replacing a typed name; cancel changes nothing.
    const std::string chosen = dir.File("Desktop/music/big.boom.mp3");
    EXPECT_TRUE(openSlot(8, [&](SlotDialog& d) {
        EXPECT_EQ(Title(d), QStringLiteral("关于【缺省音效名添加】的设置"));
        Type(Box(d, "编辑框_名称"), QStringLiteral("临时"));
        desktop.nextChosenFile.reset();
        QTest::mouseClick(ButtonOf(d, "按钮_浏览"), Qt::LeftButton);
        EXPECT_EQ(Text(d, "编辑框_名称"), QStringLiteral("临时"));
        EXPECT_EQ(Text(d, "编辑框_地址"), QString());
        desktop.nextChosenFile = chosen;
        QTest::mouseClick(ButtonOf(d, "按钮_浏览"), Qt::LeftButton);
        EXPECT_EQ(Text(d, "编辑框_地址"), QString::fromStdString(chosen));
        EXPECT_EQ(Text(d, "编辑框_名称"), QStringLiteral("big.boom"));
        ASSERT_EQ(desktop.dialogs.size(), 2U);
        EXPECT_EQ(desktop.dialogs[1].filter, "音频文件（.wav;.mp3） (*.mp3 *.wav)");
        EXPECT_EQ(desktop.dialogs[1].startFolder, dir.File("Desktop"));
        // Apply with an empty name is refused as well.
        Box(d, "编辑框_名称")->clear();
        const std::size_t shown = prompts.fake.shown.size();
        QTest::mouseClick(ButtonOf(d, "按钮_应用设置"), Qt::LeftButton);
        EXPECT_EQ(prompts.fake.shown.size(), shown + 1);
        EXPECT_EQ(Button(8)->text(), QStringLiteral("+"));
        Type(Box(d, "编辑框_名称"), QStringLiteral("大爆炸"));
        QTest::mouseClick(ButtonOf(d, "按钮_应用设置"), Qt::LeftButton);
        EXPECT_EQ(Button(8)->text(), QStringLiteral("大爆炸"));
        EXPECT_EQ(Tag(8), QString::fromStdString("音效8｜" + chosen));

        // A bar in the file's name is refused, browsed or typed: the boxes and the slot stay.
        const std::string before = ListText();
        desktop.nextChosenFile = dir.File("Desktop/music/a｜b.wav");
        QTest::mouseClick(ButtonOf(d, "按钮_浏览"), Qt::LeftButton);
        EXPECT_EQ(prompts.fake.shown.back(), (Prompt{.text = std::string(kBarInPathMessage)}));
        EXPECT_EQ(Text(d, "编辑框_地址"), QString::fromStdString(chosen));
        EXPECT_EQ(Text(d, "编辑框_名称"), QStringLiteral("大爆炸"));
        Type(Box(d, "编辑框_地址"), QString::fromStdString(dir.File("Desktop/x｜y.wav")));
        const std::size_t refused = prompts.fake.shown.size();
        QTest::mouseClick(ButtonOf(d, "按钮_应用设置"), Qt::LeftButton);
        EXPECT_EQ(prompts.fake.shown.size(), refused + 1);
        EXPECT_EQ(ListText(), before);
        EXPECT_EQ(Tag(8), QString::fromStdString("音效8｜" + chosen));
    }));

    // A file name GBK cannot hold is stored whole: the list becomes UTF-8, every slot kept.
    const std::string german = dir.File("Desktop/music/Geräusch.wav");
    EXPECT_TRUE(openSlot(9, [&](SlotDialog& d) {
        desktop.nextChosenFile = german;
        QTest::mouseClick(ButtonOf(d, "按钮_浏览"), Qt::LeftButton);
        QTest::mouseClick(ButtonOf(d, "按钮_应用设置"), Qt::LeftButton);
        EXPECT_EQ(Status(d), QStringLiteral("设置成功!"));
        EXPECT_EQ(Button(9)->text(), QStringLiteral("Geräusch"));
        EXPECT_EQ(Tag(9), QString::fromStdString("音效9｜" + german));
    }));
    ProfileFiles files;
    const std::string list = dir.File("Sounds/Common/list.ini");
    EXPECT_TRUE(ReadFileBytes(list).starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(files.Read(list, "音效9", "dz"), "音效9｜" + german);
    EXPECT_EQ(files.Read(list, "音效3", "名称"), "掌声");
    EXPECT_EQ(files.Read(list, "音效3", "kjj"), "F3键");
    EXPECT_EQ(files.Read(list, "音效8", "名称"), "大爆炸");

    // A store that cannot be written is reported, not called a success.
    std::filesystem::rename(dir.File("Sounds/Common"), dir.File("Sounds/Elsewhere"));
    EXPECT_TRUE(openSlot(3, [&](SlotDialog& d) {
        Type(Box(d, "编辑框_名称"), QStringLiteral("不会保存"));
        QTest::mouseClick(ButtonOf(d, "按钮_应用设置"), Qt::LeftButton);
        EXPECT_EQ(Status(d), QStringLiteral("写入失败，请检查程序目录是否可写!"));
        EXPECT_TRUE(ButtonOf(d, "按钮_应用设置")->isEnabled());
    }));
}

TEST_F(DialogTest, TheSpecialHotkeysDialogs) {
    Config("[音效声场停止]\n值=Ctrl｜S键\n[音效快键控制]\n值=F12键\n");
    List("[音效3]\n名称=鼓掌\ndz=音效3｜a.wav\n");
    Start();
    ControlStrip* strip = Window().Controls();
    SpecialHotkeyMenu& menu = SpecialMenu();
    const std::string listBefore = ListText();

    QTest::mouseClick(strip->StopButton(), Qt::RightButton);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.objectName(), QStringLiteral("快捷键操作"));
    EXPECT_EQ(menu.actions().size(), 1);
    EXPECT_EQ(menu.SetHotkeyItem()->text(), QStringLiteral("设置快捷键"));
    EXPECT_TRUE(WithDialog([&] { Choose(menu, menu.SetHotkeyItem()); },
                           [&](SlotDialog& d) {
                               EXPECT_EQ(d.Pages()->currentIndex(), 1);
                               EXPECT_EQ(Text(d, "编辑框_名称"), QStringLiteral("*音效声场停止"));
                               EXPECT_EQ(Text(d, "编辑框_地址"), QStringLiteral("*缺省数据"));
                               EXPECT_EQ(Text(d, "编辑框_热键"), QStringLiteral("Ctrl+S键"));
                               EXPECT_EQ(d.windowTitle(),
                                         QStringLiteral("关于【*音效声场停止】的设置"));
                               EXPECT_EQ(Title(d), QStringLiteral("关于【缺省音效名添加】的设置"));
                               // No slot to write to: the sound page only shows its placeholders.
                               EXPECT_TRUE(Box(d, "编辑框_名称")->isReadOnly());
                               EXPECT_FALSE(ButtonOf(d, "按钮_应用设置")->isEnabled());
                               EXPECT_FALSE(ButtonOf(d, "按钮_浏览")->isEnabled());
                               EXPECT_TRUE(ButtonOf(d, "按钮_热键设置")->isEnabled());
                           }));
    EXPECT_EQ(ListText(), listBefore);

    struct Case {
        QWidget* button;
        const char* name;
        const char* hotkey;
    };
    for (const Case& c : {Case{strip->HotkeySwitch(), "*音效快捷开关", "F12键"},
                          Case{strip->PauseButton(), "*音效声场控制", ""}}) {
        QTest::mouseClick(c.button, Qt::RightButton);
        EXPECT_TRUE(WithDialog([&] { Choose(menu, menu.SetHotkeyItem()); },
                               [&](SlotDialog& d) {
                                   EXPECT_EQ(Text(d, "编辑框_名称"), QString::fromUtf8(c.name));
                                   EXPECT_EQ(Text(d, "编辑框_热键"), QString::fromUtf8(c.hotkey));
                                   EXPECT_EQ(d.windowTitle(), QStringLiteral("关于【") +
                                                                  QString::fromUtf8(c.name) +
                                                                  QStringLiteral("】的设置"));
                               }));
    }

    // A slot right-clicked without choosing an item is still current: its name heads the strip.
    RightClickSlot(3);
    SlotMenu().hide();
    QTest::mouseClick(strip->StopButton(), Qt::RightButton);
    EXPECT_TRUE(WithDialog([&] { Choose(menu, menu.SetHotkeyItem()); },
                           [&](SlotDialog& d) {
                               EXPECT_EQ(Title(d), QStringLiteral("关于【鼓掌】的设置"));
                               EXPECT_EQ(Text(d, "编辑框_名称"), QStringLiteral("*音效声场停止"));
                               EXPECT_FALSE(ButtonOf(d, "按钮_应用设置")->isEnabled());
                           }));
    EXPECT_EQ(ListText(), listBefore);
}

}  // namespace
}  // namespace vorlune::test
