#pragma once

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// The backend of a session without global hotkeys (no X server, Qt's offscreen platform):
// refuses every combination and never fires.
class NullHotkeyBackend final : public HotkeyBackend {
  public:
    bool Grab(std::int32_t, HotkeyCombination) override { return false; }
    void Release(std::int32_t) override {}
    void SetFiredHandler(FiredHandler) override {}
    bool Available() const override { return false; }
};

class NullKeyWatcher final : public KeyWatcher {
  public:
    bool Start(Handler) override { return false; }
    void Stop() override {}
};

}  // namespace vorlune
