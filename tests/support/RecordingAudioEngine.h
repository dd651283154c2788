#pragma once

#include <functional>
#include <string>
#include <vector>

#include "audio/AudioEngine.h"

namespace vorlune::test {

// The real engine with a record of the volumes and devices asked for, so tests can follow a
// fade step by step, of the streams created, so they can follow the one that plays, and a hook
// told of every call that stops, frees or closes something before it happens, so a test can
// look at the rest of the program at that moment.
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
    bool SetDevice(int device) override { return real_.SetDevice(device); }
    void SetDeviceListener(std::function<void()> listener) override {
        real_.SetDeviceListener(std::move(listener));
    }
    bool Free() override {
        Observe({"Free", 0});
        live_ = 0;
        return real_.Free();
    }
    std::optional<int> CurrentDevice() const override { return real_.CurrentDevice(); }
    DeviceState DeviceStateOf(int device) const override { return real_.DeviceStateOf(device); }
    std::optional<DeviceInfo> GetDeviceInfo(int device) const override {
        return real_.GetDeviceInfo(device);
    }
    StreamHandle CreateStreamFile(const std::string& path) override {
        const StreamHandle stream = real_.CreateStreamFile(path);
        if (stream != 0) {
            created.push_back({path, stream});
            live_ = stream;
        }
        return stream;
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
        const ChannelState state = real_.ChannelIsActive(stream);
        return stalled && state == ChannelState::Playing ? ChannelState::Stalled : state;
    }
    bool ChannelDamaged(StreamHandle stream) const override { return real_.ChannelDamaged(stream); }
    bool StreamFree(StreamHandle stream) override {
        Observe({"StreamFree", stream});
        if (stream == live_) {
            live_ = 0;
        }
        return real_.StreamFree(stream);
    }
    bool ChannelSetVolume(StreamHandle stream, float level) override {
        volumes.push_back(level);
        return real_.ChannelSetVolume(stream, level);
    }
    int ChannelGetFft512(StreamHandle stream, std::span<float> out) const override {
        return real_.ChannelGetFft512(stream, out);
    }

    // The stream created last, until it is freed (alone or with its device); 0 otherwise.
    StreamHandle LiveStream() const { return live_; }
    // The file of the stream created last; empty before any.
    std::string LastStreamPath() const {
        return created.empty() ? std::string() : created.back().path;
    }

    struct Created {
        std::string path;
        StreamHandle stream;
    };
    std::vector<Created> created;
    std::vector<float> volumes;
    std::vector<int> inits;
    // Playing streams are reported as stalled (a decoder behind on a slow disk).
    bool stalled = false;
    std::function<void(const Call&)> beforeCall;

  private:
    void Observe(const Call& call) {
        if (beforeCall) {
            beforeCall(call);
        }
    }

    AudioEngine& real_;
    StreamHandle live_ = 0;
};

}  // namespace vorlune::test
