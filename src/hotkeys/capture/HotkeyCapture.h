#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "hotkeys/KeyWatcher.h"

namespace vorlune {

// Watches every key press on the desktop while a slot dialog is open and reports it, with the
// modifier held last, to that dialog. One per program: the held modifier outlives the dialogs,
// so a modifier released while no dialog watches is not seen and the next dialog starts with it.
class HotkeyCapture {
  public:
    // (held modifier, key code, pressed); a release reports key code 0.
    using ReportTarget =
        std::function<void(std::int32_t heldModifier, std::int32_t keyCode, bool pressed)>;
    using Token = std::uint64_t;

    explicit HotkeyCapture(KeyWatcher& watcher) : watcher_(watcher) {}
    ~HotkeyCapture();
    HotkeyCapture(const HotkeyCapture&) = delete;
    HotkeyCapture& operator=(const HotkeyCapture&) = delete;

    // Sends the key presses to target until Remove with the token. A dialog opened over another
    // one takes the reports over and gives them back when it goes. When the session lets no
    // keys be watched, nothing is reported and nothing is said.
    Token Install(ReportTarget target);
    void Remove(Token token);

    [[nodiscard]] bool Watching() const { return watching_; }
    [[nodiscard]] std::int32_t HeldModifier() const { return heldModifier_; }

  private:
    void OnKey(const KeyEvent& event);

    struct Target {
        Token token;
        ReportTarget report;
    };
    KeyWatcher& watcher_;
    std::vector<Target> targets_;
    Token nextToken_ = 1;
    bool watching_ = false;
    std::int32_t heldModifier_ = 0;
};

}  // namespace vorlune
