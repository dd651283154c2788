#pragma once

#include "audio/controls/VirtualMicrophoneControls.h"

namespace vorlune {

class SettingsPage;

// The virtual microphone's switch picture and default-microphone box on the settings page.
class MicrophoneSettingsView final : public VirtualMicrophoneView {
  public:
    explicit MicrophoneSettingsView(SettingsPage& page) : page_(page) {}

    void ShowMicrophoneSwitch(bool on) override;
    void ShowMakeDefault(bool on) override;

  private:
    SettingsPage& page_;
};

}  // namespace vorlune
