#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "app/SingleInstance.h"

namespace vorlune {
namespace {

constexpr unsigned kUser = 1000;

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

}  // namespace
}  // namespace vorlune
