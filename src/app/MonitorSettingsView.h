#pragma once

#include "audio/controls/MonitorControls.h"

namespace vorlune {

class SettingsPage;

// The monitor controls' switch picture and volume shown on the settings page.
class MonitorSettingsView final : public MonitorView {
  public:
    explicit MonitorSettingsView(SettingsPage& page) : page_(page) {}

    void ShowMonitorSwitch(bool on) override;
    void ShowMonitorVolume(int percent) override;

  private:
    SettingsPage& page_;
};

}  // namespace vorlune
