#pragma once

#include <string_view>

#include "base/Folder.h"
#include "base/ProgramFolder.h"

namespace vorlune {

// The folder of the user's own files, config.ini and the live slot list. A portable program
// keeps them in its program folder, an installed one in the user's data folder.
class DataFolder : public Folder {
  public:
    using Folder::Folder;
};

// The user's files, below the data folder, as the stored files write paths.
inline constexpr std::string_view kConfigFile = R"(\config.ini)";
inline constexpr std::string_view kLiveSlotList = R"(\Sounds\Common\list.ini)";

// Makes the data folder (and Sounds/Common in it) where it is missing, private to the user, and
// puts the program folder's config.ini and live slot list into it where the data folder has none
// yet: a new folder starts from the shipped files, and a file the user has is never replaced.
// false when a folder could not be made or a file not copied.
bool PrepareDataFolder(const ProgramFolder& program, const DataFolder& data);

}  // namespace vorlune
