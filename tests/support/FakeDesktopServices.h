#pragma once

#include <string>
#include <vector>

#include "base/DesktopServices.h"

namespace vorlune::test {

// Records what the program asks of the desktop and answers the open-file dialog from a script.
class FakeDesktopServices final : public DesktopServices {
  public:
    std::string DesktopFolder() const override { return desktop; }
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& startFolder) override {
        dialogs.push_back({title, filter, startFolder});
        return nextChosenFile;
    }
    bool OpenWithSystem(const std::string& address) override {
        opened.push_back(address);
        return true;
    }
    void SetClipboardText(const std::string& text) override { clipboard = text; }

    struct Dialog {
        std::string title, filter, startFolder;
    };
    std::string desktop;
    std::optional<std::string> nextChosenFile;
    std::vector<Dialog> dialogs;
    std::vector<std::string> opened;
    std::string clipboard;
};

}  // namespace vorlune::test
