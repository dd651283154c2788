#pragma once

#include <string>

namespace vorlune {

// The mark of a running copy: an abstract-namespace Unix socket whose name comes from the user
// and the data folder, the files two copies must not both write. It lives as long as the
// process, so a copy that crashed leaves no mark. Two portable copies in different folders both
// run, and so do two users' installed copies of the same program.
class SingleInstance {
  public:
    SingleInstance(unsigned user, const std::string& dataFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // true in the first copy; false when another copy of this user on the same data folder
    // holds the mark.
    [[nodiscard]] bool IsFirst() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace vorlune
