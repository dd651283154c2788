#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "remote/RemoteArguments.h"
#include "slots/SlotTrigger.h"

namespace vorlune {

// What a remote call may do: the same commands a click or a hotkey runs, without a message box.
class RemoteActions {
  public:
    virtual ~RemoteActions() = default;
    // Slot n (1..209) as its hotkey plays it, whatever the master switch says.
    virtual TriggerOutcome PlaySlotQuietly(int n) = 0;
    virtual void StopSound() = 0;
    virtual void PauseOrResume() = 0;
    virtual void SetHotkeys(SwitchChange change) = 0;
    virtual void SetRepeat(SwitchChange change) = 0;
    // 0..100, as the volume slider moved there.
    virtual void SetVolume(int percent) = 0;
};

// The state a remote caller can read: the slot playing (0 for none), whether it is paused,
// the volume in percent and the two switches.
struct RemoteState {
    int slot = 0;
    bool paused = false;
    int volume = 0;
    bool hotkeys = false;
    bool repeat = false;

    bool operator==(const RemoteState&) const = default;
};

// One slot as a remote caller sees it: its category page (1..5), name, hotkey as shown under
// its button, and whether its file is there.
struct RemoteSlot {
    int number = 0;
    int page = 0;
    std::string name;
    std::string hotkey;
    bool fileFound = false;
};

class RemoteQueries {
  public:
    virtual ~RemoteQueries() = default;
    [[nodiscard]] virtual RemoteState State() const = 0;
    [[nodiscard]] virtual std::vector<RemoteSlot> Slots() const = 0;
    // The file slot n plays, as this system names it.
    [[nodiscard]] virtual std::string SlotFile(int n) const = 0;
};

// The program's end of remote control, at the operating-system boundary (the session bus in
// the program, nothing in tests that do not drive it).
class RemoteEndpoint {
  public:
    virtual ~RemoteEndpoint() = default;
    // Starts answering with these, which stay until Close(); `showWindow` brings the window up.
    virtual void Serve(RemoteActions& actions, const RemoteQueries& queries,
                       std::function<void()> showWindow) = 0;
    // Something a caller can read may have changed: callers hear of it when it has.
    virtual void StateMayHaveChanged() = 0;
    // Stops answering: what Serve was given is about to go.
    virtual void Close() = 0;
};

// The session bus's endpoint (app/dbus), or one that answers nothing where the build has no
// D-Bus.
std::unique_ptr<RemoteEndpoint> CreateRemoteEndpoint();

}  // namespace vorlune
