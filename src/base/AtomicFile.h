#pragma once

#include <string>
#include <string_view>

namespace vorlune {

// The new contents of a file, written so that the file is either untouched or wholly replaced:
// the bytes go to a hidden temporary file beside it (".name.XXXXXX", closed on exec so no
// program started meanwhile inherits it), which Commit flushes to disk and renames over the
// file. A file that exists keeps its permissions; a new one gets rw-r--r--. Without a
// successful Commit the temporary file is removed and the file stays as it was.
class AtomicFile {
  public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // false when the temporary file could not be made (missing or write-protected folder).
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    // Appends all of bytes; false on a write error (no space).
    bool Write(std::string_view bytes);
    // Puts the written bytes in place of the file; false, with the file untouched, on failure.
    bool Commit();

  private:
    std::string path_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace vorlune
