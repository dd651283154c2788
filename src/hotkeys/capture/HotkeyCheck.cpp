#include "hotkeys/capture/HotkeyCheck.h"

#include "hotkeys/HotkeyText.h"

namespace vorlune {

HotkeyCheckResult CheckCapturedHotkey(const HotkeyCheckInput& in) {
    const std::string captured(in.captured);
    const std::string triggered = StoredToDisplay(in.lastTriggeredHotkey);
    if (captured != triggered) {
        return {"当前热键[" + captured + "]未被使用，可注册为热键。", true};
    }
    const std::string name(in.lastTriggeredName);
    if (captured == in.ownText) {
        if (in.masterSwitchDialog) {
            return {"[" + captured + "]已被【" + name + "】使用，不能注册热键。", false};
        }
        return {"[" + captured + "]已被该音效使用，无需设置。", false};
    }
    return {"[" + captured + "]被【" + name + "】音效已经占用，请选择其他键。", false};
}

std::string OwnHotkeyText(std::string_view stored) {
    const std::string modifier = HotkeyModifierPart(stored);
    if (modifier.empty()) {
        return std::string(stored);
    }
    // The text after the last separator, also when it is empty ("Ctrl｜" is "Ctrl+").
    const std::size_t last = stored.rfind(kStoredSeparator);
    return modifier + std::string(kDisplaySeparator) +
           std::string(stored.substr(last + kStoredSeparator.size()));
}

}  // namespace vorlune
