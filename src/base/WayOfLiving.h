#pragma once

#include <string>
#include <string_view>

#include "base/ProgramFolder.h"

namespace vorlune {

// Where the user's files live. Portable: beside the executable, as always, so a folder that is
// copied or unpacked anywhere takes its settings with it. Installed: the program folder belongs
// to the system and cannot be written, so the files live in the user's data folder.
enum class WayOfLiving { Portable, Installed };

// A file of this name in the program folder keeps the program portable whatever else holds.
inline constexpr std::string_view kPortableMark = "portable";

// What the choice is made from.
struct LivingFacts {
    std::string programFolder;
    bool programFolderWritable = false;
    bool portableMark = false;
    // $XDG_DATA_HOME and the user's home folder; empty when not set or not known.
    std::string xdgDataHome;
    std::string home;
};

struct Living {
    WayOfLiving way = WayOfLiving::Portable;
    // The data folder; empty when installed and no home folder is known.
    std::string dataFolder;
};

// Portable when the program folder is writable and not below /usr (whose files are the
// system's, also when root runs the program), or holds the portable mark; else installed with
// the data folder "vorlune" in $XDG_DATA_HOME, or in ~/.local/share when that is unset or not
// an absolute path (relative ones are ignored, as the base directory rules ask).
Living DecideLiving(const LivingFacts& facts);

// The facts for the running program: the program folder's mode and permissions for this user
// (a folder without any write bit counts as read-only also for root, whom permissions never
// stop), its portable mark, and the environment, with the home folder from the user database
// when $HOME is unset.
LivingFacts ReadLivingFacts(const ProgramFolder& program);

}  // namespace vorlune
