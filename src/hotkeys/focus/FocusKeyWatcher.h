#pragma once

#include <QObject>

#include "hotkeys/KeyWatcher.h"

class QKeyEvent;

namespace vorlune {

// Watches the keys typed into the program's own windows. Where the desktop shows no program the
// keys of another (Wayland), the slot dialog captures what is typed into it while it has the
// focus. Each key event is seen once, as the window system hands it to a window; auto-repeats
// are left out, as the desktop-wide watcher never sees them either. Nothing is taken from the
// window: the dialog still gets every key.
class FocusKeyWatcher final : public QObject, public KeyWatcher {
  public:
    bool Start(Handler handler) override;
    void Stop() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Handler handler_;
};

// The virtual-key code of a key event: from the keysym the window system gave it, or, where
// there is none (Qt's off-screen platform), from Qt's own key code; 0 for a key with neither.
std::int32_t VirtualKeyOfKeyEvent(const QKeyEvent& event);

}  // namespace vorlune
