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

    // true in the first copy: the mark is this copy's.
    [[nodiscard]] bool IsFirst() const { return fd_ >= 0; }
    // true when another copy from the same path holds the mark. Only then is this a second
    // copy: when the mark cannot be made for any other reason (no file handles left, a sandbox
    // without Unix sockets), nothing is known of other copies.
    [[nodiscard]] bool AnotherCopyRuns() const { return anotherCopyRuns_; }

  private:
    int fd_ = -1;
    bool anotherCopyRuns_ = false;
};

}  // namespace vorlune
