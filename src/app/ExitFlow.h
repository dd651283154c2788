#pragma once

#include <QObject>

#include "base/OnTopRelease.h"
#include "base/Prompts.h"

class QCloseEvent;
class QTimer;

namespace vorlune {

class AudioPlayer;
class ProgramExit;
class SlotStore;
class TrayIcon;

// The question of the close button, Alt+F4 and the window manager's close: Yes is the default.
Prompt CloseQuestion();
// The question of the tray menu item "退出助手": No is the default.
Prompt QuitQuestion();

// What a confirmed exit releases, in the order it releases them.
struct ExitParts {
    QTimer& monitor;
    AudioPlayer& player;
    SlotStore& slotList;
    TrayIcon& tray;
};

// Leaving is always confirmed. Both questions first take the window out of always-on-top so the
// box is not hidden behind it; only Yes leaves, anything else leaves everything as it was.
// While a question is open its box keeps the event loop running, so sounds and hotkeys go on.
class ExitFlow : public QObject {
    Q_OBJECT
  public:
    ExitFlow(Prompts& prompts, OnTopRelease& onTop, ExitParts parts, ProgramExit& programExit,
             QObject* parent = nullptr);

    // The close button, Alt+F4 or the window manager's close: the event is refused unless the
    // exit has run.
    void ConfirmClose(QCloseEvent* event);
    // "退出助手" in the tray menu.
    void ConfirmQuit();
    // Stops the monitor, stops and frees the sound, records the exit in the slot list, closes
    // the audio output, removes the tray icon and ends the process with exit code 0. No step
    // is skipped for a failure of an earlier one. Runs once: the end of the session may come
    // while the question is open.
    void ExitApplication();

  private:
    bool Confirmed(const Prompt& question);

    Prompts& prompts_;
    OnTopRelease& onTop_;
    ExitParts parts_;
    ProgramExit& programExit_;
    bool exited_ = false;
};

}  // namespace vorlune
