#pragma once

#include "base/DesktopServices.h"

namespace vorlune {

class QtDesktopServices final : public DesktopServices {
  public:
    [[nodiscard]] std::string DesktopFolder() const override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& startFolder) override;
    bool OpenWithSystem(const std::string& address) override;
    void SetClipboardText(const std::string& text) override;
};

}  // namespace vorlune
