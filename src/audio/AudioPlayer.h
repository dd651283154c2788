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
//
// A levelling, when set, gives each stream a factor of its own when it is created (its file's
// levelling gain, 1.0 for none); every volume set on the stream, and on its twin, is scaled by
// it, so the gain comes before the master volume and the fades.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/AudioEngine.h"

namespace vorlune {

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

    // The monitor device (an open device other than the current one), or none. Streams created
    // from now on play on it too; those already playing keep what they had.
    void SetMonitor(std::optional<int> device) { monitor_ = device; }
    [[nodiscard]] std::optional<int> Monitor() const { return monitor_; }
    // The monitor's own level, 1.0 = 100 %, applied at once to what plays.
    void SetMonitorLevel(float level);
    // The stream's twin on the monitor device, 0 when it has none.
    [[nodiscard]] StreamHandle MonitorStreamOf(StreamHandle stream) const;

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
    struct Twin {
        StreamHandle stream = 0;
        float level = 1.0F;  // the level asked for the first, before the monitor level
    };
    // Creates the twin of a new stream on the monitor device, coming back to the current one.
    StreamHandle CreateTwin(const std::string& path);

    AudioEngine& engine_;
    StreamHandle currentStream_ = 0;
    std::string lastSoundPath_;
    std::optional<int> monitor_;
    float monitorLevel_ = 1.0F;
    std::map<StreamHandle, Twin> twins_;
    std::function<float(const std::string&)> levelOf_;
    std::map<StreamHandle, float> levels_;  // streams whose factor is not 1.0
};

// The engine's devices 1..N as it lists them now (a fresh reading): device n is element n - 1.
std::vector<DeviceInfo> ListDevices(const AudioPlayer& player);

}  // namespace vorlune
