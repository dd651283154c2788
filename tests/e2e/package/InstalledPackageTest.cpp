// The program as the Debian package installs it, run by a user who has never run it: from
// /usr/bin/vorlune, on a private Xvfb and PulseAudio server, with a fresh home folder. It plays
// the shipped sounds from the read-only program folder, keeps the user's settings and slots in
// ~/.local/share/vorlune, shows them again after a restart, restores the shipped set from the
// installed factory list, and changes nothing under /usr.
//
// Not a CTest test: scripts/test-package installs the package, runs this as a user who is not
// root (HOME pointing at an empty folder, XDG_DATA_HOME unset) and removes the package again.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "Commands.h"
#include "MainWindowPlaces.h"
#include "ProgramUnderTest.h"
#include "PulseServer.h"
#include "SessionProbes.h"
#include "SinkRecorder.h"
#include "TempDir.h"
#include "XvfbDisplay.h"

namespace vorlune::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char kExecutable[] = "/usr/bin/vorlune";
constexpr char kProgramFolder[] = "/usr/lib/vorlune";

// Slot 1 "掌声" (Ctrl+F1) and slot 9 "叮" of the shipped set, on the first page.
const Point kSlot1 = SlotButtonCentre(0, 0, 1);
const Point kSlot9 = SlotButtonCentre(0, 1, 3);
// The repeat switch's picture on the control strip (a group box at (10, 433)).
constexpr Area kRepeatSwitchPicture{10 + 460, 433 + 19, 80, 24};

// Every file, folder and link below the program folder and every path the package lists, with
// its kind, mode and contents: two prints differ when anything there was written.
std::map<std::string, std::string> PrintOfInstalledFiles() {
    std::map<std::string, std::string> print;
    const auto add = [&print](const fs::path& path) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            print[path.string()] = "missing";
            return;
        }
        std::ostringstream entry;
        entry << std::oct << info.st_mode << std::dec << " " << info.st_uid << " ";
        std::error_code error;
        if (S_ISLNK(info.st_mode)) {
            entry << fs::read_symlink(path, error).string();
        } else if (S_ISREG(info.st_mode)) {
            entry << info.st_size << " " << std::hash<std::string>{}(ReadFileBytes(path.string()));
        }
        print[path.string()] = entry.str();
    };
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::recursive_directory_iterator(kProgramFolder, error)) {
        add(entry.path());
    }
    for (const std::string& path : Lines(CommandOutput("dpkg -L vorlune"))) {
        if (path.starts_with('/')) {
            add(path);
        }
    }
    return print;
}

class InstalledPackage : public ::testing::Test {
  protected:
    InstalledPackage()
        : home_(std::getenv("HOME") != nullptr ? std::getenv("HOME") : ""),
          data_(home_ + "/.local/share/vorlune"),
          pulse_(dir_.Path()),
          sink_("A", dir_.File("A.raw")),
          program_(
              dir_.Path(),
              {.executable = kExecutable, .programFolder = kProgramFolder, .dataFolder = data_}) {}

    void SetUp() override {
        ASSERT_NE(::geteuid(), 0U) << "run as a user who cannot write the program folder";
        ASSERT_EQ(std::getenv("XDG_DATA_HOME"), nullptr);
        ASSERT_FALSE(home_.empty());
        ASSERT_FALSE(fs::exists(home_ + "/.local")) << "the home folder is not fresh";
        ASSERT_TRUE(program_.Installed()) << "no " << kExecutable;
        ASSERT_TRUE(display_.Start("1024x768x24"));
        ASSERT_TRUE(pulse_.Ready()) << pulse_.Log();
        ASSERT_TRUE(sink_.Started());
        // A null sink that has been idle starts in 2-second blocks.
        std::this_thread::sleep_for(2500ms);
    }

    // Starts the program and waits until its window is painted.
    void Start() {
        ASSERT_TRUE(program_.Start()) << program_.Log();
        ASSERT_TRUE(PollFor(
            [&] {
                const std::optional<Screenshot> shot = Shot();
                return shot && shot->InkPixels({0, 100, 8, 300}) == 0;
            },
            5s))
            << "the main window was not painted";
    }

    // Leaves as a user does: the window's close button, Yes to the question.
    void Leave() {
        ASSERT_TRUE(program_.CloseWindow());
        const std::optional<std::string> question =
            WaitForWindowTitled(program_.Pid(), "询问信息", 5s);
        ASSERT_TRUE(question) << "no question on closing";
        ASSERT_TRUE(PressIn(*question, "Return"));
        EXPECT_EQ(program_.WaitForExit(10s), std::optional<int>(0)) << program_.Log();
    }

    // Clicks at `at` with `button` and chooses the menu item `moves` down from the top.
    void ChooseFromMenu(Point at, const std::string& moves, int button) {
        ASSERT_TRUE(MouseAt(program_.Window(), at.x, at.y, "click " + std::to_string(button)));
        ASSERT_TRUE(PollFor([&] { return !program_.Popups().empty(); }, 5s)) << "no menu";
        std::this_thread::sleep_for(150ms);  // a menu takes the keyboard once it is shown
        ASSERT_TRUE(program_.Key(moves + " Return"));
        ASSERT_TRUE(PollFor([&] { return program_.Popups().empty(); }, 5s));
    }

    std::optional<Screenshot> Shot() const {
        return Screenshot::Of(program_.Window(), dir_.File("shot.ppm"));
    }
    std::string Shipped(const std::string& relative) const {
        return ReadFileBytes(std::string(kProgramFolder) + "/" + relative);
    }

    TempDir dir_;
    std::string home_;
    std::string data_;
    XvfbDisplay display_;
    PulseServer pulse_;
    SinkRecorder sink_;
    ProgramUnderTest program_;
};

TEST_F(InstalledPackage, PlaysTheShippedSetAndKeepsTheUsersChangesInTheDataFolder) {
    const std::map<std::string, std::string> installed = PrintOfInstalledFiles();
    ASSERT_GT(installed.size(), 40U) << "the package's files were not found";

    // The first start makes the data folder from the shipped files.
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(ReadFileBytes(program_.DataFile("config.ini")), Shipped("config.ini"));
    EXPECT_EQ(ReadFileBytes(program_.DataFile("Sounds/Common/list.ini")),
              Shipped("Sounds/Common/list.ini"));
    struct stat folder {};
    ASSERT_EQ(::stat(data_.c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700U);

    // A click on "叮" plays the shipped file: "[取运行目录]" names the installed folder.
    const std::size_t mark = sink_.FramesSoFar();
    ASSERT_TRUE(program_.Click(kSlot9));
    EXPECT_TRUE(PollFor(
        [&] { return LoudnessOf(RecordedSince(dir_.File("A.raw"), mark)).loud >= 100ms; }, 6s))
        << "nothing on the sink; the program said: " << program_.Log();

    // A setting and a slot changed through the window: repeat on, slot 1 emptied.
    std::optional<Screenshot> shot = Shot();
    ASSERT_TRUE(shot);
    const std::size_t namedFace = shot->InkPixels(SlotFace(kSlot1));
    ASSERT_GT(shot->InkPixels(SlotLabel(kSlot1)), 15U) << "slot 1 shows its hotkey";
    ASSERT_TRUE(program_.Click(kRepeatSwitch));
    EXPECT_TRUE(PollFor([&] { return program_.ReadConfig("是否重复音效", "值") == "1"; }, 3s));
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(kSlot1, "Down Down Down Down Down", 3));
    const std::optional<std::string> question = WaitForWindowTitled(program_.Pid(), "提示", 5s);
    ASSERT_TRUE(question) << "no question before emptying the slot";
    ASSERT_TRUE(PressIn(*question, "y"));
    // Its name, file and hotkey go one by one, the hotkey last.
    EXPECT_TRUE(PollFor([&] { return program_.ReadSlotList("音效1", "kjj").empty(); }, 3s));
    EXPECT_EQ(program_.ReadSlotList("音效1", "名称"), "");
    EXPECT_EQ(program_.ReadSlotList("音效9", "名称"), "叮");
    ASSERT_NO_FATAL_FAILURE(Leave());
    EXPECT_EQ(program_.ReadSlotList("当前记录", "值"), "0") << "the exit is recorded there too";
    EXPECT_EQ(PrintOfInstalledFiles(), installed) << "something under /usr changed";

    // Started again, the program shows both changes.
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(PollFor(
        [&] {
            shot = Shot();
            return shot && shot->GreenShare(kRepeatSwitchPicture) > 0.4 &&
                   shot->InkPixels(SlotLabel(kSlot1)) == 0 &&
                   shot->InkPixels(SlotFace(kSlot1)) + 20 < namedFace;
        },
        3s))
        << "repeat on and slot 1 empty after the restart";

    // Restoring the default set copies the installed factory list over the user's slots.
    ASSERT_TRUE(program_.Click(PageButtonCentre(5)));
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(kRestoreButton, "Down", 1));
    const std::optional<std::string> restore = WaitForWindowTitled(program_.Pid(), "提示", 5s);
    ASSERT_TRUE(restore) << "no question before restoring";
    ASSERT_TRUE(PressIn(*restore, "y"));
    const std::optional<std::string> done = WaitForWindowTitled(program_.Pid(), "信息：", 5s);
    ASSERT_TRUE(done) << "no message after restoring: " << program_.Log();
    ASSERT_TRUE(PressIn(*done, "Return"));
    EXPECT_EQ(ReadFileBytes(program_.DataFile("Sounds/Common/list.ini")),
              Shipped("Config/list.ini"));
    ASSERT_TRUE(program_.Click(PageButtonCentre(0)));
    EXPECT_TRUE(PollFor(
        [&] {
            shot = Shot();
            return shot && shot->InkPixels(SlotLabel(kSlot1)) > 15;
        },
        3s))
        << "slot 1 is back";
    EXPECT_EQ(program_.ReadConfig("是否重复音效", "值"), "1") << "restoring keeps the settings";

    ASSERT_NO_FATAL_FAILURE(Leave());
    EXPECT_EQ(PrintOfInstalledFiles(), installed) << "something under /usr changed";
}

}  // namespace
}  // namespace vorlune::test
