#include <sys/stat.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <set>

#include "AppFixture.h"
#include "app/CategoryToolbar.h"
#include "app/ControlStrip.h"
#include "app/MainWindow.h"
#include "app/SettingsPage.h"
#include "app/SwitchButton.h"
#include "app/TrayIcon.h"
#include "slots/SlotGrid.h"

namespace vorlune {
namespace {

using test::AppFixture;
using test::NoReadOverride;

// The slot grid as the product describes it: for each page, rows 1-7 as (first, last) slot of
// the row, counting up or down from left to right. Page 0 row 1 and page 1 row 1 are special.
struct RowSpec {
    int first;
    int last;
};
const std::vector<std::vector<RowSpec>> kPages = {
    {{0, 0}, {6, 11}, {12, 17}, {18, 23}, {24, 29}, {30, 35}, {180, 185}},
    {{0, 0}, {42, 47}, {48, 53}, {54, 59}, {60, 65}, {66, 71}, {186, 191}},
    {{107, 102}, {101, 96}, {95, 90}, {89, 84}, {83, 78}, {77, 72}, {192, 197}},
    {{143, 138}, {137, 132}, {131, 126}, {125, 120}, {119, 114}, {113, 108}, {198, 203}},
    {{179, 174}, {173, 168}, {167, 162}, {161, 156}, {155, 150}, {149, 144}, {204, 209}},
};
const int kFirstPageColumns[] = {7, 93, 184, 278, 373, 464};
const int kColumns[] = {8, 97, 192, 282, 372, 461};
const int kFirstPageRows[] = {22, 69, 115, 161, 205, 249, 294};
const int kRows[] = {21, 70, 119, 164, 210, 253, 296};

// Slot number in page p, row r (0-based), column c (0-based); 0 when none starts there.
int SlotAt(int p, int r, int c) {
    if (p == 0 && r == 0) {
        const int firstRow[] = {36, 1, 2, 3, 4, 5};
        return firstRow[c];
    }
    if (p == 1 && r == 0) {
        const int firstRow[] = {37, 0, 38, 39, 40, 41};
        return firstRow[c];
    }
    const RowSpec row = kPages[static_cast<std::size_t>(p)][static_cast<std::size_t>(r)];
    return row.first <= row.last ? row.first + c : row.first - c;
}

TEST_F(AppFixture, EverySlotSitsOnItsPageCellAndLabel) {
    Start();
    std::set<int> seen;
    for (int p = 0; p < 5; ++p) {
        QWidget* page = Window().Pages()->widget(p);
        for (int r = 0; r < 7; ++r) {
            for (int c = 0; c < 6; ++c) {
                const int n = SlotAt(p, r, c);
                if (n == 0) {
                    continue;
                }
                SCOPED_TRACE("slot " + std::to_string(n));
                seen.insert(n);
                QPushButton* button = Button(n);
                ASSERT_NE(button, nullptr);
                EXPECT_TRUE(page->isAncestorOf(button));
                EXPECT_EQ(button->objectName(), QStringLiteral("按钮_") +
                                                    (n < 10 ? QStringLiteral("0") : QString()) +
                                                    QString::number(n));
                EXPECT_EQ(page->findChild<QPushButton*>(button->objectName()), button);
                EXPECT_EQ(button->x(), (p == 0 ? kFirstPageColumns : kColumns)[c]);
                EXPECT_EQ(button->y(), (p == 0 ? kFirstPageRows : kRows)[r]);
                EXPECT_EQ(button->width(), n == 37 ? 162 : 72);
                EXPECT_EQ(button->height(), 32);
                QLabel* label = Label(n);
                EXPECT_EQ(label->parentWidget(), button->parentWidget());
                EXPECT_EQ(label->objectName(), QStringLiteral("透明标签_kj") +
                                                   (n < 10 ? QStringLiteral("0") : QString()) +
                                                   QString::number(n));
                EXPECT_GE(label->x() - button->x(), 3);
                EXPECT_LE(label->x() - button->x(), 8);
                EXPECT_GE(label->y() - button->y(), 29);
                EXPECT_LE(label->y() - button->y(), 36);
            }
        }
    }
    EXPECT_EQ(seen.size(), 209U);
    // Slot 37 covers the first two cells; 38 is in the third.
    EXPECT_EQ(Button(38)->x(), kColumns[2]);
}

TEST_F(AppFixture, LoadShowsNamesHotkeysAndTagsFromTheListAndPlusForTheRest) {
    Config("[是否设置快捷按钮]\r\n值=1\r\n");
    List("[音效41]\r\n名称=欢呼\r\ndz=音效41｜/s/a.wav\r\nkjj=Ctrl｜F2键\r\n[音效42]\r\n名称=\r\n");
    Start();
    EXPECT_EQ(Button(41)->text(), QStringLiteral("欢呼"));
    EXPECT_EQ(Tag(41), QStringLiteral("音效41｜/s/a.wav"));
    EXPECT_EQ(Label(41)->text(), QStringLiteral("Ctrl+F2键"));
    EXPECT_EQ(Button(42)->text(), QString());  // present but empty
    for (int n = 1; n <= 209; ++n) {
        if (n != 41 && n != 42) {
            ASSERT_EQ(Button(n)->text(), QStringLiteral("+")) << n;
            ASSERT_TRUE(Tag(n).isEmpty());
            ASSERT_TRUE(Label(n)->text().isEmpty());
        }
    }
    // Button 41 is the rightmost of page 1's first row.
    EXPECT_EQ(Button(41)->x(), kColumns[5]);
    // The full load ended in a registration: slot 41's hotkey is held.
    EXPECT_TRUE(hotkeys.Held(41).has_value());
}

TEST_F(AppFixture, RefreshSlotTouchesOnlyItsOwnControls) {
    List("[音效5]\r\n名称=旧\r\n[音效6]\r\n名称=六\r\n");
    ProfileFiles files;
    SlotStore store(files, data, folder);
    SlotGrid grid(store);
    QSignalSpy fills(&grid, &SlotGrid::filled);
    grid.LoadSlotGrid();
    List("[音效5]\r\n名称=新\r\nkjj=F9键\r\n[音效6]\r\n名称=改了\r\n");
    grid.RefreshSlot(5);
    EXPECT_EQ(grid.Button(5)->text(), QStringLiteral("新"));
    EXPECT_EQ(grid.Label(5)->text(), QStringLiteral("F9键"));
    EXPECT_EQ(grid.Button(6)->text(), QStringLiteral("六"));
    // Each fill ends with the signal on which the program registers every hotkey again.
    EXPECT_EQ(fills.count(), 2);
    grid.RefreshSlot(0);  // fills nothing, ends the same way
    EXPECT_EQ(grid.Button(6)->text(), QStringLiteral("六"));
    EXPECT_EQ(fills.count(), 3);
    for (int page = 0; page < kCategoryPages; ++page) {
        delete grid.Page(page);  // the grid leaves its pages to whoever shows them
    }
}

TEST_F(AppFixture, WithoutConfigIniEverythingStartsAtItsDefaultAndNothingIsWritten) {
    Start();
    MainWindow& w = Window();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vorlune正式版"));
    EXPECT_EQ(tray.ShownState(), false);
    EXPECT_TRUE(tray.Tip().endsWith(QStringLiteral("已经关闭")));
    EXPECT_EQ(w.Pages()->currentIndex(), 0);
    EXPECT_TRUE(w.Toolbar()->IsMarked(1));
    for (int b = 2; b <= 6; ++b) {
        EXPECT_FALSE(w.Toolbar()->IsMarked(b));
    }
    EXPECT_EQ(w.Controls()->Volume()->value(), 1);
    EXPECT_EQ(w.Controls()->VolumeLabel()->text(), QStringLiteral("1%"));
    EXPECT_FALSE(keepAbove.IsKeptAbove(&w));
    EXPECT_EQ(w.Controls()->HotkeySwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_EQ(w.Controls()->RepeatSwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_EQ(w.Settings()->OnTopSwitch()->Shown(), SwitchButton::Picture::Off);
    EXPECT_EQ(w.StatusText(), QStringLiteral("准备就绪"));
    EXPECT_EQ(w.size(), QSize(570, 590));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("config.ini"))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("Sounds/Common/list.ini"))));
}

TEST_F(AppFixture, AListThatCannotBeReadIsToldOnceAndKeptWhole) {
    List("[音效1]\n名称=鼓掌\n[音效209]\n名称=笑声\n");
    const std::string list = dir.File("Sounds/Common/list.ini");
    const std::string before = ListBytes();
    ::chmod(dir.Path().c_str(), 0777);
    ::chmod(list.c_str(), 0200);
    {
        const NoReadOverride unprivileged;
        Start();
        QCoreApplication::processEvents();
        EXPECT_EQ(Button(1)->text(), QStringLiteral("+"));
        // Every slot was read, and the user hears of it once.
        const QString notice = QString::fromStdString("无法读取文件 " + list);
        EXPECT_EQ(Window().StatusText().count(notice), 1) << Window().StatusText().toStdString();
        app.reset();
    }
    EXPECT_EQ(ListBytes(), before);
}

TEST_F(AppFixture, StartUpRestoresPageMarksSwitchesVolumeAndOnTop) {
    Config(
        "[当前栏目]\r\n值=3\r\n[音效音量]\r\n值=80\r\n[是否设置快捷按钮]\r\n值=1\r\n"
        "[是否重复音效]\r\n值=2\r\n[是否窗口置顶]\r\n值=1\r\n");
    const std::string before = ConfigBytes();
    Start();
    MainWindow& w = Window();
    EXPECT_EQ(w.Pages()->currentIndex(), 3);
    for (int b = 1; b <= 6; ++b) {
        EXPECT_EQ(w.Toolbar()->IsMarked(b), b == 4) << b;
    }
    EXPECT_EQ(w.Controls()->Volume()->value(), 80);
    EXPECT_EQ(w.Controls()->VolumeLabel()->text(), QStringLiteral("80%"));
    EXPECT_EQ(w.Controls()->HotkeySwitch()->Shown(), SwitchButton::Picture::On);
    EXPECT_EQ(w.Controls()->RepeatSwitch()->Shown(), SwitchButton::Picture::Loaded);
    EXPECT_EQ(w.Controls()->RepeatSwitch()->text(), QStringLiteral("重复音效"));
    EXPECT_TRUE(keepAbove.IsKeptAbove(&w));
    EXPECT_EQ(tray.ShownState(), true);
    EXPECT_TRUE(tray.Tip().endsWith(QStringLiteral("已经开启")));
    EXPECT_EQ(ConfigBytes(), before);
}

TEST_F(AppFixture, PageValuesOutOfRangeAndTheCategoryNameMarkButtons) {
    Config("[当前栏目]\r\n值=7\r\n[音效音量]\r\n值=150\r\n[是否窗口置顶]\r\n值=2\r\n");
    {
        Start();
        EXPECT_EQ(Window().Pages()->currentIndex(), 0);
        for (int b = 1; b <= 6; ++b) {
            EXPECT_FALSE(Window().Toolbar()->IsMarked(b));
        }
        EXPECT_EQ(Window().Controls()->Volume()->value(), 100);
        EXPECT_EQ(Window().Controls()->VolumeLabel()->text(), QStringLiteral("100%"));
        EXPECT_EQ(settings.Read(setting::kVolume), "150");
        EXPECT_FALSE(keepAbove.IsKeptAbove(&Window()));
        EXPECT_EQ(Window().Settings()->OnTopSwitch()->Shown(), SwitchButton::Picture::Loaded);
    }
    Config("[当前栏目]\r\n值=0\r\n设置名称=Game\r\n");
    Start();
    EXPECT_EQ(Window().Pages()->currentIndex(), 0);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(Window().Toolbar()->IsMarked(i), i == 1 || i == 4) << i;
    }
}

TEST_F(AppFixture, ToolbarSelectsPagesAndRemembersOnlyCategoryPages) {
    Start();
    Window().Toolbar()->Button(4)->click();
    EXPECT_EQ(Window().Pages()->currentIndex(), 3);
    EXPECT_EQ(settings.Read(setting::kPage), "3");
    for (int b = 1; b <= 6; ++b) {
        EXPECT_EQ(Window().Toolbar()->IsMarked(b), b == 4);
    }
    Window().Toolbar()->Button(6)->click();
    EXPECT_EQ(Window().Pages()->currentWidget(), Window().Settings());
    EXPECT_EQ(settings.Read(setting::kPage), "3");
    EXPECT_TRUE(Window().Toolbar()->IsMarked(6));
    EXPECT_FALSE(Window().Toolbar()->IsMarked(4));
}

TEST_F(AppFixture, OnTopSwitchTogglesAndReleaseLeavesTheSwitchShowingOn) {
    Config("[是否窗口置顶]\r\n值=1\r\n");
    Start();
    SwitchButton* onTop = Window().Settings()->OnTopSwitch();
    Button(1)->click();  // a trigger (of an empty slot: its hint) releases always-on-top first
    EXPECT_FALSE(keepAbove.IsKeptAbove(&Window()));
    EXPECT_EQ(onTop->Shown(), SwitchButton::Picture::On);
    EXPECT_EQ(settings.Read(setting::kOnTop), "1");
    onTop->click();
    EXPECT_EQ(settings.Read(setting::kOnTop), "0");
    EXPECT_EQ(onTop->Shown(), SwitchButton::Picture::Off);
    onTop->click();
    EXPECT_EQ(settings.Read(setting::kOnTop), "1");
    EXPECT_TRUE(keepAbove.IsKeptAbove(&Window()));
    EXPECT_EQ(onTop->Shown(), SwitchButton::Picture::On);

    Config("[是否窗口置顶]\r\n值=2\r\n");
    const std::string before = ConfigBytes();
    const std::size_t requests = keepAbove.requests.size();
    onTop->click();
    EXPECT_EQ(ConfigBytes(), before);
    EXPECT_EQ(keepAbove.requests.size(), requests);
}

TEST(TrayTip, ShowsOnlyTheFirst62BytesWithoutCuttingACharacter) {
    EXPECT_EQ(TrayTip("Vorlune正式版", true), "Vorlune正式版\r\n全局快捷键状态:已经开启");
    const std::string title(70, 'x');
    EXPECT_EQ(TrayTip(title, false), std::string(62, 'x'));
    // 61 bytes of title then a two-byte character: it cannot be cut through.
    const std::string odd = std::string(61, 'y') + "音";
    EXPECT_EQ(TrayTip(odd, true), std::string(61, 'y'));
}

}  // namespace
}  // namespace vorlune
