#pragma once

#include <QObject>

#include "audio/AudioPlayer.h"
#include "base/Prompts.h"
#include "base/SettingsStore.h"

class QComboBox;
class QPushButton;

namespace vorlune {

// The output-device list on the bottom line: filled with the engine's outputs (item i is
// device i + 1), the saved device opened, and a chosen device applied and remembered in
// "设置"/"通道".
class OutputDevices : public QObject {
    Q_OBJECT
  public:
    static constexpr int kMaxDevices = 128;

    OutputDevices(AudioPlayer& player, SettingsStore& settings, Prompts& prompts, QComboBox& list,
                  QPushButton& apply, QObject* parent = nullptr);

    // At start-up and every time the list is about to drop down.
    void LoadOutputDevices();
    void ApplyOutputDevice();
    // The explanation behind the "输出音频:" label.
    void ExplainOutput();

  private:
    AudioPlayer& player_;
    SettingsStore& settings_;
    Prompts& prompts_;
    QComboBox& list_;
    QPushButton& apply_;
};

}  // namespace vorlune
