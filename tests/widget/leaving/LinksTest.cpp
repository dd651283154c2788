#include <sys/stat.h>
#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTest>

#include "LeavingFixture.h"
#include "app/BottomLine.h"

namespace vorlune {
namespace {

using test::LeavingFixture;

const std::string kInvitation =
    "亲，全网最好用的【直播音效软件神器（网红主播必备Vorlune）】,分享给你咯哦，强烈推荐您试试！";
const std::string kHint = "温馨提示：直接点击打开或者复制链接地址到浏览器地址栏打开哦！";
const Prompt kCopied{.text = "亲，购买链接已经复制到剪切板了哦，可以右键粘贴分享给好友了哦！",
                     .caption = "信息：",
                     .icon = PromptIcon::Information,
                     .buttons = PromptButtons::Ok,
                     .defaultButton = PromptAnswer::Ok};

class LinksFixture : public LeavingFixture {
  protected:
    LinksFixture() {
        test::MakeFolders(dir.File("help"));
        test::WriteFileBytes(dir.File("help/index.html"), "<html></html>");
    }
    BottomLine& Bottom() const { return *Window().Bottom(); }
    // The shop link's menu "链接分享": "进入淘宝页面" and "复制购买链接".
    static QMenu& ShareMenu() { return *test::TopLevel<QMenu>(QStringLiteral("链接分享")); }
    static QAction* OpenShopItem() { return ShareMenu().actions().value(0); }
    static QAction* CopyItem() { return ShareMenu().actions().value(1); }
    static void Press(QWidget* link) { QTest::mousePress(link, Qt::LeftButton); }
};

TEST_F(LinksFixture, WithoutAHelpSectionBothLinksOpenTheShippedHelpPage) {
    Config("[软件名称]\r\n文本=Vorlune\r\n");
    Start();
    Press(Bottom().HelpLink());
    Press(Bottom().ContactLink());
    // Only the left button acts.
    QTest::mousePress(Bottom().HelpLink(), Qt::RightButton);
    const std::string page = dir.File("help/index.html");
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{page, page}));
    EXPECT_TRUE(prompts.recorded.shown.empty());
}

TEST_F(LinksFixture, AddressesComeFromConfigAtEveryClick) {
    Config(
        "[使用帮助]\r\n地址=https://help.example/vorlune\r\n联系地址=mailto:host@example.com\r\n"
        "[联系方式]\r\n淘宝地址=https://shop.example/item?id=1\r\n");
    Start();
    Press(Bottom().HelpLink());
    Press(Bottom().ContactLink());
    OpenShopItem()->trigger();
    Config("[使用帮助]\r\n地址=help\\index.html\r\n联系地址=www.example.com/contact\r\n");
    Press(Bottom().HelpLink());
    Press(Bottom().ContactLink());
    EXPECT_EQ(desktop.opened, (std::vector<std::string>{
                                  "https://help.example/vorlune", "mailto:host@example.com",
                                  "https://shop.example/item?id=1", dir.File("help/index.html"),
                                  "http://www.example.com/contact"}));
}

TEST_F(LinksFixture, AddressesThatCouldRunSomethingAreIgnoredQuietly) {
    test::WriteFileBytes(dir.File("run.sh"), "#!/bin/sh\ntouch ran\n");
    chmod(dir.File("run.sh").c_str(), 0755);
    test::TempDir elsewhere;
    test::WriteFileBytes(elsewhere.File("page.html"), "<html></html>");
    const std::vector<std::string> refused{
        "run.sh",
        dir.File("run.sh"),
        "/bin/sh",
        "file://" + elsewhere.File("page.html"),
        "help/../../page.html",
        "javascript:alert(1)",
        "",
    };
    for (const std::string& address : refused) {
        SCOPED_TRACE(address);
        Config("[使用帮助]\r\n地址=" + address + "\r\n联系地址=" + address +
               "\r\n[联系方式]\r\n淘宝地址=" + address + "\r\n");
        if (!app) {
            Start();
        }
        Press(Bottom().HelpLink());
        Press(Bottom().ContactLink());
        OpenShopItem()->trigger();
    }
    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_TRUE(prompts.recorded.shown.empty());
}

TEST_F(LinksFixture, ShopMenuOpensTheShopOrCopiesTheRecommendation) {
    Config("[联系方式]\r\n淘宝地址=https://shop.example/item?id=1\r\n");
    Start();
    QMenu& menu = ShareMenu();
    QCursor::setPos(300, 200);
    Press(Bottom().ShopLink());
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), QPoint(303, 203));
    EXPECT_EQ(menu.title(), QStringLiteral("链接分享"));
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("进入淘宝页面"));
    EXPECT_EQ(menu.actions()[1]->text(), QStringLiteral("复制购买链接"));
    menu.hide();
    EXPECT_TRUE(desktop.opened.empty());

    desktop.clipboard = "before";
    CopyItem()->trigger();
    EXPECT_EQ(desktop.clipboard,
              kInvitation + "\r\n" + "https://shop.example/item?id=1" + "\r\n" + kHint);
    EXPECT_EQ(prompts.recorded.shown, std::vector<Prompt>{kCopied});

    // Without a shop address the two fixed parts are still copied, and the message shown.
    Config("[联系方式]\r\n");
    CopyItem()->trigger();
    EXPECT_EQ(desktop.clipboard, kInvitation + "\r\n\r\n" + kHint);
    EXPECT_EQ(prompts.recorded.shown, (std::vector<Prompt>{kCopied, kCopied}));
    EXPECT_TRUE(desktop.opened.empty());
}

}  // namespace
}  // namespace vorlune
