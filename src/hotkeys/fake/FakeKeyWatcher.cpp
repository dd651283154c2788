#include "hotkeys/fake/FakeKeyWatcher.h"

namespace vorlune {

bool FakeKeyWatcher::Start(Handler handler) {
    ++starts_;
    if (!startable_) {
        return false;
    }
    handler_ = std::move(handler);
    return true;
}

void FakeKeyWatcher::Report(const KeyEvent& event) {
    if (handler_) {
        // A copy: the handler may stop the watcher.
        Handler handler = handler_;
        handler(event);
    }
}

}  // namespace vorlune
