#pragma once

#include <string>
#include <string_view>

namespace vorlune::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view relative) const {
        return path_ + "/" + std::string(relative);
    }

  private:
    std::string path_;
};

// Whole-file helpers for tests.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
void MakeFolders(const std::string& path);

// Gives up root's power to read and write every file on this thread while it lives (the
// file-system user becomes nobody), so that a file without read permission cannot be read by
// the code under test either. Nothing changes for a test that does not run as root.
class NoReadOverride {
  public:
    NoReadOverride();
    ~NoReadOverride();
    NoReadOverride(const NoReadOverride&) = delete;
    NoReadOverride& operator=(const NoReadOverride&) = delete;

  private:
    bool root_;
};

}  // namespace vorlune::test
