#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace vorlune {

// A stream handle; 0 is never a stream. Handles are never reused, so a freed one stays invalid.
using StreamHandle = std::uint32_t;

// Output device numbers: 1 and up are the real outputs in the system's order; this one asks for
// the system's default output, which resolves to the real device it is.
inline constexpr int kDefaultDevice = -1;

// The state of a stream as the callers test it; the numbers are part of the contract.
enum class ChannelState : int {
    Stopped = 0,  // never started, stopped, ended, freed, or not a handle at all
    Playing = 1,
    Stalled = 2,  // playing, but the decoder has not kept up yet
    Paused = 3,
};

// Flags of DeviceInfo.
inline constexpr std::uint32_t kDeviceEnabled = 1;
inline constexpr std::uint32_t kDeviceDefault = 2;
inline constexpr std::uint32_t kDeviceOpen = 4;

struct DeviceInfo {
    std::string name;          // UTF-8, as the audio system shows the output
    std::string id;            // the audio system's own name for it: unique while it exists
    std::uint32_t serial = 0;  // new each time the device appears
    std::string driver;        // the audio system in use, e.g. "pulseaudio"
    std::uint32_t flags = 0;
};

// Where opening an output device stands.
enum class DeviceState {
    Closed,   // not open, or lost
    Opening,  // opened, and the audio system has not set it up yet
    Open,     // set up: it plays what it is given
};

// Number of magnitudes GetFft512 writes.
inline constexpr std::size_t kFft512Bins = 256;

// The audio output the program drives: devices opened per number, file streams on the device
// made current last, their play state, volume and spectrum. Every call comes from one thread (the
// user-interface thread) and none of them waits for the audio threads beyond a lock hand-off;
// implementations keep their own threads behind this interface.
//
// Device numbers are positions in the list of outputs, which changes as outputs come and go:
// GetDeviceInfo reads the list as it is now, and Init, SetDevice and CurrentDevice keep to the
// reading made last, so a walk over 1..N followed by Init of one of them opens the device the
// walk saw even if outputs came or went meanwhile.
// kDefaultDevice is an output of its own that plays on whatever the system's default is, and
// follows it when the default changes.
class AudioEngine {
  public:
    virtual ~AudioEngine() = default;

    // Opens an output device and makes it current. Opening one that is open already fails and
    // changes nothing. Frequency is the output rate asked for; flags are reserved (0).
    virtual bool Init(int device, int frequency, std::uint32_t flags) = 0;
    // Makes a device that is open already the current one; false when it is not open.
    virtual bool SetDevice(int device) = 0;
    // Closes the current device with all of its streams; afterwards no device is current.
    virtual bool Free() = 0;
    // The device made current last, while it is open and has not been lost.
    [[nodiscard]] virtual std::optional<int> CurrentDevice() const = 0;
    // Whether device `device` (or kDefaultDevice) is open and set up by the audio system yet.
    [[nodiscard]] virtual DeviceState DeviceStateOf(int device) const = 0;
    // Information on device 1..N; nothing past the last device, nothing for 0.
    [[nodiscard]] virtual std::optional<DeviceInfo> GetDeviceInfo(int device) const = 0;
    // Told, on an audio thread, when the outputs change (one comes or goes, the default moves)
    // or an open one is lost. It must return at once; the interface thread then looks again.
    // An output that was lost is closed at the next call, and its streams with it.
    virtual void SetDeviceListener(std::function<void()> listener) = 0;

    // A stream of the audio file at path (UTF-8) on the current device, created stopped; 0 when
    // no device is current or the file cannot be opened or decoded.
    virtual StreamHandle CreateStreamFile(const std::string& path) = 0;
    // Starts or resumes; with restart, plays again from the beginning.
    virtual bool ChannelPlay(StreamHandle stream, bool restart) = 0;
    virtual bool ChannelPause(StreamHandle stream) = 0;
    virtual bool ChannelStop(StreamHandle stream) = 0;
    [[nodiscard]] virtual ChannelState ChannelIsActive(StreamHandle stream) const = 0;
    // The stream's file turned out damaged while it was read (a read or decode error): its
    // sound ends there as at the end of the file.
    [[nodiscard]] virtual bool ChannelDamaged(StreamHandle stream) const = 0;
    // Harmless on 0 and on handles freed before (returns false).
    virtual bool StreamFree(StreamHandle stream) = 0;
    // 1.0 = 100 %; takes effect at once, ramped over a few milliseconds so it does not click.
    virtual bool ChannelSetVolume(StreamHandle stream, float level) = 0;
    // Writes 256 magnitudes of the stream's last 512 played frames (mono mix, Hann window) to
    // out[0..255]. Scale: |X[k]| * 2 / 512, so a full-scale sine peaks near 0.5. Returns the
    // number of values written, or -1 on failure (bad handle, out too small).
    [[nodiscard]] virtual int ChannelGetFft512(StreamHandle stream, std::span<float> out) const = 0;
};

}  // namespace vorlune
