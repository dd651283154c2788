#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "audio/AudioPlayer.h"
#include "audio/OutputReadiness.h"
#include "base/AppState.h"
#include "base/OnTopRelease.h"
#include "base/ProgramFolder.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "slots/NoOutputNotice.h"
#include "slots/SlotStore.h"

namespace vorlune {

// The path a stored slot path names on this system: "[取运行目录]" is the program folder and
// Windows separators become "/".
std::string PlayablePath(std::string_view storedPath, const ProgramFolder& folder);

// How a trigger ended: the slot plays, or why it does not.
enum class TriggerOutcome { Played, EmptySlot, NoOutput, MissingFile };

// Plays a slot: the one action behind a click on a slot button and behind the slot's hotkey.
// It ends the sound that plays first, so a slot that fails to play also ends it.
class SlotTrigger : public QObject {
    Q_OBJECT
  public:
    SlotTrigger(AudioPlayer& player, OutputReadiness& outputs, SlotStore& store,
                SettingsStore& settings, const ProgramFolder& folder, AppState& state,
                Prompts& prompts, OnTopRelease& onTop, QObject* parent = nullptr);

    // `tag` is the slot button's file reference; the slot is found from it alone. A slot that
    // fails to play is explained in a message box, which may offer to set the slot again.
    void TriggerSlot(const std::string& tag);
    // The same trigger without any message box, for callers nobody sits in front of (a remote
    // call): what failed comes back instead.
    TriggerOutcome PlaySlot(const std::string& tag);

  signals:
    // A sound is loaded (also when it then fails): the stop button shows its green picture.
    void soundLoaded();
    // A sound plays: the control button shows its play picture and the timers run.
    void soundStarted();
    // The user wants to set slot n again: it becomes current and its dialog opens on the
    // sound page. `tag` is the button's file reference.
    void slotDialogWanted(int n, const QString& tag);
    // A text for the status bar: there is no output to play on.
    void statusText(const QString& text);

  private:
    void ReportFailure(TriggerOutcome outcome, const std::string& tag);

    AudioPlayer& player_;
    OutputReadiness& outputs_;
    SlotStore& slots_;
    SettingsStore& settings_;
    const ProgramFolder& folder_;
    AppState& state_;
    Prompts& prompts_;
    OnTopRelease& onTop_;
    NoOutputNotice noOutput_{prompts_};
};

}  // namespace vorlune
