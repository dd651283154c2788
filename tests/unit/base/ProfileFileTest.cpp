#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "base/GbkText.h"
#include "base/ProfileFile.h"

namespace vorlune {
namespace {

using test::NoReadOverride;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

TEST(ProfileFiles, MissingFilesReadAsDefaultsAndWritesCreateOnlyTheFile) {
    TempDir dir;
    ProfileFiles files;
    const std::string path = dir.File("config.ini");
    EXPECT_EQ(files.Read(path, "音效音量", "值", "dflt"), "dflt");
    EXPECT_TRUE(files.Write(path, "音效音量", "值", std::nullopt));  // nothing to delete
    EXPECT_FALSE(::access(path.c_str(), F_OK) == 0);

    EXPECT_TRUE(files.Write(path, "音效音量", "值", "80"));
    EXPECT_EQ(ReadFileBytes(path), Utf8ToGbk("[音效音量]\r\n值=80\r\n"));
    EXPECT_EQ(files.Read(path, "音效音量", "值"), "80");

    // A write into a missing folder fails and creates nothing.
    const std::string deep = dir.File("Sounds/Common/list.ini");
    EXPECT_FALSE(files.Write(deep, "音效1", "名称", "x"));
    EXPECT_FALSE(::access(dir.File("Sounds").c_str(), F_OK) == 0);
    EXPECT_EQ(files.Read(deep, "音效1", "名称", "+"), "+");
}

TEST(ProfileFiles, FailedWritesLeaveTheFileAsItWas) {
    TempDir dir;
    ProfileFiles files;
    const std::string path = dir.File("list.ini");
    WriteFileBytes(path, "[s]\r\nk=old\r\n");
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(files.Write(path, "s", "k", "new"));
    EXPECT_EQ(ReadFileBytes(path), "[s]\r\nk=old\r\n");
    ::chmod(path.c_str(), 0644);

    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_FALSE(files.Write(path, "s", "k", "new"));
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(files.Read(path, "s", "k"), "old");

    // A folder standing where the file should be.
    const std::string folder = dir.File("folder.ini");
    ::mkdir(folder.c_str(), 0755);
    EXPECT_EQ(files.Read(folder, "s", "k", "d"), "d");
    EXPECT_FALSE(files.Write(folder, "s", "k", "v"));
    // No temporary file is left behind by any of these.
    EXPECT_EQ(ReadFileBytes(path), "[s]\r\nk=old\r\n");
}

TEST(ProfileFiles, UnchangedWritesDoNotTouchTheFileAndHandEditsShowAtOnce) {
    TempDir dir;
    ProfileFiles files;
    const std::string path = dir.File("config.ini");
    WriteFileBytes(path, "[a]\nk=1\n");
    const struct stat before = StatOf(path);
    EXPECT_TRUE(files.Write(path, "A", "K", "1"));
    const struct stat after = StatOf(path);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);

    EXPECT_EQ(files.Read(path, "a", "k"), "1");
    WriteFileBytes(path, "[a]\nk=2\n");  // same size, new content
    EXPECT_EQ(files.Read(path, "a", "k"), "2");
    std::remove(path.c_str());
    EXPECT_EQ(files.Read(path, "a", "k", "gone"), "gone");
}

TEST(ProfileFiles, AWriteKeepsTheModeOfTheFileAndGoesThroughLinksToTheirTarget) {
    TempDir dir;
    ProfileFiles files;
    const std::string path = dir.File("config.ini");
    WriteFileBytes(path, "[a]\nk=1\n");
    ::chmod(path.c_str(), 0600);
    EXPECT_TRUE(files.Write(path, "a", "k", "2"));
    EXPECT_EQ(StatOf(path).st_mode & 0777, 0600U);
    EXPECT_EQ(ReadFileBytes(path), "[a]\nk=2\n");

    // A dotfiles setup: the data folder's list is a relative link to a link to the real file,
    // which keeps its owner (where the test may give it another one) and mode.
    test::MakeFolders(dir.File("dotfiles"));
    test::MakeFolders(dir.File("data"));
    const std::string target = dir.File("dotfiles/list.ini");
    WriteFileBytes(target, Utf8ToGbk("[音效1]\r\n名称=鼓掌\r\n"));
    ::chmod(target.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    }
    ASSERT_EQ(::symlink("list.ini", dir.File("dotfiles/current.ini").c_str()), 0);
    ASSERT_EQ(::symlink("../dotfiles/current.ini", dir.File("data/list.ini").c_str()), 0);
    const std::string link = dir.File("data/list.ini");
    EXPECT_TRUE(files.Write(link, "当前记录", "值", "0"));
    EXPECT_EQ(files.Read(link, "音效1", "名称"), "鼓掌");
    struct stat linkStat {};
    ASSERT_EQ(::lstat(link.c_str(), &linkStat), 0);
    EXPECT_TRUE(S_ISLNK(linkStat.st_mode));
    EXPECT_EQ(ReadFileBytes(target), Utf8ToGbk("[音效1]\r\n名称=鼓掌\r\n[当前记录]\r\n值=0\r\n"));
    EXPECT_EQ(StatOf(target).st_mode & 07777, 0640U);
    if (root) {
        EXPECT_EQ(StatOf(target).st_uid, 4321U);
        EXPECT_EQ(StatOf(target).st_gid, 4322U);
    }
    // No temporary file was left in either folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("dotfiles")),
                            std::filesystem::directory_iterator()),
              2);

    // A link whose target is not there yet gets its target made; a loop of links is refused.
    ASSERT_EQ(::symlink("../dotfiles/new.ini", dir.File("data/config.ini").c_str()), 0);
    EXPECT_TRUE(files.Write(dir.File("data/config.ini"), "a", "k", "1"));
    EXPECT_EQ(ReadFileBytes(dir.File("dotfiles/new.ini")), "[a]\r\nk=1\r\n");
    ASSERT_EQ(::symlink("loop.ini", dir.File("data/loop.ini").c_str()), 0);
    EXPECT_FALSE(files.Write(dir.File("data/loop.ini"), "a", "k", "1"));
}

TEST(ProfileFiles, AFileThatCannotBeReadRefusesEveryWriteUntilItReadsAgain) {
    TempDir dir;
    ::chmod(dir.Path().c_str(), 0777);
    const std::string path = dir.File("list.ini");
    const std::string slots = Utf8ToGbk("[音效1]\r\n名称=鼓掌\r\n[音效209]\r\n名称=笑声\r\n");
    WriteFileBytes(path, slots);
    ::chmod(path.c_str(), 0200);
    ProfileFiles files;
    std::vector<std::string> told;
    {
        const NoReadOverride unprivileged;
        EXPECT_EQ(files.Read(path, "音效1", "名称", "+"), "+");
        // Found before anyone listens: told when a handler comes.
        files.OnUnreadable([&told](const std::string& unreadable) { told.push_back(unreadable); });
        // The exit record would otherwise replace all slots with its one key.
        EXPECT_FALSE(files.Write(path, "当前记录", "值", "0"));
        EXPECT_FALSE(files.Write(path, "音效1", "名称", std::nullopt));
    }
    EXPECT_EQ(ReadFileBytes(path), slots);
    EXPECT_EQ(told, std::vector<std::string>{path});

    // Readable again: writes work, and a second failure is told again.
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(files.Read(path, "音效209", "名称"), "笑声");
    EXPECT_TRUE(files.Write(path, "当前记录", "值", "0"));
    ::chmod(path.c_str(), 0200);
    {
        const NoReadOverride unprivileged;
        EXPECT_FALSE(files.Write(path, "音效1", "名称", "x"));
    }
    EXPECT_EQ(told, (std::vector<std::string>{path, path}));
    EXPECT_EQ(ReadFileBytes(path), slots + Utf8ToGbk("[当前记录]\r\n值=0\r\n"));
}

TEST(ProfileFiles, AGbkListTakesTextGbkCannotHoldByBecomingUtf8) {
    TempDir dir;
    ProfileFiles files;
    const std::string path = dir.File("list.ini");
    const std::string lines =
        "; 我的音效 (hand comment)\r\n"
        "[音效1]\r\n"
        "名称=掌声\r\n"
        "dz=音效1｜[取运行目录]\\Sounds\\Common\\掌声.wav\r\n"
        "kjj=Ctrl｜F1键\r\n"
        "\r\n"
        "[别的程序]\r\n"
        "  key = spaced value  \r\n"
        "[音效2]\r\n"
        "名称=旧\r\n";
    WriteFileBytes(path, Utf8ToGbk(lines) + "bad=\x80\r\n");

    const std::string wav = "/home/主播/Geräusch.wav";
    EXPECT_TRUE(files.Write(path, "音效2", "名称", "Geräusch"));
    EXPECT_TRUE(files.Write(path, "音效2", "dz", "音效2｜" + wav));
    const std::string bytes = ReadFileBytes(path);
    // Every line is there, as it was, in front of the new key; only the encoding changed.
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" + std::string(lines).replace(lines.find("旧"), 3, "Geräusch") +
                         "bad=\x80\r\ndz=音效2｜" + wav + "\r\n");
    ProfileFiles fresh;
    EXPECT_EQ(fresh.Read(path, "音效2", "名称"), "Geräusch");
    EXPECT_EQ(fresh.Read(path, "音效2", "dz"), "音效2｜" + wav);
    EXPECT_EQ(fresh.Read(path, "音效1", "dz"), "音效1｜[取运行目录]\\Sounds\\Common\\掌声.wav");
    EXPECT_EQ(fresh.Read(path, "别的程序", "key"), "spaced value");
    EXPECT_EQ(Utf8ToGbk(fresh.Read(path, "音效2", "bad")), "\x80");

    // Once UTF-8, the file stays UTF-8 and takes any text.
    EXPECT_TRUE(files.Write(path, "音效1", "名称", "ㅎ😀"));
    EXPECT_EQ(fresh.Read(path, "音效1", "名称"), "ㅎ😀");
    EXPECT_TRUE(ReadFileBytes(path).starts_with("\xEF\xBB\xBF; 我的音效"));
}

TEST(ProfileFiles, BadInputNeverCrashesAndIsNeverRewrittenUnasked) {
    TempDir dir;
    ProfileFiles files;
    std::mt19937 random(3);

    const std::string binary = dir.File("binary.ini");
    std::string noise(1 << 20, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() & 0xFF);
    }
    WriteFileBytes(binary, noise);
    EXPECT_EQ(files.Read(binary, "音效1", "名称", "+"), "+");
    EXPECT_TRUE(files.Write(binary, "音效1", "名称", "x"));
    EXPECT_EQ(files.Read(binary, "音效1", "名称"), "x");
    // Every byte of the noise is still there, in front of the appended section.
    EXPECT_EQ(ReadFileBytes(binary).substr(0, noise.size()), noise);

    const std::string big = dir.File("big.ini");
    std::string lines;
    while (lines.size() < 50U * 1024 * 1024) {
        lines += "[s" + std::to_string(lines.size()) + "]\nkey=value\n";
    }
    WriteFileBytes(big, lines);
    EXPECT_EQ(files.Read(big, "s0", "key"), "value");
    EXPECT_EQ(files.Read(big, "missing", "key", "d"), "d");

    const std::string longLine = dir.File("long.ini");
    WriteFileBytes(longLine, "[s]\nk=" + std::string(20U * 1024 * 1024, 'x') + "\n");
    EXPECT_EQ(files.Read(longLine, "s", "k").size(), 10239U);
    EXPECT_EQ(ReadFileBytes(longLine).size(), 20U * 1024 * 1024 + 7);
}

// Without the GBK converter every Chinese character written would become "?"; so nothing is
// written at all, and the files keep every byte.
TEST(ProfileFiles, WithoutTheGbkConverterNoFileIsWritten) {
    const GbkCodec missing("VORLUNE-NO-SUCH-CHARSET");
    ASSERT_FALSE(missing.Available());
    ASSERT_TRUE(GbkCodec::System().Available());
    TempDir dir;
    const std::string path = dir.File("list.ini");
    const std::string bytes = Utf8ToGbk("[s]\r\nk=1\r\n[音效1]\r\n名称=鼓掌\r\n");
    WriteFileBytes(path, bytes);

    ProfileFiles files(missing);
    EXPECT_EQ(files.Read(path, "s", "k"), "1");
    EXPECT_FALSE(files.Write(path, "s", "k", "2"));
    EXPECT_FALSE(files.Write(path, "s", "k", std::nullopt));
    EXPECT_FALSE(files.Write(path, "音效1", "名称", "笑声"));
    EXPECT_FALSE(files.Write(path, "音效2", "名称", "x"));
    EXPECT_FALSE(files.Write(dir.File("config.ini"), "s", "k", "1"));
    EXPECT_EQ(ReadFileBytes(path), bytes);
    // No new file and no temporary file beside it.
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.Path()),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 1);

    ProfileFiles working;
    EXPECT_TRUE(working.Write(path, "音效1", "名称", "笑声"));
    EXPECT_EQ(ReadFileBytes(path), Utf8ToGbk("[s]\r\nk=1\r\n[音效1]\r\n名称=笑声\r\n"));
}

// A writer killed at any moment leaves a file that parses with every key it had finished.
TEST(ProfileFiles, AKilledWriterNeverLeavesATornFile) {
    TempDir dir;
    const std::string path = dir.File("list.ini");
    std::mt19937 random(11);
    for (int round = 0; round < 12; ++round) {
        std::remove(path.c_str());
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            ProfileFiles files;
            for (int i = 0;; ++i) {
                if (!files.Write(path, "音效" + std::to_string(i % 209 + 1),
                                 "k" + std::to_string(i),
                                 std::string(static_cast<std::size_t>(i % 50), 'v'))) {
                    ::_exit(1);
                }
                if (::write(pipeFds[1], &i, sizeof i) != sizeof i) {
                    ::_exit(1);
                }
            }
        }
        ::close(pipeFds[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 40));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        int last = -1;
        int value = 0;
        while (::read(pipeFds[0], &value, sizeof value) == sizeof value) {
            last = value;
        }
        ::close(pipeFds[0]);
        ProfileFiles reader;
        for (int i = 0; i <= last; ++i) {
            ASSERT_EQ(reader.Read(path, "音效" + std::to_string(i % 209 + 1),
                                  "k" + std::to_string(i), "?"),
                      std::string(static_cast<std::size_t>(i % 50), 'v'))
                << "round " << round << " key " << i << " of " << last;
        }
    }
}

}  // namespace
}  // namespace vorlune
