#include "audio/pulse/PulseOutputSystem.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "audio/pulse/PulseClient.h"

namespace vorlune {

namespace {

constexpr int kChannels = 2;
constexpr std::size_t kFrameBytes = kChannels * sizeof(float);
// The stream's buffer holds this many periods: the server asks for one period at a time and
// plays from the rest. The sound that starts an idle output is written in one go, so this does
// not delay it; it only bounds how far a second sound that joins a playing one waits.
constexpr std::size_t kBufferPeriods = 4;
constexpr pa_usec_t kFirstRetry = 200 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kRetry = 1000 * PA_USEC_PER_MSEC;
const char* const kAppName = "Vorlune";

// An output as both threads see it. The interface thread only reads `lost`; everything after it
// belongs to the connection's thread.
struct PulseOutput {
    PulseOutput(std::string deviceId, OutputFormat outputFormat, std::size_t period,
                std::shared_ptr<OutputSource> from)
        : id(std::move(deviceId)),
          format(outputFormat),
          periodFrames(period),
          source(std::move(from)) {}

    const std::string id;
    const OutputFormat format;
    const std::size_t periodFrames;
    const std::shared_ptr<OutputSource> source;
    std::atomic<bool> lost{false};
    std::atomic<bool> accepted{false};

    pa_stream* stream = nullptr;
    bool startWhenReady = false;
    // Corked while it has nothing to play, so the server can let the device sleep; `idle` once
    // the source had nothing to give, and the stream is corked when what it holds has played.
    bool corked = true;
    bool idle = true;
    PulseOutputSystem::Impl* owner = nullptr;
};

enum class Request { Open, Start, Drop, Close };

struct Command {
    Request request;
    std::shared_ptr<PulseOutput> output;
};

}  // namespace

struct PulseOutputSystem::Impl {
    explicit Impl(std::chrono::milliseconds firstListing);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Interface thread.
    void Post(Request request, std::shared_ptr<PulseOutput> output);

    // Connection thread (the client library's lock held).
    void OnReady();
    void ConnectionLost();
    void RequestListing();
    void Publish(OutputListing next);
    void RunCommands();
    void OpenStream(const std::shared_ptr<PulseOutput>& output);
    void Lose(PulseOutput& output);
    static void ReleaseStream(PulseOutput& output);
    static void StartOutput(PulseOutput& output);
    static void DropOutput(PulseOutput& output);
    static void Cork(PulseOutput& output, bool cork);
    static void Fill(PulseOutput& output, std::size_t bytes);

    PulseClient client;
    std::atomic<bool> stopped{false};

    // Connection thread only.
    bool listingInFlight = false;
    bool listingAgain = false;
    OutputListing pending;
    std::vector<std::shared_ptr<PulseOutput>> outputs;

    mutable std::mutex listingMutex;
    OutputListing listing;
    std::mutex commandsMutex;
    std::vector<Command> commands;
};

namespace {

// The interface thread's handle on an output: requests go to the connection's thread.
class PulseOutputHandle final : public OutputStream {
  public:
    PulseOutputHandle(std::shared_ptr<PulseOutputSystem::Impl> system,
                      std::shared_ptr<PulseOutput> output)
        : OutputStream(output->format, output->periodFrames),
          system_(std::move(system)),
          output_(std::move(output)) {}
    ~PulseOutputHandle() override { system_->Post(Request::Close, output_); }
    PulseOutputHandle(const PulseOutputHandle&) = delete;
    PulseOutputHandle& operator=(const PulseOutputHandle&) = delete;

    [[nodiscard]] bool Lost() const override {
        return output_->lost.load(std::memory_order_acquire);
    }
    [[nodiscard]] bool Accepted() const override {
        return output_->accepted.load(std::memory_order_acquire);
    }
    void StartNow() override { system_->Post(Request::Start, output_); }
    void DropQueued() override { system_->Post(Request::Drop, output_); }

  private:
    std::shared_ptr<PulseOutputSystem::Impl> system_;
    std::shared_ptr<PulseOutput> output_;
};

}  // namespace

PulseOutputSystem::Impl::Impl(std::chrono::milliseconds firstListing)
    : client({.woken = [this] { RunCommands(); },
              .ready = [this] { OnReady(); },
              .lost = [this] { ConnectionLost(); }}) {
    if (!client.Start()) {
        return;
    }
    client.WaitForAnswer(firstListing);
}

PulseOutputSystem::Impl::~Impl() {
    // The thread has been stopped: what it owned is released here, before the connection.
    for (const auto& output : outputs) {
        ReleaseStream(*output);
    }
}

void PulseOutputSystem::Impl::Post(Request request, std::shared_ptr<PulseOutput> output) {
    if (stopped.load(std::memory_order_acquire) || !client.CanWake()) {
        return;
    }
    {
        std::lock_guard lock(commandsMutex);
        commands.push_back({request, std::move(output)});
    }
    client.Wake();
}

void PulseOutputSystem::Impl::OnReady() {
    pa_context* context = client.Context();
    pa_context_set_subscribe_callback(
        context,
        [](pa_context*, pa_subscription_event_type_t, std::uint32_t, void* self) {
            static_cast<Impl*>(self)->RequestListing();
        },
        this);
    pa_operation_unref(
        pa_context_subscribe(context,
                             static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                 PA_SUBSCRIPTION_MASK_SERVER),
                             nullptr, nullptr));
    RequestListing();
}

void PulseOutputSystem::Impl::ConnectionLost() {
    const bool wasConnected = listing.connected;
    const bool hadOutputs = !outputs.empty();
    for (const auto& output : outputs) {
        Lose(*output);
    }
    listingInFlight = false;
    listingAgain = false;
    Publish(OutputListing{});
    if (hadOutputs) {
        client.Notify();
    }
    client.ReconnectAfter(wasConnected ? kFirstRetry : kRetry);
}

void PulseOutputSystem::Impl::RequestListing() {
    if (listingInFlight) {
        listingAgain = true;
        return;
    }
    listingInFlight = true;
    pending = OutputListing{};
    pa_operation_unref(pa_context_get_server_info(
        client.Context(),
        [](pa_context*, const pa_server_info* info, void* self) {
            if (info != nullptr && info->default_sink_name != nullptr) {
                static_cast<Impl*>(self)->pending.defaultId = info->default_sink_name;
            }
        },
        this));
    pa_operation_unref(pa_context_get_sink_info_list(
        client.Context(),
        [](pa_context*, const pa_sink_info* info, int eol, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (eol == 0 && info != nullptr) {
                const char* shown = info->description != nullptr && *info->description != '\0'
                                        ? info->description
                                        : info->name;
                impl->pending.outputs.push_back({info->name, shown, info->index});
                return;
            }
            impl->listingInFlight = false;
            if (eol > 0) {
                impl->pending.connected = true;
                impl->Publish(std::move(impl->pending));
            }
            if (impl->listingAgain) {
                impl->listingAgain = false;
                impl->RequestListing();
            }
        },
        this));
}

void PulseOutputSystem::Impl::Publish(OutputListing next) {
    client.Publish(listingMutex, listing, std::move(next));
}

void PulseOutputSystem::Impl::RunCommands() {
    std::vector<Command> work;
    {
        std::lock_guard lock(commandsMutex);
        work.swap(commands);
    }
    for (Command& command : work) {
        PulseOutput& output = *command.output;
        switch (command.request) {
            case Request::Open:
                OpenStream(command.output);
                break;
            case Request::Start:
                StartOutput(output);
                break;
            case Request::Drop:
                DropOutput(output);
                break;
            case Request::Close:
                ReleaseStream(output);
                std::erase(outputs, command.output);
                break;
        }
    }
}

void PulseOutputSystem::Impl::OpenStream(const std::shared_ptr<PulseOutput>& output) {
    outputs.push_back(output);
    output->owner = this;
    if (!client.Ready()) {
        Lose(*output);
        client.Notify();
        return;
    }
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(output->format.rate),
                              kChannels};
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_NAME, kAppName);
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "vorlune");
    output->stream = pa_stream_new_with_proplist(client.Context(), kAppName, &spec, &map, props);
    pa_proplist_free(props);
    if (output->stream == nullptr) {
        Lose(*output);
        client.Notify();
        return;
    }
    pa_stream_set_state_callback(
        output->stream,
        [](pa_stream* stream, void* raw) {
            auto* out = static_cast<PulseOutput*>(raw);
            switch (pa_stream_get_state(stream)) {
                case PA_STREAM_READY:
                    out->accepted.store(true, std::memory_order_release);
                    if (out->startWhenReady) {
                        StartOutput(*out);
                    }
                    break;
                case PA_STREAM_FAILED:
                case PA_STREAM_TERMINATED:
                    // The device went away (or the server); the stream is let go of when the
                    // interface thread closes the output.
                    out->lost.store(true, std::memory_order_release);
                    out->owner->client.Notify();
                    break;
                default:
                    break;
            }
        },
        output.get());
    pa_stream_set_write_callback(
        output->stream,
        [](pa_stream*, std::size_t bytes, void* raw) {
            Fill(*static_cast<PulseOutput*>(raw), bytes);
        },
        output.get());
    // The server has played everything it was given: an output with nothing more to play is
    // corked, which lets the device sleep (a starved stream would keep it running).
    pa_stream_set_underflow_callback(
        output->stream,
        [](pa_stream*, void* raw) {
            auto* out = static_cast<PulseOutput*>(raw);
            if (out->idle) {
                Cork(*out, true);
            }
        },
        output.get());
    const auto periodBytes = static_cast<std::uint32_t>(output->periodFrames * kFrameBytes);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = periodBytes * kBufferPeriods;
    attr.prebuf = periodBytes;
    attr.minreq = periodBytes;
    attr.fragsize = static_cast<std::uint32_t>(-1);
    // A chosen device is kept to: when it goes, its output is lost rather than moved elsewhere.
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
    if (!output->id.empty()) {
        flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_DONT_MOVE);
    }
    if (pa_stream_connect_playback(output->stream,
                                   output->id.empty() ? nullptr : output->id.c_str(), &attr, flags,
                                   nullptr, nullptr) < 0) {
        Lose(*output);
        client.Notify();
    }
}

void PulseOutputSystem::Impl::Lose(PulseOutput& output) {
    output.lost.store(true, std::memory_order_release);
    output.startWhenReady = false;
}

void PulseOutputSystem::Impl::ReleaseStream(PulseOutput& output) {
    output.startWhenReady = false;
    if (output.stream == nullptr) {
        return;
    }
    pa_stream_set_state_callback(output.stream, nullptr, nullptr);
    pa_stream_set_write_callback(output.stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(output.stream, nullptr, nullptr);
    if (pa_stream_get_state(output.stream) == PA_STREAM_READY ||
        pa_stream_get_state(output.stream) == PA_STREAM_CREATING) {
        pa_stream_disconnect(output.stream);
    }
    pa_stream_unref(output.stream);
    output.stream = nullptr;
}

void PulseOutputSystem::Impl::StartOutput(PulseOutput& output) {
    if (output.stream == nullptr) {
        return;
    }
    if (pa_stream_get_state(output.stream) != PA_STREAM_READY) {
        output.startWhenReady = true;
        return;
    }
    output.startWhenReady = false;
    // What is still queued (the tail of a sound that ended, or what a pause left) plays first;
    // the new sound fills the rest of the buffer at once and the stream is uncorked after it,
    // so the server has the sound in hand the moment it plays again.
    output.idle = false;
    Fill(output, kBufferPeriods * output.periodFrames * kFrameBytes);
    Cork(output, false);
}

void PulseOutputSystem::Impl::DropOutput(PulseOutput& output) {
    output.startWhenReady = false;
    if (output.stream == nullptr || pa_stream_get_state(output.stream) != PA_STREAM_READY) {
        return;
    }
    pa_operation_unref(pa_stream_flush(output.stream, nullptr, nullptr));
    output.idle = true;
    Cork(output, true);
}

void PulseOutputSystem::Impl::Cork(PulseOutput& output, bool cork) {
    if (output.corked == cork || output.stream == nullptr ||
        pa_stream_get_state(output.stream) != PA_STREAM_READY) {
        return;
    }
    output.corked = cork;
    pa_operation_unref(pa_stream_cork(output.stream, cork ? 1 : 0, nullptr, nullptr));
}

void PulseOutputSystem::Impl::Fill(PulseOutput& output, std::size_t bytes) {
    while (bytes >= kFrameBytes) {
        void* data = nullptr;
        std::size_t length = bytes;
        if (pa_stream_begin_write(output.stream, &data, &length) < 0 || data == nullptr) {
            return;
        }
        length -= length % kFrameBytes;
        if (length == 0) {
            pa_stream_cancel_write(output.stream);
            return;
        }
        const std::span<float> samples(static_cast<float*>(data), length / sizeof(float));
        // Nothing plays: nothing is written; the stream plays the rest and is corked then.
        if (!output.source->Mix(samples)) {
            pa_stream_cancel_write(output.stream);
            output.idle = true;
            return;
        }
        output.idle = false;
        pa_stream_write(output.stream, data, length, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= length;
    }
}

PulseOutputSystem::PulseOutputSystem(std::chrono::milliseconds firstListing)
    : impl_(std::make_shared<Impl>(firstListing)) {}

PulseOutputSystem::~PulseOutputSystem() {
    impl_->stopped.store(true, std::memory_order_release);
    impl_->client.Stop();
}

OutputListing PulseOutputSystem::Outputs() const {
    std::lock_guard lock(impl_->listingMutex);
    return impl_->listing;
}

std::unique_ptr<OutputStream> PulseOutputSystem::Open(const std::string& id, int rate,
                                                      std::size_t periodFrames,
                                                      std::shared_ptr<OutputSource> source) {
    {
        std::lock_guard lock(impl_->listingMutex);
        const std::vector<OutputEntry>& all = impl_->listing.outputs;
        const bool listed = id.empty()
                                ? !all.empty()
                                : std::any_of(all.begin(), all.end(),
                                              [&](const OutputEntry& e) { return e.id == id; });
        if (!impl_->listing.connected || !listed || !impl_->client.CanWake()) {
            return nullptr;
        }
    }
    auto output = std::make_shared<PulseOutput>(id, OutputFormat{rate, kChannels}, periodFrames,
                                                std::move(source));
    impl_->Post(Request::Open, output);
    return std::make_unique<PulseOutputHandle>(impl_, std::move(output));
}

void PulseOutputSystem::SetChangeListener(std::function<void()> listener) {
    impl_->client.SetListener(std::move(listener));
}

}  // namespace vorlune
