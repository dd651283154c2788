#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "audio/MicrophoneSystem.h"

namespace vorlune {

// The virtual microphone's sound system for tests: it keeps every wish it is told and reports
// what the test sets, from whichever thread the test fires the change on.
class FakeMicrophoneSystem final : public MicrophoneSystem {
  public:
    [[nodiscard]] MicrophoneListing Microphones() const override;
    void Apply(const VirtualMicrophoneWish& wish) override;
    [[nodiscard]] VirtualMicrophoneStatus Status() const override;
    void SetChangeListener(std::function<void()> listener) override;

    // The test's side. The setters only change what is reported; FireChange tells the listener.
    void SetMicrophones(MicrophoneListing listing);
    void SetStatus(VirtualMicrophoneStatus status);
    void FireChange();
    [[nodiscard]] std::vector<VirtualMicrophoneWish> Wishes() const;

  private:
    mutable std::mutex mutex_;
    MicrophoneListing listing_;
    VirtualMicrophoneStatus status_;
    std::vector<VirtualMicrophoneWish> wishes_;
    std::function<void()> listener_;
};

}  // namespace vorlune
