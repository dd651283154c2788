#pragma once

#include <string>

namespace vorlune {

// The mark of a running copy: an abstract-namespace Unix socket whose name comes from the
// executable's path. It lives as long as the process, so a copy that crashed leaves no mark.
// Two copies started from different folders have different names and both run.
class SingleInstance {
  public:
    explicit SingleInstance(const std::string& executablePath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // true in the first copy; false when another copy from the same path holds the mark.
    [[nodiscard]] bool IsFirst() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace vorlune
