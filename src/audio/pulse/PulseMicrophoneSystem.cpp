#include "audio/pulse/PulseMicrophoneSystem.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "audio/pulse/PulseClient.h"
#include "audio/pulse/VirtualMicrophoneArguments.h"

namespace vorlune {

namespace {

constexpr pa_usec_t kRetry = 1000 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kDefaultRecheck = 100 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kDefaultRecheckFor = 1500 * PA_USEC_PER_MSEC;
constexpr pa_usec_t kDefaultAskAgain = 1000 * PA_USEC_PER_MSEC;
constexpr int kDefaultAsks = 3;
constexpr pa_usec_t kLeftOversAgain = 50 * PA_USEC_PER_MSEC;
// Peers use 30 ms loopbacks; the servers give a loopback at least what its devices allow.
constexpr int kLoopbackLatencyMs = 20;

// The three modules, made in this order and taken down in the other.
enum class Piece { Mix, Remap, Loopback };

const char* ModuleOf(Piece piece) {
    switch (piece) {
        case Piece::Mix:
            return "module-null-sink";
        case Piece::Remap:
            return "module-remap-source";
        case Piece::Loopback:
            break;
    }
    return "module-loopback";
}

}  // namespace

struct PulseMicrophoneSystem::Impl {
    explicit Impl(std::chrono::milliseconds firstListing);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Connection thread (the client library's lock held).
    void OnReady();
    void ConnectionLost();
    void OnEvent(pa_subscription_event_type_t type, std::uint32_t index);
    void RequestListing();
    void ListingDone();
    void TakeWish();
    void RemoveLeftOvers();
    void FindLeftOvers();
    void StepDone();
    void Reconcile();
    bool Ready() const { return client.Ready(); }
    bool Listed(const std::string& id) const;
    std::string LoopSourceWanted() const;
    void Load(Piece piece, const std::string& arguments);
    void Unload(std::uint32_t& module);
    // False when it was asked for just now, or often enough.
    bool SetDefault(const std::string& source);
    void SetState(VirtualMicrophoneState next);
    void Publish();
    void CheckEnded();

    PulseClient client;

    // Connection thread only.
    pa_time_event* recheck = nullptr;
    VirtualMicrophoneWish wish;
    std::vector<MicrophoneEntry> pendingMicrophones;
    std::string pendingDefault;
    std::vector<MicrophoneEntry> microphones;
    std::string serverDefault;
    // The default capture device before the virtual microphone became it.
    std::string previousDefault;
    std::optional<std::string> leftPreviousDefault;
    pa_time_event* cleanupTimer = nullptr;
    std::string error;
    std::string loopSource;
    // A microphone whose loopback the server refused: not tried again until the devices change.
    std::string loopRefused;
    // The last default asked for, when, and how many times in a row.
    std::string defaultAsked;
    pa_usec_t defaultAskedAt = 0;
    int defaultAsks = 0;
    int busy = 0;  // operations in flight that change the server
    VirtualMicrophoneState state = VirtualMicrophoneState::Off;
    Piece loading = Piece::Mix;
    std::uint32_t mixModule = PA_INVALID_INDEX;
    std::uint32_t remapModule = PA_INVALID_INDEX;
    std::uint32_t loopModule = PA_INVALID_INDEX;
    bool ending = false;
    bool cleaned = false;  // this connection's left-overs are gone
    bool listingInFlight = false;
    bool listingAgain = false;
    bool failed = false;
    bool leftOversFound = false;
    // Sources of the program's are on the server (the last ones unloaded may linger a moment).
    bool pendingMarked = false;
    bool markedListed = false;
    bool leftDefaultWasOurs = false;

    // Shared with the interface thread.
    std::mutex wishMutex;
    VirtualMicrophoneWish asked;
    mutable std::mutex stateMutex;
    MicrophoneListing listing;
    VirtualMicrophoneStatus status;
    std::mutex endMutex;
    std::condition_variable endAnswer;
    bool askedAgain = false;
    bool endingAsked = false;
    bool ended = false;
};

PulseMicrophoneSystem::Impl::Impl(std::chrono::milliseconds firstListing)
    : client({.woken = [this] { TakeWish(); },
              .ready = [this] { OnReady(); },
              .lost = [this] { ConnectionLost(); }}) {
    if (!client.Start()) {
        return;
    }
    client.WaitForAnswer(firstListing);
}

PulseMicrophoneSystem::Impl::~Impl() {
    // The thread has been stopped: what it owned is released here, before the connection.
    for (pa_time_event* timer : {recheck, cleanupTimer}) {
        if (timer != nullptr) {
            client.Api()->time_free(timer);
        }
    }
}

void PulseMicrophoneSystem::Impl::OnReady() {
    pa_context_set_subscribe_callback(
        client.Context(),
        [](pa_context* c, pa_subscription_event_type_t type, std::uint32_t index, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c == impl->client.Context()) {
                impl->OnEvent(type, index);
            }
        },
        this);
    pa_operation_unref(
        pa_context_subscribe(client.Context(),
                             static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE |
                                                                 PA_SUBSCRIPTION_MASK_SERVER |
                                                                 PA_SUBSCRIPTION_MASK_MODULE),
                             nullptr, nullptr));
    RemoveLeftOvers();
    RequestListing();
}

void PulseMicrophoneSystem::Impl::ConnectionLost() {
    // What was made went with the server (or is found as left-overs at the next connection).
    mixModule = remapModule = loopModule = PA_INVALID_INDEX;
    loopSource.clear();
    cleaned = false;
    busy = 0;
    defaultAsked.clear();
    defaultAsks = 0;
    for (pa_time_event** timer : {&recheck, &cleanupTimer}) {
        if (*timer != nullptr) {
            client.Api()->time_free(*timer);
            *timer = nullptr;
        }
    }
    listingInFlight = false;
    listingAgain = false;
    microphones.clear();
    serverDefault.clear();
    Publish();
    SetState(wish.on && !failed
                 ? VirtualMicrophoneState::Starting
                 : (failed ? VirtualMicrophoneState::Failed : VirtualMicrophoneState::Off));
    CheckEnded();
    if (!ending) {
        client.ReconnectAfter(kRetry);
    }
}

void PulseMicrophoneSystem::Impl::OnEvent(pa_subscription_event_type_t type, std::uint32_t index) {
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_MODULE &&
        (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE) {
        // A module of ours taken away by someone else, or by the server with its device (a
        // loopback goes with its microphone): it is made again if still wanted.
        for (std::uint32_t* module : {&mixModule, &remapModule, &loopModule}) {
            if (*module == index) {
                *module = PA_INVALID_INDEX;
            }
        }
        if (loopModule == PA_INVALID_INDEX) {
            loopSource.clear();
        }
    }
    RequestListing();
}

void PulseMicrophoneSystem::Impl::RequestListing() {
    if (listingInFlight) {
        listingAgain = true;
        return;
    }
    listingInFlight = true;
    pendingMicrophones.clear();
    pendingDefault.clear();
    pendingMarked = false;
    pa_operation_unref(pa_context_get_server_info(
        client.Context(),
        [](pa_context* c, const pa_server_info* info, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c == impl->client.Context() && info != nullptr &&
                info->default_source_name != nullptr) {
                impl->pendingDefault = info->default_source_name;
            }
        },
        this));
    pa_operation_unref(pa_context_get_source_info_list(
        client.Context(),
        [](pa_context* c, const pa_source_info* info, int eol, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c != impl->client.Context()) {
                return;
            }
            if (eol == 0 && info != nullptr) {
                if (info->name != nullptr && IsVirtualMicrophoneDevice(info->name)) {
                    impl->pendingMarked = true;
                } else if (info->name != nullptr && info->monitor_of_sink == PA_INVALID_INDEX) {
                    const char* shown = info->description != nullptr && *info->description != '\0'
                                            ? info->description
                                            : info->name;
                    impl->pendingMicrophones.push_back({info->name, shown});
                }
                return;
            }
            impl->listingInFlight = false;
            if (impl->listingAgain) {
                impl->listingAgain = false;
                impl->RequestListing();
                return;
            }
            if (eol > 0) {
                impl->ListingDone();
            }
        },
        this));
}

void PulseMicrophoneSystem::Impl::ListingDone() {
    if (pendingMicrophones != microphones) {
        loopRefused.clear();
    }
    microphones = std::move(pendingMicrophones);
    markedListed = pendingMarked;
    serverDefault = std::move(pendingDefault);
    // pipewire-pulse names no device "@DEFAULT_SOURCE@".
    if (serverDefault.starts_with('@')) {
        serverDefault.clear();
    }
    // pipewire-pulse tells of a new default before WirePlumber has made it the default, and not
    // again after: the default asked for is looked at again for a while.
    if (!defaultAsked.empty() && serverDefault != defaultAsked && recheck == nullptr &&
        pa_rtclock_now() < defaultAskedAt + kDefaultRecheckFor) {
        recheck = pa_context_rttime_new(
            client.Context(), pa_rtclock_now() + kDefaultRecheck,
            [](pa_mainloop_api* a, pa_time_event* event, const struct timeval*, void* self) {
                auto* impl = static_cast<Impl*>(self);
                a->time_free(event);
                impl->recheck = nullptr;
                if (impl->Ready()) {
                    impl->RequestListing();
                }
            },
            this);
    }
    if (!serverDefault.empty() && !IsVirtualMicrophoneDevice(serverDefault)) {
        previousDefault = serverDefault;
    }
    Publish();
    Reconcile();
}

void PulseMicrophoneSystem::Impl::TakeWish() {
    bool again = false;
    {
        std::lock_guard lock(wishMutex);
        wish = asked;
        again = askedAgain;
        askedAgain = false;
        ending = endingAsked;
    }
    if (ending) {
        client.StayAway();
    }
    if (again || ending) {
        // Asking again after a failure tries again.
        defaultAsks = 0;
        failed = false;
        error.clear();
        loopRefused.clear();
    }
    if (wish.on && !failed && !ending && state != VirtualMicrophoneState::On) {
        SetState(VirtualMicrophoneState::Starting);
    }
    if (!Ready()) {
        SetState(wish.on && !ending ? VirtualMicrophoneState::Starting
                                    : VirtualMicrophoneState::Off);
        CheckEnded();
        return;
    }
    // pipewire-pulse does not always tell when its default changed: the server is asked afresh
    // before the wish is acted on.
    RequestListing();
}

void PulseMicrophoneSystem::Impl::RemoveLeftOvers() {
    // Before anything is made: every module a killed program left behind is unloaded, and the
    // default capture device it took is given back. The server unloads a module after it has
    // answered, so the modules are listed again until none is left: a sink made while the old
    // one is still there would get another name.
    ++busy;
    leftPreviousDefault.reset();
    leftDefaultWasOurs = false;
    FindLeftOvers();
}

void PulseMicrophoneSystem::Impl::FindLeftOvers() {
    leftOversFound = false;
    pa_operation_unref(pa_context_get_server_info(
        client.Context(),
        [](pa_context* c, const pa_server_info* info, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c == impl->client.Context() && info != nullptr &&
                info->default_source_name != nullptr &&
                IsVirtualMicrophoneDevice(info->default_source_name)) {
                impl->leftDefaultWasOurs = true;
            }
        },
        this));
    pa_operation_unref(pa_context_get_module_info_list(
        client.Context(),
        [](pa_context* c, const pa_module_info* info, int eol, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c != impl->client.Context()) {
                return;
            }
            if (eol == 0 && info != nullptr) {
                if (info->argument != nullptr && HasVirtualMicrophoneMark(info->argument)) {
                    if (auto previous = PreviousDefaultIn(info->argument)) {
                        impl->leftPreviousDefault = std::move(previous);
                    }
                    impl->leftOversFound = true;
                    std::uint32_t module = info->index;
                    impl->Unload(module);
                }
                return;
            }
            if (eol < 0) {
                return;
            }
            if (impl->leftOversFound && impl->cleanupTimer == nullptr) {
                impl->cleanupTimer = pa_context_rttime_new(
                    c, pa_rtclock_now() + kLeftOversAgain,
                    [](pa_mainloop_api* a, pa_time_event* event, const struct timeval*, void* raw) {
                        auto* me = static_cast<Impl*>(raw);
                        a->time_free(event);
                        me->cleanupTimer = nullptr;
                        if (me->Ready()) {
                            me->FindLeftOvers();
                        }
                    },
                    impl);
                return;
            }
            if (impl->leftDefaultWasOurs && impl->leftPreviousDefault) {
                impl->previousDefault = *impl->leftPreviousDefault;
                impl->SetDefault(impl->previousDefault);
            }
            impl->cleaned = true;
            impl->StepDone();
        },
        this));
}

void PulseMicrophoneSystem::Impl::StepDone() {
    --busy;
    if (busy <= 0) {
        busy = 0;
        // What the server reports next is looked at again before the next step.
        RequestListing();
    }
}

bool PulseMicrophoneSystem::Impl::Listed(const std::string& id) const {
    return std::any_of(microphones.begin(), microphones.end(),
                       [&](const MicrophoneEntry& m) { return m.id == id; });
}

std::string PulseMicrophoneSystem::Impl::LoopSourceWanted() const {
    if (!wish.withVoice) {
        return {};
    }
    std::string source = wish.microphone;
    if (source.empty()) {
        // The system's default, never the virtual microphone itself nor a monitor.
        source = Listed(previousDefault) ? previousDefault
                                         : (microphones.empty() ? "" : microphones.front().id);
    }
    // A chosen microphone that is gone: the board's sounds go on alone until it is back.
    if (!Listed(source) || !IsSafeServerName(source)) {
        return {};
    }
    return source;
}

void PulseMicrophoneSystem::Impl::Reconcile() {
    if (!Ready() || !cleaned || busy > 0 || listingInFlight || listingAgain) {
        return;
    }
    const std::string ours(kVirtualMicrophoneSource);
    const bool wanted = wish.on && !failed && !ending;
    if (wanted) {
        if (mixModule == PA_INVALID_INDEX || remapModule == PA_INVALID_INDEX) {
            SetState(VirtualMicrophoneState::Starting);
        }
        if (mixModule == PA_INVALID_INDEX) {
            // What is left of an earlier one goes first: its names would clash.
            if (remapModule != PA_INVALID_INDEX || loopModule != PA_INVALID_INDEX) {
                Unload(loopModule);
                Unload(remapModule);
                return;
            }
            // The ones taken down last are gone once the server has unloaded them.
            if (markedListed) {
                return;
            }
            Load(Piece::Mix, MixSinkArguments());
            return;
        }
        if (remapModule == PA_INVALID_INDEX) {
            Load(Piece::Remap, RemapSourceArguments(previousDefault));
            return;
        }
        if (!loopRefused.empty() && Listed(loopRefused)) {
            // The microphone is still there: the server itself cannot loop it.
            failed = true;
            error = std::string("声音服务器无法加载 ") + ModuleOf(Piece::Loopback);
            Reconcile();
            return;
        }
        const std::string source = LoopSourceWanted();
        if (loopModule != PA_INVALID_INDEX && loopSource != source) {
            Unload(loopModule);
            return;
        }
        if (loopModule == PA_INVALID_INDEX && !source.empty() && source != loopRefused) {
            loopSource = source;
            Load(Piece::Loopback, LoopbackArguments(source, kLoopbackLatencyMs));
            return;
        }
        SetState(VirtualMicrophoneState::On);
        if (wish.makeDefault && serverDefault != ours && SetDefault(ours)) {
            return;
        }
    }
    // The default capture device goes back before the virtual microphone goes.
    if ((!wanted || !wish.makeDefault) && serverDefault == ours && Listed(previousDefault) &&
        SetDefault(previousDefault)) {
        return;
    }
    if (wanted) {
        return;
    }
    Unload(loopModule);
    Unload(remapModule);
    Unload(mixModule);
    if (busy == 0) {
        SetState(failed ? VirtualMicrophoneState::Failed : VirtualMicrophoneState::Off);
        CheckEnded();
    }
}

void PulseMicrophoneSystem::Impl::Load(Piece piece, const std::string& arguments) {
    ++busy;
    loading = piece;
    pa_operation_unref(pa_context_load_module(
        client.Context(), ModuleOf(piece), arguments.c_str(),
        [](pa_context* c, std::uint32_t index, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c != impl->client.Context()) {
                return;
            }
            const Piece piece = impl->loading;
            if (index == PA_INVALID_INDEX) {
                const int why = pa_context_errno(c);
                if (piece == Piece::Loopback && why != PA_ERR_NOENTITY) {
                    // The microphone may have gone meanwhile: the board's sounds go on alone,
                    // and the next listing tells whether it is still there.
                    impl->loopRefused = impl->loopSource;
                    impl->loopSource.clear();
                } else {
                    impl->failed = true;
                    impl->error = std::string("声音服务器") +
                                  (why == PA_ERR_NOENTITY ? "不支持 " : "无法加载 ") +
                                  ModuleOf(piece);
                }
            } else {
                (piece == Piece::Mix     ? impl->mixModule
                 : piece == Piece::Remap ? impl->remapModule
                                         : impl->loopModule) = index;
            }
            impl->StepDone();
        },
        this));
}

void PulseMicrophoneSystem::Impl::Unload(std::uint32_t& module) {
    if (module == PA_INVALID_INDEX) {
        return;
    }
    const std::uint32_t index = module;
    module = PA_INVALID_INDEX;
    if (&module == &loopModule) {
        loopSource.clear();
    }
    ++busy;
    pa_operation_unref(pa_context_unload_module(
        client.Context(), index,
        [](pa_context* c, int, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c == impl->client.Context()) {
                impl->StepDone();
            }
        },
        this));
}

bool PulseMicrophoneSystem::Impl::SetDefault(const std::string& source) {
    // WirePlumber may take a while, or pick another device first: the same default is asked
    // again after a second, a few times.
    const pa_usec_t now = pa_rtclock_now();
    if (source == defaultAsked &&
        (now < defaultAskedAt + kDefaultAskAgain || defaultAsks >= kDefaultAsks)) {
        return false;
    }
    defaultAsks = source == defaultAsked ? defaultAsks + 1 : 1;
    defaultAsked = source;
    defaultAskedAt = now;
    ++busy;
    pa_operation_unref(pa_context_set_default_source(
        client.Context(), source.c_str(),
        [](pa_context* c, int, void* self) {
            auto* impl = static_cast<Impl*>(self);
            if (c == impl->client.Context()) {
                impl->StepDone();
            }
        },
        this));
    return true;
}

void PulseMicrophoneSystem::Impl::SetState(VirtualMicrophoneState next) {
    if (next == VirtualMicrophoneState::Failed || (failed && next == VirtualMicrophoneState::Off)) {
        next = VirtualMicrophoneState::Failed;
    }
    {
        std::lock_guard lock(stateMutex);
        const VirtualMicrophoneStatus now{next,
                                          next == VirtualMicrophoneState::Failed ? error : ""};
        if (now == status) {
            return;
        }
        status = now;
    }
    state = next;
    client.Notify();
}

void PulseMicrophoneSystem::Impl::Publish() {
    MicrophoneListing next;
    next.connected = Ready();
    next.microphones = microphones;
    next.defaultId = IsVirtualMicrophoneDevice(serverDefault) ? previousDefault : serverDefault;
    if (!next.connected) {
        next = MicrophoneListing{};
    }
    client.Publish(stateMutex, listing, std::move(next));
}

void PulseMicrophoneSystem::Impl::CheckEnded() {
    const bool nothingMade = mixModule == PA_INVALID_INDEX && remapModule == PA_INVALID_INDEX &&
                             loopModule == PA_INVALID_INDEX && busy == 0;
    if (!ending || (Ready() && !(cleaned && nothingMade))) {
        return;
    }
    {
        std::lock_guard lock(endMutex);
        ended = true;
    }
    endAnswer.notify_all();
}

PulseMicrophoneSystem::PulseMicrophoneSystem(std::chrono::milliseconds firstListing)
    : impl_(std::make_unique<Impl>(firstListing)) {}

PulseMicrophoneSystem::~PulseMicrophoneSystem() {
    if (!impl_->client.HasLoop()) {
        return;
    }
    {
        std::lock_guard lock(impl_->wishMutex);
        impl_->endingAsked = true;
    }
    impl_->client.Wake();
    {
        std::unique_lock lock(impl_->endMutex);
        impl_->endAnswer.wait_for(lock, kEndingLimit, [this] { return impl_->ended; });
    }
    impl_->client.Stop();
}

MicrophoneListing PulseMicrophoneSystem::Microphones() const {
    std::lock_guard lock(impl_->stateMutex);
    return impl_->listing;
}

void PulseMicrophoneSystem::Apply(const VirtualMicrophoneWish& wish) {
    {
        std::lock_guard lock(impl_->wishMutex);
        impl_->asked = wish;
        impl_->askedAgain = true;
    }
    impl_->client.Wake();
}

VirtualMicrophoneStatus PulseMicrophoneSystem::Status() const {
    std::lock_guard lock(impl_->stateMutex);
    return impl_->status;
}

void PulseMicrophoneSystem::SetChangeListener(std::function<void()> listener) {
    impl_->client.SetListener(std::move(listener));
}

}  // namespace vorlune
