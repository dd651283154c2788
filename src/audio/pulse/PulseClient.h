#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace vorlune {

// A connection to the sound server on a thread of the client library's own, as the outputs and
// the virtual microphone each keep one: the threaded main loop, a wake-up any thread can give it
// without taking the library's lock, and the context, made anew after the server went away. A
// sound server is never started by the program: one that is not there is waited for.
//
// The handlers run on the connection's thread with the library's lock held.
class PulseClient {
  public:
    struct Handlers {
        std::function<void()> woken;  // Wake() was called (once for any number of calls)
        std::function<void()> ready;  // the context is connected
        std::function<void()> lost;   // the context failed or ended, or could not connect
    };

    // Makes the loop; nothing runs, and no handler is called, until Start().
    explicit PulseClient(Handlers handlers);
    // The thread must have been stopped.
    ~PulseClient();
    PulseClient(const PulseClient&) = delete;
    PulseClient& operator=(const PulseClient&) = delete;

    // Asks for the first connection (an answer that there is no server comes at once, to `lost`)
    // and starts the thread.
    bool Start();
    // Ends the thread; not from the thread itself.
    void Stop();
    // Waits up to `limit` for the first Answered(), so that the program starts with what the
    // server lists known. Returns at once without a server.
    void WaitForAnswer(std::chrono::milliseconds limit);
    // Any thread.
    void Wake() const;
    // The owner's change listener. Once SetListener returns, the one it replaced is not running.
    void SetListener(std::function<void()> listener);
    [[nodiscard]] bool CanWake() const { return wakeFd_ >= 0; }
    [[nodiscard]] bool HasLoop() const { return loop_ != nullptr; }

    // The connection's thread only.
    [[nodiscard]] pa_context* Context() const { return context_; }
    [[nodiscard]] pa_mainloop_api* Api() const { return api_; }
    [[nodiscard]] bool Ready() const {
        return context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY;
    }
    // Lets go of the context and connects anew after `delay`, from a timer outside the
    // context's own callbacks; a reconnection already waiting is kept.
    void ReconnectAfter(pa_usec_t delay);
    // No connection is made again (the program is ending).
    void StayAway() { stayAway_ = true; }
    // The owner published what the server lists (or that there is no server).
    void Answered();
    // Calls the listener.
    void Notify();
    // Puts `next` into `shared`, which the interface thread reads under `mutex`; then says the
    // first answer came, and tells the listener when it changed.
    template <typename Listing>
    void Publish(std::mutex& mutex, Listing& shared, Listing next) {
        bool changed = false;
        {
            std::lock_guard lock(mutex);
            changed = !(next == shared);
            if (changed) {
                shared = std::move(next);
            }
        }
        Answered();
        if (changed) {
            Notify();
        }
    }

  private:
    void Connect();
    void OnState();
    void ReleaseContext();

    Handlers handlers_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    int wakeFd_ = -1;
    pa_io_event* wakeEvent_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retry_ = nullptr;
    bool stayAway_ = false;

    std::mutex listenerMutex_;
    std::function<void()> listener_;
    std::mutex answerMutex_;
    std::condition_variable answer_;
    bool answered_ = false;
};

}  // namespace vorlune
