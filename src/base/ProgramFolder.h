#pragma once

#include <string>
#include <string_view>

namespace vorlune {

// The folder the program runs from: it holds the executable, config.ini, the slot lists and
// the shipped sounds. Paths below it are written with "\" in the stored files; Join turns
// them into "/" for this system.
class ProgramFolder {
  public:
    explicit ProgramFolder(std::string folder, std::string executableName = "vorlune");
    static ProgramFolder OfRunningExecutable();

    // Without a trailing separator.
    [[nodiscard]] const std::string& Path() const { return folder_; }
    [[nodiscard]] std::string ExecutablePath() const { return folder_ + "/" + executableName_; }
    // Path() joined with a relative path such as "\Sounds\Common\list.ini".
    [[nodiscard]] std::string Join(std::string_view relative) const;

  private:
    std::string folder_;
    std::string executableName_;
};

// Windows-style separators of a stored path turned into "/".
std::string ToLocalSeparators(std::string_view path);

}  // namespace vorlune
