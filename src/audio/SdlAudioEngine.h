#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "audio/AudioEngine.h"

namespace vorlune {

struct SdlAudioEngineOptions {
    // Frames per audio period asked of the output; the callback runs once per period.
    int periodFrames = 512;
    // How often the decoder thread tops up the streams that are playing.
    std::chrono::milliseconds feedInterval{50};
};

// What an open output runs at.
struct OutputSpec {
    int rate = 0;
    int channels = 0;
    int periodFrames = 0;
};

// The audio engine over SDL2 (outputs), libsndfile (decoding) and libsamplerate (resampling).
// Outputs are opened once and kept running; files are decoded while they play by one decoder
// thread into a ring per stream, from which the output's callback mixes. The SDL driver comes
// from the environment as usual (SDL_AUDIODRIVER), so tests can use the dummy or disk driver.
class SdlAudioEngine final : public AudioEngine {
  public:
    explicit SdlAudioEngine(SdlAudioEngineOptions options = {});
    ~SdlAudioEngine() override;
    SdlAudioEngine(const SdlAudioEngine&) = delete;
    SdlAudioEngine& operator=(const SdlAudioEngine&) = delete;

    bool Init(int device, int frequency, std::uint32_t flags) override;
    bool Free() override;
    [[nodiscard]] std::optional<int> CurrentDevice() const override;
    [[nodiscard]] std::optional<DeviceInfo> GetDeviceInfo(int device) const override;

    StreamHandle CreateStreamFile(const std::string& path) override;
    bool ChannelPlay(StreamHandle handle, bool restart) override;
    bool ChannelPause(StreamHandle handle) override;
    bool ChannelStop(StreamHandle handle) override;
    [[nodiscard]] ChannelState ChannelIsActive(StreamHandle handle) const override;
    bool StreamFree(StreamHandle handle) override;
    bool ChannelSetVolume(StreamHandle handle, float level) override;
    [[nodiscard]] int ChannelGetFft512(StreamHandle handle, std::span<float> out) const override;

    // The format of the current output, for tests and measurements.
    [[nodiscard]] std::optional<OutputSpec> CurrentOutputSpec() const;
    // When the stream's first non-silent frame was handed to the output (for measurements).
    [[nodiscard]] std::optional<std::chrono::steady_clock::time_point> FirstSoundTime(
        StreamHandle handle) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vorlune
