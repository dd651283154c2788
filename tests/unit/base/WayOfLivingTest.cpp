#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "TempDir.h"
#include "base/DataFolder.h"
#include "base/WayOfLiving.h"

namespace vorlune {
namespace {

using test::MakeFolders;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

LivingFacts ReadOnlyProgram(std::string xdgDataHome, std::string home) {
    return {.programFolder = "/usr/lib/vorlune",
            .programFolderWritable = false,
            .portableMark = false,
            .xdgDataHome = std::move(xdgDataHome),
            .home = std::move(home)};
}

TEST(DecideLiving, PortableBesideAWritableOrMarkedProgramElseInTheUsersDataFolder) {
    LivingFacts facts = ReadOnlyProgram("/home/me/data", "/home/me");
    facts.programFolder = "/home/me/vorlune-0.1.0/lib/vorlune";
    facts.programFolderWritable = true;
    Living living = DecideLiving(facts);
    EXPECT_EQ(living.way, WayOfLiving::Portable);
    EXPECT_EQ(living.dataFolder, "/home/me/vorlune-0.1.0/lib/vorlune");

    // Root can write the package's folder, but its files stay the system's: root's settings
    // go to root's data folder, not into what every new user starts from.
    for (const char* system : {"/usr/lib/vorlune", "/usr/local/lib/vorlune", "/usr"}) {
        facts.programFolder = system;
        living = DecideLiving(facts);
        EXPECT_EQ(living.way, WayOfLiving::Installed) << system;
        EXPECT_EQ(living.dataFolder, "/home/me/data/vorlune") << system;
    }
    facts.programFolder = "/usrlocal/vorlune";
    EXPECT_EQ(DecideLiving(facts).way, WayOfLiving::Portable);

    facts = ReadOnlyProgram("/home/me/data", "/home/me");
    facts.portableMark = true;
    living = DecideLiving(facts);
    EXPECT_EQ(living.way, WayOfLiving::Portable);
    EXPECT_EQ(living.dataFolder, "/usr/lib/vorlune");

    living = DecideLiving(ReadOnlyProgram("/home/me/data/", "/home/me"));
    EXPECT_EQ(living.way, WayOfLiving::Installed);
    EXPECT_EQ(living.dataFolder, "/home/me/data/vorlune");
    // Unset, empty or relative $XDG_DATA_HOME: the default below the home folder.
    EXPECT_EQ(DecideLiving(ReadOnlyProgram("", "/home/me")).dataFolder,
              "/home/me/.local/share/vorlune");
    EXPECT_EQ(DecideLiving(ReadOnlyProgram("data", "/home/me/")).dataFolder,
              "/home/me/.local/share/vorlune");
    EXPECT_EQ(DecideLiving(ReadOnlyProgram("", "/")).dataFolder, "/.local/share/vorlune");
    // No home folder known: installed, with no data folder to use.
    living = DecideLiving(ReadOnlyProgram("", ""));
    EXPECT_EQ(living.way, WayOfLiving::Installed);
    EXPECT_EQ(living.dataFolder, "");
    EXPECT_EQ(DecideLiving(ReadOnlyProgram("", "home")).dataFolder, "");
}

// Sets an environment variable for the life of the object and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value, 1);
    }
    ~ScopedVariable() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ReadLivingFacts, SeesTheFoldersWriteBitsItsPortableMarkAndTheEnvironment) {
    TempDir dir;
    const ProgramFolder program(dir.Path());
    const ScopedVariable xdg("XDG_DATA_HOME", "/srv/data");
    const ScopedVariable home("HOME", "/home/someone");
    LivingFacts facts = ReadLivingFacts(program);
    EXPECT_EQ(facts.programFolder, dir.Path());
    EXPECT_TRUE(facts.programFolderWritable);
    EXPECT_FALSE(facts.portableMark);
    EXPECT_EQ(facts.xdgDataHome, "/srv/data");
    EXPECT_EQ(facts.home, "/home/someone");

    // A folder without write bits is read-only also for root, whom permissions never stop.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    facts = ReadLivingFacts(program);
    EXPECT_FALSE(facts.programFolderWritable);
    EXPECT_EQ(DecideLiving(facts).dataFolder, "/srv/data/vorlune");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    WriteFileBytes(dir.File("portable"), "");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    facts = ReadLivingFacts(program);
    EXPECT_TRUE(facts.portableMark);
    EXPECT_EQ(DecideLiving(facts).way, WayOfLiving::Portable);
}

class PrepareDataFolderTest : public ::testing::Test {
  protected:
    PrepareDataFolderTest() {
        MakeFolders(shipped.File("Sounds/Common"));
        WriteFileBytes(shipped.File("config.ini"), "[音效音量]\r\n值=80\r\n");
        WriteFileBytes(shipped.File("Sounds/Common/list.ini"), "[音效1]\r\n名称=叮\r\n");
    }

    TempDir shipped;
    TempDir user;
    ProgramFolder program{shipped.Path()};
};

TEST_F(PrepareDataFolderTest, ANewFolderStartsFromTheShippedFilesAndKeepsTheUsersAfterwards) {
    const DataFolder data(user.File(".local/share/vorlune"));
    ASSERT_TRUE(PrepareDataFolder(program, data));
    EXPECT_EQ(ReadFileBytes(data.Join(kConfigFile)), ReadFileBytes(shipped.File("config.ini")));
    EXPECT_EQ(ReadFileBytes(data.Join(kLiveSlotList)),
              ReadFileBytes(shipped.File("Sounds/Common/list.ini")));
    struct stat info {};
    ASSERT_EQ(::stat(user.File(".local").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700U) << "a folder made for the user is the user's alone";
    ASSERT_EQ(::stat(data.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700U);

    // The user's own files are never replaced; one that is missing comes back from the program.
    WriteFileBytes(data.Join(kConfigFile), "[音效音量]\r\n值=35\r\n");
    ASSERT_EQ(::remove(data.Join(kLiveSlotList).c_str()), 0);
    ASSERT_TRUE(PrepareDataFolder(program, data));
    EXPECT_EQ(ReadFileBytes(data.Join(kConfigFile)), "[音效音量]\r\n值=35\r\n");
    EXPECT_EQ(ReadFileBytes(data.Join(kLiveSlotList)), "[音效1]\r\n名称=叮\r\n");
}

TEST_F(PrepareDataFolderTest, AMissingShippedFileIsNoFaultButAFolderThatCannotBeMadeIs) {
    ASSERT_EQ(::remove(shipped.File("config.ini").c_str()), 0);
    const DataFolder data(user.File("vorlune"));
    ASSERT_TRUE(PrepareDataFolder(program, data));
    struct stat info {};
    EXPECT_NE(::stat(data.Join(kConfigFile).c_str(), &info), 0);
    EXPECT_EQ(ReadFileBytes(data.Join(kLiveSlotList)), "[音效1]\r\n名称=叮\r\n");

    // A file where a folder must go.
    WriteFileBytes(user.File("blocked"), "");
    EXPECT_FALSE(PrepareDataFolder(program, DataFolder(user.File("blocked/vorlune"))));
}

}  // namespace
}  // namespace vorlune
