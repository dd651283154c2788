#pragma once

// AudioPlayer: the one object the program plays sound through. Usage, on the UI thread:
//
//   SdlAudioEngine engine;                 // the real engine (SDL_AUDIODRIVER picks the driver)
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

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "audio/AudioEngine.h"

namespace vorlune {

class AudioPlayer {
  public:
    explicit AudioPlayer(AudioEngine& engine) : engine_(engine) {}

    bool Init(int device = kDefaultDevice, int frequency = 44100, std::uint32_t flags = 0) {
        return engine_.Init(device, frequency, flags);
    }
    bool Free() { return engine_.Free(); }
    [[nodiscard]] std::optional<int> CurrentDevice() const { return engine_.CurrentDevice(); }
    [[nodiscard]] std::optional<DeviceInfo> GetDeviceInfo(int device) const {
        return engine_.GetDeviceInfo(device);
    }

    // 0 without asking the engine when the path is empty or no file matches it.
    StreamHandle CreateStream(const std::string& path);
    bool Play(StreamHandle stream, bool restart = false) {
        return engine_.ChannelPlay(stream, restart);
    }
    bool Pause(StreamHandle stream) { return engine_.ChannelPause(stream); }
    bool Stop(StreamHandle stream) { return engine_.ChannelStop(stream); }
    [[nodiscard]] ChannelState IsActive(StreamHandle stream) const {
        return engine_.ChannelIsActive(stream);
    }
    bool FreeStream(StreamHandle stream) { return engine_.StreamFree(stream); }
    // level: 1.0 = 100 %; callers divide the stored percentage by 100.
    bool SetChannelVolume(StreamHandle stream, float level) {
        return engine_.ChannelSetVolume(stream, level);
    }
    [[nodiscard]] int GetFft512(StreamHandle stream, std::span<float> out) const {
        return engine_.ChannelGetFft512(stream, out);
    }

    // The stream created last; kept after it is freed, so it may be stale (which is harmless).
    [[nodiscard]] StreamHandle CurrentStream() const { return currentStream_; }
    void SetCurrentStream(StreamHandle stream) { currentStream_ = stream; }
    // The resolved path of the sound triggered last, used to play it again on repeat.
    [[nodiscard]] const std::string& LastSoundPath() const { return lastSoundPath_; }
    void SetLastSoundPath(std::string path) { lastSoundPath_ = std::move(path); }

  private:
    AudioEngine& engine_;
    StreamHandle currentStream_ = 0;
    std::string lastSoundPath_;
};

}  // namespace vorlune
