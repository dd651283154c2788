#include "hotkeys/focus/FocusKeyWatcher.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "hotkeys/x11/VirtualKeySymbols.h"

namespace vorlune {
namespace {

// Qt's key codes of the keys whose virtual-key code is not their Qt code.
std::int32_t VirtualKeyOfQtKey(int key) {
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return key;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return 112 + (key - Qt::Key_F1);
    }
    switch (key) {
        case Qt::Key_Shift:
            return 160;
        case Qt::Key_Control:
            return 162;
        case Qt::Key_Alt:
            return 164;
        case Qt::Key_Meta:
            return 91;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        case Qt::Key_NumLock:
            return 144;
        case Qt::Key_ScrollLock:
            return 145;
        default:
            return 0;
    }
}

}  // namespace

std::int32_t VirtualKeyOfKeyEvent(const QKeyEvent& event) {
    if (event.nativeVirtualKey() != 0) {
        return VirtualKeyForTypedKeysym(event.nativeVirtualKey());
    }
    return VirtualKeyOfQtKey(event.key());
}

bool FocusKeyWatcher::Start(Handler handler) {
    if (QCoreApplication::instance() == nullptr) {
        return false;
    }
    if (!handler_) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    handler_ = std::move(handler);
    return true;
}

void FocusKeyWatcher::Stop() {
    if (handler_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
    handler_ = nullptr;
}

bool FocusKeyWatcher::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    // A key event reaches the window first, then each widget it is passed on to: the window's
    // copy alone is counted.
    if (key && watched->isWindowType() && handler_) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (!keyEvent->isAutoRepeat()) {
            const std::int32_t virtualKey = VirtualKeyOfKeyEvent(*keyEvent);
            if (virtualKey != 0) {
                // A copy: the handler may stop the watcher.
                const Handler handler = handler_;
                handler({virtualKey, event->type() == QEvent::KeyPress});
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vorlune
