#pragma once

#include <cstdint>
#include <functional>

namespace vorlune {

// One key going down or up anywhere on the desktop. The code is a Windows virtual-key code, or
// 0 for a key that has none; modifier keys come with their left/right-specific codes (160-165)
// and the Windows keys as 91 and 92.
struct KeyEvent {
    std::int32_t virtualKey = 0;
    bool pressed = false;
    bool operator==(const KeyEvent&) const = default;
};

// Watches every key press and release on the desktop without taking it from the window that
// has the focus.
class KeyWatcher {
  public:
    using Handler = std::function<void(const KeyEvent&)>;

    virtual ~KeyWatcher() = default;

    // false when keys cannot be watched in this session; a second Start replaces the handler.
    virtual bool Start(Handler handler) = 0;
    virtual void Stop() = 0;
};

}  // namespace vorlune
