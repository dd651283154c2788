#include "audio/fake/FakeMicrophoneSystem.h"

namespace vorlune {

MicrophoneListing FakeMicrophoneSystem::Microphones() const {
    const std::scoped_lock lock(mutex_);
    return listing_;
}

void FakeMicrophoneSystem::Apply(const VirtualMicrophoneWish& wish) {
    const std::scoped_lock lock(mutex_);
    wishes_.push_back(wish);
}

VirtualMicrophoneStatus FakeMicrophoneSystem::Status() const {
    const std::scoped_lock lock(mutex_);
    return status_;
}

void FakeMicrophoneSystem::SetChangeListener(std::function<void()> listener) {
    const std::scoped_lock lock(mutex_);
    listener_ = std::move(listener);
}

void FakeMicrophoneSystem::SetMicrophones(MicrophoneListing listing) {
    const std::scoped_lock lock(mutex_);
    listing_ = std::move(listing);
}

void FakeMicrophoneSystem::SetStatus(VirtualMicrophoneStatus status) {
    const std::scoped_lock lock(mutex_);
    status_ = std::move(status);
}

void FakeMicrophoneSystem::FireChange() {
    // Held while the listener runs, as a real system holds its own lock: setting another
    // listener waits until this one has returned.
    const std::scoped_lock lock(mutex_);
    if (listener_) {
        listener_();
    }
}

std::vector<VirtualMicrophoneWish> FakeMicrophoneSystem::Wishes() const {
    const std::scoped_lock lock(mutex_);
    return wishes_;
}

}  // namespace vorlune
