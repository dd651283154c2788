#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vorlune {

// The outputs the audio system lists, numbered from 1 in its order. The list is read again when
// it is older than a moment, so a caller walking the numbers 1..128 sees one consistent list.
class OutputDeviceList {
  public:
    // Number of outputs (0 when the audio system is not available).
    int Count();
    // Name of output 1..Count().
    std::optional<std::string> Name(int device);
    // The number of the output that is the system's default, if it can be told.
    std::optional<int> DefaultDevice();

  private:
    void Refresh();

    std::chrono::steady_clock::time_point readAt_{};
    bool read_ = false;
    std::vector<std::string> names_;
};

}  // namespace vorlune
