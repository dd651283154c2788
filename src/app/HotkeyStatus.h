#pragma once

#include <QObject>

class QPushButton;

namespace vorlune {

class HotkeyRegistry;
class MainWindow;

// What the status bar says of the global hotkeys, and its one action. A desktop that binds whole
// sets may refuse them all (the user cancelled its dialog, it closed the session): the status bar
// says so and offers "重新向桌面申请快捷键", which asks it again for the same set. Key grabs
// through XWayland fire only while an X11 window has the focus, which is said for as long as the
// program runs.
class HotkeyStatus : public QObject {
    Q_OBJECT
  public:
    HotkeyStatus(HotkeyRegistry& registry, MainWindow& window);

    // At start: the standing notices of a session without hotkeys or with X11 grabs only.
    void SayStanding();
    // After every answer of the desktop.
    void Update();

  private:
    HotkeyRegistry& registry_;
    MainWindow& window_;
    QPushButton* askAgain_;
};

}  // namespace vorlune
