#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "app/Links.h"

namespace vorlune {
namespace {

using Kind = AddressTarget::Kind;
using test::TempDir;

TEST(ShareText, InvitationAddressAndHintJoinedByWindowsLineBreaks) {
    const std::string invitation =
        "亲，全网最好用的【直播音效软件神器（网红主播必备Vorlune）】,"
        "分享给你咯哦，强烈推荐您试试！";
    const std::string hint = "温馨提示：直接点击打开或者复制链接地址到浏览器地址栏打开哦！";
    EXPECT_EQ(ShareText("https://shop.example/item?id=7"),
              invitation + "\r\nhttps://shop.example/item?id=7\r\n" + hint);
    // Without a shop address the two fixed parts stay, back to back.
    EXPECT_EQ(ShareText(""), invitation + "\r\n\r\n" + hint);
}

TEST(CheckAddress, WebAndMailAddressesPassUnchanged) {
    const std::string folder = "/opt/vorlune";
    for (const std::string address :
         {"http://example.com", "https://example.com/help?q=1#top", "HTTPS://Example.com/",
          "mailto:host@example.com", "MailTo:a@b.c?subject=hi"}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(CheckAddress(address, folder), (AddressTarget{Kind::Web, address}));
    }
    EXPECT_EQ(CheckAddress("  https://example.com \t", folder),
              (AddressTarget{Kind::Web, "https://example.com"}));
}

TEST(CheckAddress, AHostAddressWithoutASchemeOpensAsAWebPage) {
    const std::string folder = "/opt/vorlune";
    for (const std::string address :
         {"www.example.com/page", "example.com", "Shop.Example.CN/item?id=1#top",
          "www.example.com:8080/x", "192.168.1.10/admin", "例子.中国/页", "a-b.xn--fiqs8s"}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(CheckAddress(address, folder), (AddressTarget{Kind::Web, "http://" + address}));
    }
    EXPECT_EQ(CheckAddress(" www.example.com ", folder),
              (AddressTarget{Kind::Web, "http://www.example.com"}));
    // Not host names: paths in the program folder, as before.
    for (const std::string address :
         {"help/index.html", "localhost/x", "a.b", "-x.example.com/y", "www..example.com",
          "www.example.com\\x", "x.example.123", "1.2.3/x", ".example.com"}) {
        SCOPED_TRACE(address);
        const std::optional<AddressTarget> target = CheckAddress(address, folder);
        EXPECT_TRUE(!target || target->kind == Kind::LocalFile);
    }
    // A port that is no number is no address.
    EXPECT_EQ(CheckAddress("www.example.com:80abc/x", folder), std::nullopt);
}

TEST(CheckAddress, FilesInsideTheProgramFolderAreResolvedFromIt) {
    const std::string folder = "/opt/vorlune";
    const AddressTarget help{Kind::LocalFile, "/opt/vorlune/help/index.html"};
    EXPECT_EQ(CheckAddress("help/index.html", folder), help);
    EXPECT_EQ(CheckAddress("help\\index.html", folder), help);
    EXPECT_EQ(CheckAddress("./help/./x/../index.html", folder), help);
    EXPECT_EQ(CheckAddress("/opt/vorlune/help/index.html", folder), help);
    EXPECT_EQ(CheckAddress("/opt/vorlune/help/index.html", "/opt/vorlune/"), help);
    EXPECT_EQ(CheckAddress("file:///opt/vorlune/help/index.html", folder), help);
    EXPECT_EQ(CheckAddress("file://localhost/opt/vorlune/help/index.html#hotkeys", folder), help);
    EXPECT_EQ(CheckAddress("file:/opt/vorlune/help/index.html?x=1", folder), help);
    EXPECT_EQ(CheckAddress("FILE:///opt/vorlune/help/%69ndex.html", folder), help);
    EXPECT_EQ(CheckAddress("help/a:b.html", folder),
              (AddressTarget{Kind::LocalFile, "/opt/vorlune/help/a:b.html"}));
}

TEST(CheckAddress, RefusesEverythingElse) {
    const std::string folder = "/opt/vorlune";
    for (const std::string address : {
             "",
             "   ",
             "javascript:alert(1)",
             "JavaScript:alert(1)",
             "vbscript:msgbox(1)",
             "data:text/html,<script>alert(1)</script>",
             "ftp://example.com/x",
             "smb://server/share",
             "http:",
             "http:example.com",
             "https:///path",
             "mailto:",
             "https://example.com/\nrm -rf",
             "/bin/sh",
             "/usr/bin/xterm -e sh",
             "../outside.html",
             "help/../../outside.html",
             "/opt/vorlune",
             "/opt/vorlune/",
             "/opt/vorlune-evil/help.html",
             "/opt/vorlunex/help.html",
             "file:///etc/passwd",
             "file:///opt/vorlune/%2e%2e/secret.html",
             "file:///opt/vorlune/help/%00.html",
             "file:///opt/vorlune/help/%zz.html",
             "file://otherhost/opt/vorlune/help/index.html",
             "file:help/index.html",
             "C:\\Windows\\System32\\calc.exe",
             "c:/tools/run.bat",
         }) {
        SCOPED_TRACE(address);
        EXPECT_EQ(CheckAddress(address, folder), std::nullopt);
    }
}

class OpenableAddressOnDisk : public ::testing::Test {
  protected:
    OpenableAddressOnDisk() {
        test::MakeFolders(dir.File("help"));
        test::WriteFileBytes(dir.File("help/index.html"), "<html></html>");
        test::WriteFileBytes(dir.File("run.sh"), "#!/bin/sh\necho ran\n");
        chmod(dir.File("run.sh").c_str(), 0755);
        test::WriteFileBytes(dir.File("vorlune"),
                             "\x7f"
                             "ELF");
        chmod(dir.File("vorlune").c_str(), 0755);
        test::WriteFileBytes(dir.File("launch.desktop"), "[Desktop Entry]\nExec=sh\n");
        test::WriteFileBytes(outside.File("page.html"), "<html></html>");
        symlink(outside.File("page.html").c_str(), dir.File("help/away.html").c_str());
        symlink(dir.File("help/index.html").c_str(), dir.File("help/alias.html").c_str());
    }
    TempDir dir;
    TempDir outside;
};

TEST_F(OpenableAddressOnDisk, OnlyDocumentsThatReallyLieInsideTheFolder) {
    const std::string page = dir.File("help/index.html");
    EXPECT_EQ(OpenableAddress("help/index.html", dir.Path()),
              (AddressTarget{Kind::LocalFile, page}));
    EXPECT_EQ(OpenableAddress("file://" + page, dir.Path()),
              (AddressTarget{Kind::LocalFile, page}));
    // A link inside the folder is followed to what it names, which must be inside too.
    EXPECT_EQ(OpenableAddress("help/alias.html", dir.Path()),
              (AddressTarget{Kind::LocalFile, page}));
    EXPECT_EQ(OpenableAddress("help/away.html", dir.Path()), std::nullopt);
    // Programs and scripts in the folder are never handed to the desktop, nor are folders and
    // files that do not exist.
    EXPECT_EQ(OpenableAddress("run.sh", dir.Path()), std::nullopt);
    EXPECT_EQ(OpenableAddress(dir.File("vorlune"), dir.Path()), std::nullopt);
    EXPECT_EQ(OpenableAddress("launch.desktop", dir.Path()), std::nullopt);
    EXPECT_EQ(OpenableAddress("help", dir.Path()), std::nullopt);
    EXPECT_EQ(OpenableAddress("help/missing.html", dir.Path()), std::nullopt);
    EXPECT_EQ(OpenableAddress("file://" + outside.File("page.html"), dir.Path()), std::nullopt);
    // Web addresses do not touch the disk.
    EXPECT_EQ(OpenableAddress("https://example.com", dir.Path()),
              (AddressTarget{Kind::Web, "https://example.com"}));
    // A name in the folder is that file, even where it reads like a host name; only what the
    // folder does not hold opens on the web.
    test::WriteFileBytes(dir.File("notes.txt"), "notes");
    EXPECT_EQ(OpenableAddress("notes.txt", dir.Path()),
              (AddressTarget{Kind::LocalFile, dir.File("notes.txt")}));
    EXPECT_EQ(OpenableAddress("run.sh", dir.Path()), std::nullopt);
    EXPECT_EQ(OpenableAddress("www.example.com/page", dir.Path()),
              (AddressTarget{Kind::Web, "http://www.example.com/page"}));
}

}  // namespace
}  // namespace vorlune
