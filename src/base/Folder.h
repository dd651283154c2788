#pragma once

#include <string>
#include <string_view>

namespace vorlune {

// A folder the program keeps files in. Paths below it are written with "\" in the stored
// files; Join turns them into "/" for this system.
class Folder {
  public:
    explicit Folder(std::string path);

    // Without a trailing separator.
    [[nodiscard]] const std::string& Path() const { return path_; }
    // Path() joined with a relative path such as "\Sounds\Common\list.ini".
    [[nodiscard]] std::string Join(std::string_view relative) const;

  private:
    std::string path_;
};

// Windows-style separators of a stored path turned into "/".
std::string ToLocalSeparators(std::string_view path);

}  // namespace vorlune
