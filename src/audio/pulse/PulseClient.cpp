#include "audio/pulse/PulseClient.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

namespace vorlune {

namespace {

const char* const kAppName = "Vorlune";

}  // namespace

PulseClient::PulseClient(Handlers handlers)
    : handlers_(std::move(handlers)), loop_(pa_threaded_mainloop_new()) {
    if (loop_ == nullptr) {
        return;
    }
    api_ = pa_threaded_mainloop_get_api(loop_);
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ >= 0) {
        wakeEvent_ = api_->io_new(
            api_, wakeFd_, PA_IO_EVENT_INPUT,
            [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
                auto* client = static_cast<PulseClient*>(self);
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t got = ::read(client->wakeFd_, &count, sizeof count);
                client->handlers_.woken();
            },
            this);
    }
}

PulseClient::~PulseClient() {
    if (loop_ == nullptr) {
        return;
    }
    // The thread has been stopped: what it owned is released here.
    if (retry_ != nullptr) {
        api_->time_free(retry_);
    }
    ReleaseContext();
    if (wakeEvent_ != nullptr) {
        api_->io_free(wakeEvent_);
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
    pa_threaded_mainloop_free(loop_);
}

bool PulseClient::Start() {
    if (loop_ == nullptr) {
        return false;
    }
    Connect();
    return pa_threaded_mainloop_start(loop_) >= 0;
}

void PulseClient::Stop() {
    if (loop_ != nullptr) {
        pa_threaded_mainloop_stop(loop_);
    }
}

void PulseClient::WaitForAnswer(std::chrono::milliseconds limit) {
    std::unique_lock lock(answerMutex_);
    answer_.wait_for(lock, limit, [this] { return answered_; });
}

void PulseClient::Answered() {
    {
        std::lock_guard lock(answerMutex_);
        answered_ = true;
    }
    answer_.notify_all();
}

void PulseClient::SetListener(std::function<void()> listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

void PulseClient::Notify() {
    std::lock_guard lock(listenerMutex_);
    if (listener_) {
        listener_();
    }
}

void PulseClient::Wake() const {
    if (wakeFd_ < 0) {
        return;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void PulseClient::Connect() {
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, kAppName);
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "vorlune");
    context_ = pa_context_new_with_proplist(api_, kAppName, props);
    pa_proplist_free(props);
    if (context_ == nullptr) {
        return;
    }
    pa_context_set_state_callback(
        context_, [](pa_context*, void* self) { static_cast<PulseClient*>(self)->OnState(); },
        this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        handlers_.lost();
    }
}

void PulseClient::OnState() {
    switch (pa_context_get_state(context_)) {
        case PA_CONTEXT_READY:
            handlers_.ready();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            handlers_.lost();
            break;
        default:
            break;
    }
}

void PulseClient::ReconnectAfter(pa_usec_t delay) {
    if (retry_ != nullptr || context_ == nullptr || stayAway_) {
        return;
    }
    retry_ = pa_context_rttime_new(
        context_, pa_rtclock_now() + delay,
        [](pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self) {
            auto* client = static_cast<PulseClient*>(self);
            api->time_free(event);
            client->retry_ = nullptr;
            client->ReleaseContext();
            if (!client->stayAway_) {
                client->Connect();
            }
        },
        this);
}

void PulseClient::ReleaseContext() {
    if (context_ == nullptr) {
        return;
    }
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

}  // namespace vorlune
