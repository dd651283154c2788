#pragma once

#include <cstdint>

#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// A key watcher for tests: the test presses and releases keys by virtual-key code.
class FakeKeyWatcher final : public KeyWatcher {
  public:
    bool Start(Handler handler) override;
    void Stop() override { handler_ = nullptr; }

    [[nodiscard]] bool Watching() const { return static_cast<bool>(handler_); }
    [[nodiscard]] int StartCount() const { return starts_; }
    void SetStartable(bool startable) { startable_ = startable; }

    // Reports the key to the handler when watching; does nothing otherwise.
    void Press(std::int32_t virtualKey) { Report({virtualKey, true}); }
    void Release(std::int32_t virtualKey) { Report({virtualKey, false}); }
    void Tap(std::int32_t virtualKey) {
        Press(virtualKey);
        Release(virtualKey);
    }

  private:
    void Report(const KeyEvent& event);

    Handler handler_;
    bool startable_ = true;
    int starts_ = 0;
};

}  // namespace vorlune
