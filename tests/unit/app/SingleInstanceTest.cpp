#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "app/SingleInstance.h"

namespace vorlune {
namespace {

// The kernel reports a socket's owner by the effective user id.
const unsigned kUser = ::geteuid();

std::string UniqueFolder(const char* name) {
    return "/home/vorlune-test-" + std::to_string(::getpid()) + "/" + name;
}

TEST(SingleInstance, ASecondCopyOnTheSameDataIsRefusedAndOneOnOtherDataRuns) {
    const std::string folder = UniqueFolder("a");
    {
        SingleInstance first(kUser, folder);
        EXPECT_TRUE(first.IsFirst());
        SingleInstance second(kUser, folder);
        EXPECT_FALSE(second.IsFirst());
        SingleInstance elsewhere(kUser, UniqueFolder("b"));
        EXPECT_TRUE(elsewhere.IsFirst());
        // Another user's copy of the same program keeps its own files and runs beside it.
        SingleInstance otherUser(kUser + 1, folder);
        EXPECT_TRUE(otherUser.IsFirst());

        // Another process sees the mark too.
        const pid_t child = ::fork();
        if (child == 0) {
            SingleInstance other(kUser, folder);
            ::_exit(other.IsFirst() ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // The mark goes with the copy that held it, also a copy that crashed.
    SingleInstance again(kUser, folder);
    EXPECT_TRUE(again.IsFirst());
    EXPECT_FALSE(again.AnotherCopyRuns());
}

TEST(SingleInstance, AMarkThatCannotBeMadeIsNoSecondCopy) {
    const std::string folder = UniqueFolder("c");
    SingleInstance first(kUser, folder);
    ASSERT_TRUE(first.IsFirst());
    EXPECT_TRUE(SingleInstance(kUser, folder).AnotherCopyRuns());
    // Without a file handle left, neither a mark of its own nor another copy's can be seen.
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_NOFILE, &none);
        SingleInstance unchecked(kUser, folder);
        ::_exit(!unchecked.IsFirst() && !unchecked.AnotherCopyRuns() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SingleInstance, AVeryLongPathStillGivesAWorkingMark) {
    const std::string folder = "/" + std::string(300, 'x') + std::to_string(::getpid());
    SingleInstance first(kUser, folder);
    EXPECT_TRUE(first.IsFirst());
    SingleInstance second(kUser, folder);
    EXPECT_FALSE(second.IsFirst());
    SingleInstance otherUser(kUser + 1, folder);
    EXPECT_TRUE(otherUser.IsFirst());
}

// Any user can bind an abstract socket name. Here another user (nobody) takes this user's mark
// first, in a child that holds it until told to go.
TEST(SingleInstance, AMarkAnotherUserTookIsNoSecondCopy) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can start a process of another user";
    }
    const std::string folder = UniqueFolder("d");
    int ready[2];
    int done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t squatter = ::fork();
    if (squatter == 0) {
        ::close(ready[0]);
        ::close(done[1]);
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0) {
            ::_exit(1);
        }
        SingleInstance taken(kUser, folder);
        const char taking = taken.IsFirst() ? 'y' : 'n';
        char go = 0;
        ::_exit(::write(ready[1], &taking, 1) == 1 && ::read(done[0], &go, 1) >= 0 ? 0 : 1);
    }
    ::close(ready[1]);
    ::close(done[0]);
    char taking = 0;
    ASSERT_EQ(::read(ready[0], &taking, 1), 1);
    EXPECT_EQ(taking, 'y');
    {
        SingleInstance first(kUser, folder);
        EXPECT_TRUE(first.IsFirst());
        EXPECT_FALSE(first.AnotherCopyRuns());
        // This user's own second copy is still told apart.
        SingleInstance second(kUser, folder);
        EXPECT_FALSE(second.IsFirst());
        EXPECT_TRUE(second.AnotherCopyRuns());
    }
    ::close(done[1]);
    int status = 0;
    ::waitpid(squatter, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ::close(ready[0]);
}

}  // namespace
}  // namespace vorlune
