#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace vorlune {

struct FreeXcb {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbPtr = std::unique_ptr<T, FreeXcb>;

// A connection of our own to the X server, apart from Qt's, whose events are handled on the
// thread that opened it from that thread's event loop.
class XcbConnection {
  public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;

    // Nothing when no X display can be opened (no DISPLAY, or nobody listens there).
    static std::unique_ptr<XcbConnection> Open();
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    [[nodiscard]] xcb_connection_t* Get() const { return connection_; }
    [[nodiscard]] xcb_window_t Root() const { return root_; }
    [[nodiscard]] bool Broken() const { return xcb_connection_has_error(connection_) != 0; }

    void SetEventHandler(EventHandler handler) { handler_ = std::move(handler); }

    // After a request that waited for a reply, events read meanwhile sit in xcb's queue and
    // the socket stays quiet: take them now and hand them on from the event loop.
    void TakeQueuedEvents();

    // True while an event handler runs; the connection must not be destroyed then.
    [[nodiscard]] bool Dispatching() const { return dispatchDepth_ > 0; }

  private:
    XcbConnection(xcb_connection_t* connection, xcb_window_t root);
    void Dispatch();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::unique_ptr<QSocketNotifier> notifier_;
    EventHandler handler_;
    std::deque<XcbPtr<xcb_generic_event_t>> taken_;
    bool dispatchPending_ = false;
    int dispatchDepth_ = 0;
};

}  // namespace vorlune
