#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlune {

// The virtual microphone the board offers voice chat programs and games: a capture device that
// carries the host's real microphone and every sound the board plays. The sound server does the
// mixing: the board's sounds are played to a sink of the program's own, whose monitor is offered
// as a capture device, and the real microphone is looped into that sink.

// The sound server's names of what the program creates. Every name starts with the same mark,
// so what a killed program left behind is found again, and the program's own devices are kept
// out of its device lists.
inline constexpr std::string_view kVirtualMicrophoneMark = "vorlune_virtual_mic";
// The sink the board's sounds go to (besides the main output) while the virtual microphone is on.
inline constexpr std::string_view kVirtualMicrophoneSink = "vorlune_virtual_mic_mix";
// The capture device voice chat programs pick.
inline constexpr std::string_view kVirtualMicrophoneSource = "vorlune_virtual_mic";
// The name it shows.
inline constexpr std::string_view kVirtualMicrophoneName = "Vorlune 虚拟麦克风";

// Whether a device of the sound server (by its own name) is one the program created.
inline bool IsVirtualMicrophoneDevice(std::string_view id) {
    return id.starts_with(kVirtualMicrophoneMark);
}

// One capture device as the sound system lists it.
struct MicrophoneEntry {
    std::string id;    // the system's own name: unique, the same while the device exists
    std::string name;  // what users see (UTF-8)

    bool operator==(const MicrophoneEntry&) const = default;
};

// The real capture devices at one moment: no monitors of outputs, none of the program's own.
struct MicrophoneListing {
    std::vector<MicrophoneEntry> microphones;  // in the system's order
    // The system's default capture device; while the virtual microphone is the default, the
    // one it replaced. Empty when there is none.
    std::string defaultId;
    bool connected = false;  // the sound system answers

    bool operator==(const MicrophoneListing&) const = default;
};

// What the user asked for.
struct VirtualMicrophoneWish {
    bool on = false;
    // Whether a real microphone is mixed in; without one the virtual microphone carries the
    // board's sounds alone.
    bool withVoice = true;
    // The microphone mixed in, by the system's name; empty for the system's default one.
    std::string microphone;
    // The virtual microphone is made the system's default capture device while it is on; the
    // previous default comes back when it goes off or the program ends.
    bool makeDefault = false;

    bool operator==(const VirtualMicrophoneWish&) const = default;
};

enum class VirtualMicrophoneState {
    Off,       // not asked for, or taken down
    Starting,  // asked for; the sound system is making it (or is not there yet)
    On,        // offered: sounds played to kVirtualMicrophoneSink reach it
    Failed,    // the sound system cannot make it; see `error`. Stays so until asked again.
};

struct VirtualMicrophoneStatus {
    VirtualMicrophoneState state = VirtualMicrophoneState::Off;
    // Why it failed, in words a host understands (UTF-8), naming what the server lacks; the
    // program shows it after its own "虚拟麦克风无法开启：".
    std::string error;

    bool operator==(const VirtualMicrophoneStatus&) const = default;
};

// The sound system's side of the virtual microphone, at the operating system's boundary: the
// real one talks to the sound server, tests use a fake. No call waits for the sound system.
class MicrophoneSystem {
  public:
    virtual ~MicrophoneSystem() = default;

    // The capture devices as last reported.
    [[nodiscard]] virtual MicrophoneListing Microphones() const = 0;
    // Makes the virtual microphone as asked, in the background: it is created, changed or taken
    // down, and made again whenever the sound server comes back. Asking again after a failure
    // tries again.
    virtual void Apply(const VirtualMicrophoneWish& wish) = 0;
    [[nodiscard]] virtual VirtualMicrophoneStatus Status() const = 0;
    // Called on one of the system's threads whenever the listing or the status changes. It must
    // return quickly and must not call back into the system.
    virtual void SetChangeListener(std::function<void()> listener) = 0;
};

}  // namespace vorlune
