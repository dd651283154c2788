#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "audio/AudioPlayer.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"

class QComboBox;
class QPushButton;

namespace vorlune {

// The output-device list on the bottom line: filled with the engine's outputs (item i is
// device i + 1), the saved device opened, and a chosen device applied and remembered in
// "设置"/"通道" (its number, as the list shows it) and "设置"/"通道名称" (its name). The saved
// device is found by the sound server's own name for it ("设置"/"通道标识"), else by the name
// shown; while it is missing it is listed last, marked "(未连接)", and applying that item keeps
// the system default playing and the choice saved.
class OutputDevices : public QObject {
    Q_OBJECT
  public:
    OutputDevices(AudioPlayer& player, SettingsStore& settings, Prompts& prompts, QComboBox& list,
                  QPushButton& apply, QObject* parent = nullptr);

    // At start-up and every time the list is about to drop down.
    void LoadOutputDevices();
    void ApplyOutputDevice();
    // Shows the saved device as present or missing, after outputs came or went, unless the user
    // has chosen another item and not applied it yet.
    void RelistOutputDevices();
    // The explanation behind the "输出音频:" label.
    void ExplainOutput();

  signals:
    // A device was applied.
    void outputApplied();

  private:
    // Fills the list and selects the saved device; the device to open, if any.
    std::optional<int> FillList();
    // The apply failed: the list shows the saved device again.
    void RelistAfterFailure();
    void ReportFailedApply();
    // Looks whether the output being applied is set up yet: saved and reported once it is,
    // closed and reported as failed when it fails or takes too long.
    void ConfirmApply();

    static constexpr int kConfirmPeriodMs = 20;
    static constexpr int kConfirmLooks = 150;  // 3 s
    struct Applying {
        int device = 0;
        std::optional<int> before;  // the device that played until then
        DeviceInfo info;
        std::string shown;  // the item's text
        int looks = 0;
    };

    AudioPlayer& player_;
    SettingsStore& settings_;
    Prompts& prompts_;
    QComboBox& list_;
    QPushButton& apply_;
    std::optional<Applying> applying_;
};

}  // namespace vorlune
