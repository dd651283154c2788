#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <optional>

#include "TempDir.h"
#include "base/AtomicFile.h"
#include "base/FileCopy.h"

namespace vorlune {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::size_t EntriesOf(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()),
                                                  std::filesystem::directory_iterator()));
}

// The descriptor this process holds open on a file whose path starts with prefix.
std::optional<int> OpenDescriptorOf(const std::string& prefix) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        if (!error && target.string().starts_with(prefix)) {
            return std::stoi(entry.path().filename().string());
        }
    }
    return std::nullopt;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(AtomicFile, TheFileIsUntouchedUntilCommitThenWhollyReplacedWithItsMode) {
    TempDir dir;
    const std::string path = dir.File("list.ini");
    WriteFileBytes(path, "old");
    ::chmod(path.c_str(), 0600);
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.Write("new"));
        EXPECT_EQ(ReadFileBytes(path), "old");
        // The temporary file is not handed on to a program started meanwhile.
        const std::optional<int> fd = OpenDescriptorOf(dir.File(".list.ini."));
        ASSERT_TRUE(fd.has_value());
        EXPECT_NE(::fcntl(*fd, F_GETFD) & FD_CLOEXEC, 0);
    }
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(EntriesOf(dir), 1U);

    {
        AtomicFile file(path);
        EXPECT_TRUE(file.Write("new ") && file.Write("bytes"));
        EXPECT_TRUE(file.Commit());
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(ReadFileBytes(path), "new bytes");
    EXPECT_EQ(ModeOf(path), 0600U);
    EXPECT_EQ(EntriesOf(dir), 1U);

    // A new file is readable by all whatever the process's umask.
    const mode_t umask = ::umask(077);
    AtomicFile fresh(dir.File("config.ini"));
    EXPECT_TRUE(fresh.Write("[a]\r\n") && fresh.Commit());
    ::umask(umask);
    EXPECT_EQ(ModeOf(dir.File("config.ini")), 0644U);

    AtomicFile nowhere(dir.File("missing/list.ini"));
    EXPECT_FALSE(nowhere.IsOpen());
    EXPECT_FALSE(nowhere.Write("x"));
    EXPECT_FALSE(nowhere.Commit());
    EXPECT_EQ(EntriesOf(dir), 2U);
}

TEST(FileCopy, ASourceThatIsNoRegularFileIsRefusedWithoutWaiting) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    auto copy = std::async(std::launch::async,
                           [&] { return CopyFileReplacing(fifo, dir.File("copy.wav")); });
    if (copy.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // A writer that comes and goes frees the copy that waits for one.
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        ADD_FAILURE() << "the copy waited for something to write to the FIFO";
    }
    EXPECT_FALSE(copy.get());
    EXPECT_FALSE(CopyFileReplacing("/dev/zero", dir.File("copy.wav")));
    EXPECT_EQ(EntriesOf(dir), 1U);
}

}  // namespace
}  // namespace vorlune
