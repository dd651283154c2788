#include "hotkeys/capture/HotkeyCapture.h"

#include <algorithm>

#include "hotkeys/capture/HeldModifier.h"

namespace vorlune {

HotkeyCapture::~HotkeyCapture() {
    if (watching_) {
        watcher_.Stop();
    }
}

HotkeyCapture::Token HotkeyCapture::Install(ReportTarget target) {
    const Token token = nextToken_++;
    targets_.push_back({token, std::move(target)});
    if (!watching_) {
        watching_ = watcher_.Start([this](const KeyEvent& event) { OnKey(event); });
    }
    return token;
}

void HotkeyCapture::Remove(Token token) {
    std::erase_if(targets_, [token](const Target& t) { return t.token == token; });
    if (targets_.empty() && watching_) {
        watcher_.Stop();
        watching_ = false;
    }
}

void HotkeyCapture::OnKey(const KeyEvent& event) {
    heldModifier_ = NextHeldModifier(heldModifier_, event);
    if (targets_.empty()) {
        return;
    }
    // A copy: the report may open or close a dialog, which changes the targets.
    const ReportTarget report = targets_.back().report;
    report(heldModifier_, event.pressed ? event.virtualKey : 0, event.pressed);
}

}  // namespace vorlune
