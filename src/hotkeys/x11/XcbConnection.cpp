#include "hotkeys/x11/XcbConnection.h"

#include <QSocketNotifier>
#include <QTimer>

namespace vorlune {

std::unique_ptr<XcbConnection> XcbConnection::Open() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<XcbConnection>(new XcbConnection(connection, screens.data->root));
}

XcbConnection::XcbConnection(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection), root_(root) {
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Dispatch(); });
}

XcbConnection::~XcbConnection() {
    notifier_.reset();
    taken_.clear();
    xcb_disconnect(connection_);
}

void XcbConnection::TakeQueuedEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection_)) {
        taken_.emplace_back(event);
    }
    if (!taken_.empty() && !dispatchPending_) {
        dispatchPending_ = true;
        QTimer::singleShot(0, notifier_.get(), [this] { Dispatch(); });
    }
}

void XcbConnection::Dispatch() {
    dispatchPending_ = false;
    for (;;) {
        XcbPtr<xcb_generic_event_t> event;
        if (!taken_.empty()) {
            event = std::move(taken_.front());
            taken_.pop_front();
        } else {
            event.reset(xcb_poll_for_event(connection_));
        }
        if (!event) {
            break;
        }
        if (handler_) {
            // A copy: the handler may replace itself.
            const EventHandler handler = handler_;
            ++dispatchDepth_;
            handler(*event);
            --dispatchDepth_;
        }
    }
    if (Broken()) {
        // The server went away: the socket would report readable for ever.
        notifier_->setEnabled(false);
    }
}

}  // namespace vorlune
