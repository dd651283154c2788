#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlune {

// The file that a write to path replaces: path itself, or the end of the chain of symbolic
// links that path starts (a relative link is read from the link's own folder), so that a
// config.ini linked into a dotfiles folder keeps being the link and its target gets the change.
// nullopt for a chain that loops or is longer than the system follows (40 links).
std::optional<std::string> FileBehindLinks(const std::string& path);

// The new contents of a file, written so that the file is either untouched or wholly replaced:
// the bytes go to a hidden temporary file beside it (".name.XXXXXX", closed on exec so no
// program started meanwhile inherits it), which Commit flushes to disk and renames over the
// file. A path that is a symbolic link is written through to the link's target
// (FileBehindLinks). A file that exists keeps its owner, group and permissions; a new one gets
// rw-r--r--. Without a successful Commit the temporary file is removed and the file stays as it
// was.
class AtomicFile {
  public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // false when the temporary file could not be made (missing or write-protected folder, a
    // loop of links).
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    // Appends all of bytes; false on a write error (no space).
    bool Write(std::string_view bytes);
    // Puts the written bytes in place of the file; false, with the file untouched, on failure,
    // also when the file's owner cannot be kept (a file of another user).
    bool Commit();

  private:
    std::string path_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace vorlune
