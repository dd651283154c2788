#pragma once

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// The backend of a session without global hotkeys (no X server, Qt's offscreen platform):
// refuses every combination and never fires.
class NullHotkeyBackend final : public HotkeyBackend {
  public:
    bool Grab(std::int32_t /*id*/, HotkeyCombination /*combination*/) override { return false; }
    void Release(std::int32_t /*id*/) override {}
    void SetFiredHandler(FiredHandler /*handler*/) override {}
    [[nodiscard]] bool Available() const override { return false; }
};

class NullKeyWatcher final : public KeyWatcher {
  public:
    bool Start(Handler /*handler*/) override { return false; }
    void Stop() override {}
};

}  // namespace vorlune
