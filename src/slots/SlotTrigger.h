#pragma once

#include <functional>
#include <string>

#include "audio/AudioPlayer.h"
#include "base/AppState.h"
#include "base/ProgramFolder.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"
#include "slots/SlotStore.h"

namespace vorlune {

// What the trigger asks of the rest of the window.
struct TriggerHooks {
    std::function<void()> keepOnTopRelease;
    // The stop button shows its green picture: a sound is loaded (also when it then fails).
    std::function<void()> showSoundLoaded;
    // A sound plays: the control button shows its play picture and the timers run.
    std::function<void()> soundStarted;
    // The user wants to set the slot again: slot n becomes current and its dialog opens on the
    // sound page.
    std::function<void(int n, const std::string& tag)> offerSlotDialog;
};

// The path a stored slot path names on this system: "[取运行目录]" is the program folder and
// Windows separators become "/".
std::string PlayablePath(std::string_view storedPath, const ProgramFolder& folder);

// Plays a slot: the one action behind a click on a slot button and behind the slot's hotkey.
// It ends the sound that plays first, so a slot that fails to play also ends it.
class SlotTrigger {
  public:
    SlotTrigger(AudioPlayer& player, SlotStore& slots, SettingsStore& settings,
                const ProgramFolder& folder, AppState& state, Prompts& prompts, TriggerHooks hooks);

    // `tag` is the slot button's file reference; the slot is found from it alone.
    void TriggerSlot(const std::string& tag);

  private:
    void ReportFailure(int n, const std::string& tag);

    AudioPlayer& player_;
    SlotStore& slots_;
    SettingsStore& settings_;
    const ProgramFolder& folder_;
    AppState& state_;
    Prompts& prompts_;
    TriggerHooks hooks_;
};

}  // namespace vorlune
