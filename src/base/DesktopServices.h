#pragma once

#include <optional>
#include <string>

namespace vorlune {

// The desktop's own services: the desktop folder, the open-file dialog, opening an address
// with the system's default handler, and the clipboard. Tests hand in a fake.
class DesktopServices {
  public:
    virtual ~DesktopServices() = default;

    // The user's desktop folder (XDG desktop directory), without a trailing separator.
    [[nodiscard]] virtual std::string DesktopFolder() const = 0;
    // The open-file dialog; nothing when the user cancels. `filter` is the dialog's filter
    // text, e.g. "音频文件（.wav;.mp3） (*.mp3 *.wav)".
    virtual std::optional<std::string> ChooseOpenFile(const std::string& title,
                                                      const std::string& filter,
                                                      const std::string& startFolder) = 0;
    // Hands an address (web page, mail address or local file) to the system's default handler.
    virtual bool OpenWithSystem(const std::string& address) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
};

}  // namespace vorlune
