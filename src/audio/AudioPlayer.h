#pragma once

// AudioPlayer: the one object the program plays sound through. Usage, on the UI thread:
//
//   PulseOutputSystem outputs;             // the sound server's outputs
//   MixingAudioEngine engine(outputs);     // the real engine
//   AudioPlayer player(engine);
//   player.Init();                         // system default output, 44100 Hz, flags 0
//   for (int n = 1; n <= 128; ++n)         // output list: names of devices 1..N
//       if (auto info = player.GetDeviceInfo(n)) { /* info->name */ }
//   player.FreeStream(player.CurrentStream());
//   player.SetCurrentStream(player.CreateStream(path));   // 0 on failure
//   if (player.CurrentStream() != 0) {
//       player.SetChannelVolume(player.CurrentStream(), percent / 100.0F);
//       player.Play(player.CurrentStream());
//   }
//   player.IsActive(h);                    // ChannelState: 0 stopped/ended, 1 playing,
//                                          // 2 stalled, 3 paused
//   float fft[512]; player.GetFft512(h, fft);   // 256 magnitudes into fft[0..255], -1 on failure
//   player.Free();                         // closes the current output and its streams
//
// Every operation takes the handle it acts on; 0 and freed handles are refused without effect.
//
// A monitor device, when set, plays every stream created from then on a second time, so the host
// hears what goes into the stream: play, pause, stop, free and volume act on both, the volume of
// the second scaled by the monitor level; the state and the spectrum are those of the first.
// The virtual microphone's sink, when set, gets a twin of each new stream the same way, at the
// level of the first (the monitor's level does not apply to it). Both may be set at once.
//
// A levelling, when set, gives each stream a factor of its own when it is created (its file's
// levelling gain, 1.0 for none); every volume set on the stream, and on its twin, is scaled by
// it, so the gain comes before the master volume and the fades.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/AudioEngine.h"

namespace vorlune {

// The outputs that play a second copy of every new stream.
enum class TwinOutput : std::uint8_t {
    Monitor,  // the host's own headphones, at the monitor's level
    Mix,      // the virtual microphone's sink, at the level of the first
};

class AudioPlayer {
  public:
    explicit AudioPlayer(AudioEngine& engine) : engine_(engine) {}

    bool Init(int device = kDefaultDevice, int frequency = 44100, std::uint32_t flags = 0) {
        return engine_.Init(device, frequency, flags);
    }
    bool SetDevice(int device) { return engine_.SetDevice(device); }
    // Closes the current output; the sounds that played on it end on the monitor as well.
    bool Free();
    [[nodiscard]] std::optional<int> CurrentDevice() const { return engine_.CurrentDevice(); }
    [[nodiscard]] DeviceState DeviceStateOf(int device) const {
        return engine_.DeviceStateOf(device);
    }
    [[nodiscard]] std::optional<DeviceInfo> GetDeviceInfo(int device) const {
        return engine_.GetDeviceInfo(device);
    }
    void SetDeviceListener(std::function<void()> listener) {
        engine_.SetDeviceListener(std::move(listener));
    }

    // 0 without asking the engine when the path is empty or no file matches it.
    StreamHandle CreateStream(const std::string& path);
    bool Play(StreamHandle stream, bool restart = false);
    bool Pause(StreamHandle stream);
    bool Stop(StreamHandle stream);
    [[nodiscard]] ChannelState IsActive(StreamHandle stream) const {
        return engine_.ChannelIsActive(stream);
    }
    [[nodiscard]] bool IsDamaged(StreamHandle stream) const {
        return engine_.ChannelDamaged(stream);
    }
    bool FreeStream(StreamHandle stream);
    // level: 1.0 = 100 %; callers divide the stored percentage by 100.
    bool SetChannelVolume(StreamHandle stream, float level);
    [[nodiscard]] int GetFft512(StreamHandle stream, std::span<float> out) const {
        return engine_.ChannelGetFft512(stream, out);
    }

    // The device of a twin output (an open device other than the current one), or none.
    // Streams created from now on play on it too; those already playing keep what they had.
    void SetTwinDevice(TwinOutput output, std::optional<int> device) {
        Target(output).device = device;
    }
    [[nodiscard]] std::optional<int> TwinDevice(TwinOutput output) const {
        return Target(output).device;
    }
    // The stream's twin on that output, 0 when it has none.
    [[nodiscard]] StreamHandle TwinOf(StreamHandle stream, TwinOutput output) const;
    // Whether a twin on that output plays or is paused.
    [[nodiscard]] bool TwinPlays(TwinOutput output) const;
    // Closes device `device`, which holds that output's twins, and comes back to the current
    // device; the streams on it end, the first ones play on. False when it is the current
    // device or not open.
    bool CloseTwinDevice(TwinOutput output, int device);

    void SetMonitor(std::optional<int> device) { SetTwinDevice(TwinOutput::Monitor, device); }
    [[nodiscard]] std::optional<int> Monitor() const { return TwinDevice(TwinOutput::Monitor); }
    // The monitor's own level, 1.0 = 100 %, applied at once to what plays.
    void SetMonitorLevel(float level);
    [[nodiscard]] StreamHandle MonitorStreamOf(StreamHandle stream) const {
        return TwinOf(stream, TwinOutput::Monitor);
    }

    // The factor of a new stream from its path; it must answer at once (nothing may delay a
    // trigger). Streams already created keep theirs.
    void SetLevelling(std::function<float(const std::string& path)> levelOf) {
        levelOf_ = std::move(levelOf);
    }
    // The factor the stream was created with; 1.0 for none.
    [[nodiscard]] float LevelOf(StreamHandle stream) const;

    // The stream created last; kept after it is freed, so it may be stale (which is harmless).
    [[nodiscard]] StreamHandle CurrentStream() const { return currentStream_; }
    void SetCurrentStream(StreamHandle stream) { currentStream_ = stream; }
    // The resolved path of the sound triggered last, used to play it again on repeat.
    [[nodiscard]] const std::string& LastSoundPath() const { return lastSoundPath_; }
    void SetLastSoundPath(std::string path) { lastSoundPath_ = std::move(path); }

  private:
    static constexpr std::size_t kTwinOutputs = 2;
    // Where the twins of one output go, and the factor their volume has over the first's.
    struct TwinTarget {
        std::optional<int> device;
        float scale = 1.0F;
    };
    // The twins of one stream, one per output (0 for none).
    struct Twins {
        std::array<StreamHandle, kTwinOutputs> streams{};
        float level = 1.0F;  // the level asked for the first, before the outputs' factors
    };
    TwinTarget& Target(TwinOutput output) { return targets_.at(static_cast<std::size_t>(output)); }
    [[nodiscard]] const TwinTarget& Target(TwinOutput output) const {
        return targets_.at(static_cast<std::size_t>(output));
    }
    // Creates the twin of a new stream on `device`, coming back to the current one.
    StreamHandle CreateTwin(const std::string& path, int device);
    // Sets the volume of every twin of `stream` from its level and the outputs' factors.
    void SetTwinVolumes(StreamHandle stream, const Twins& twins);

    AudioEngine& engine_;
    StreamHandle currentStream_ = 0;
    std::string lastSoundPath_;
    std::array<TwinTarget, kTwinOutputs> targets_{};
    std::map<StreamHandle, Twins> twins_;
    std::function<float(const std::string&)> levelOf_;
    std::map<StreamHandle, float> levels_;  // streams whose factor is not 1.0
};

// The engine's devices 1..N as it lists them now (a fresh reading): device n is element n - 1.
std::vector<DeviceInfo> ListDevices(const AudioPlayer& player);

}  // namespace vorlune
