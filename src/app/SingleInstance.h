#pragma once

#include <string>

namespace vorlune {

// The mark of a running copy: a listening abstract-namespace Unix socket whose name comes from
// the user and the data folder, the files two copies must not both write. It lives as long as
// the process, so a copy that crashed leaves no mark. Two portable copies in different folders
// both run, and so do two users' installed copies of the same program. Any local user can bind
// an abstract name, so a name that is taken counts as this user's copy only when the kernel
// says that a process of `user` listens there; one another user took is passed over for the
// next of a few names.
class SingleInstance {
  public:
    // user: the process's effective user id, the one the kernel reports for its sockets.
    SingleInstance(unsigned user, const std::string& dataFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // true in the first copy: the mark is this copy's.
    [[nodiscard]] bool IsFirst() const { return fd_ >= 0; }
    // true when another copy of the same user on the same data folder holds the mark. Only then
    // is this a second copy: when the mark cannot be made for any other reason (no file handles
    // left, a sandbox without Unix sockets, every name taken by other users), nothing is known of
    // other copies.
    [[nodiscard]] bool AnotherCopyRuns() const { return anotherCopyRuns_; }

  private:
    int fd_ = -1;
    bool anotherCopyRuns_ = false;
};

}  // namespace vorlune
