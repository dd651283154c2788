#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "audio/AudioEngine.h"
#include "audio/OutputSystem.h"

namespace vorlune {

struct MixingAudioEngineOptions {
    // Frames per audio period asked of the output; it pulls sound this many frames at a time.
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

// The audio engine: files decoded while they play (libsndfile, libsamplerate) by one decoder
// thread into a ring per stream, mixed into the outputs of a sound system whenever they ask for
// sound. The outputs themselves come from the OutputSystem it is given (the sound server, or a
// fake in tests), which must outlive the engine.
class MixingAudioEngine final : public AudioEngine {
  public:
    explicit MixingAudioEngine(OutputSystem& outputs, MixingAudioEngineOptions options = {});
    ~MixingAudioEngine() override;
    MixingAudioEngine(const MixingAudioEngine&) = delete;
    MixingAudioEngine& operator=(const MixingAudioEngine&) = delete;

    bool Init(int device, int frequency, std::uint32_t flags) override;
    bool SetDevice(int device) override;
    bool Free() override;
    [[nodiscard]] std::optional<int> CurrentDevice() const override;
    [[nodiscard]] DeviceState DeviceStateOf(int device) const override;
    [[nodiscard]] std::optional<DeviceInfo> GetDeviceInfo(int device) const override;
    void SetDeviceListener(std::function<void()> listener) override;

    StreamHandle CreateStreamFile(const std::string& path) override;
    bool ChannelPlay(StreamHandle handle, bool restart) override;
    bool ChannelPause(StreamHandle handle) override;
    bool ChannelStop(StreamHandle handle) override;
    [[nodiscard]] ChannelState ChannelIsActive(StreamHandle handle) const override;
    [[nodiscard]] bool ChannelDamaged(StreamHandle handle) const override;
    bool StreamFree(StreamHandle handle) override;
    bool ChannelSetVolume(StreamHandle handle, float level) override;
    [[nodiscard]] int ChannelGetFft512(StreamHandle handle, std::span<float> out) const override;

    // The format of the current output, for tests and measurements.
    [[nodiscard]] std::optional<OutputSpec> CurrentOutputSpec() const;
    // When the stream's first non-silent frame was handed to the output (for measurements).
    [[nodiscard]] std::optional<std::chrono::steady_clock::time_point> FirstSoundTime(
        StreamHandle handle) const;
    // Whether the whole of the stream's file is decoded and waiting to be played (for tests:
    // a sound that fits in its buffer then plays without waiting on the decoder thread).
    [[nodiscard]] bool FullyDecoded(StreamHandle handle) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vorlune
