#pragma once

#include <functional>
#include <string>
#include <vector>

#include "audio/AudioEngine.h"

namespace vorlune::test {

// The real engine with a record of the volumes and devices asked for, so tests can follow a
// fade step by step, and a hook told of every call that stops, frees or closes something before
// it happens, so a test can look at the rest of the program at that moment.
class RecordingAudioEngine final : public AudioEngine {
  public:
    struct Call {
        std::string name;
        StreamHandle stream;
    };

    explicit RecordingAudioEngine(AudioEngine& real) : real_(real) {}

    bool Init(int device, int frequency, std::uint32_t flags) override {
        inits.push_back(device);
        return real_.Init(device, frequency, flags);
    }
    bool Free() override {
        Observe({"Free", 0});
        return real_.Free();
    }
    std::optional<int> CurrentDevice() const override { return real_.CurrentDevice(); }
    std::optional<DeviceInfo> GetDeviceInfo(int device) const override {
        return real_.GetDeviceInfo(device);
    }
    StreamHandle CreateStreamFile(const std::string& path) override {
        return real_.CreateStreamFile(path);
    }
    bool ChannelPlay(StreamHandle stream, bool restart) override {
        Observe({"Play", stream});
        return real_.ChannelPlay(stream, restart);
    }
    bool ChannelPause(StreamHandle stream) override { return real_.ChannelPause(stream); }
    bool ChannelStop(StreamHandle stream) override {
        Observe({"Stop", stream});
        return real_.ChannelStop(stream);
    }
    ChannelState ChannelIsActive(StreamHandle stream) const override {
        return real_.ChannelIsActive(stream);
    }
    bool StreamFree(StreamHandle stream) override {
        Observe({"StreamFree", stream});
        return real_.StreamFree(stream);
    }
    bool ChannelSetVolume(StreamHandle stream, float level) override {
        volumes.push_back(level);
        return real_.ChannelSetVolume(stream, level);
    }
    int ChannelGetFft512(StreamHandle stream, std::span<float> out) const override {
        return real_.ChannelGetFft512(stream, out);
    }

    std::vector<float> volumes;
    std::vector<int> inits;
    std::function<void(const Call&)> beforeCall;

  private:
    void Observe(const Call& call) {
        if (beforeCall) {
            beforeCall(call);
        }
    }

    AudioEngine& real_;
};

}  // namespace vorlune::test
