#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "audio/MicrophoneSystem.h"
#include "base/SettingsStore.h"

class QComboBox;

namespace vorlune {

// What the virtual microphone's controls show on the settings page.
class VirtualMicrophoneView {
  public:
    virtual ~VirtualMicrophoneView() = default;
    virtual void ShowMicrophoneSwitch(bool on) = 0;
    virtual void ShowMakeDefault(bool on) = 0;
};

// The microphone the settings name, in `listing`: by the server's name, else by the name shown.
std::optional<MicrophoneEntry> FindSavedMicrophone(const SettingsStore& settings,
                                                   const MicrophoneListing& listing);
// What the settings ask of the sound system. A saved microphone that is missing is replaced by
// the system's default one until it is back, as a missing output is.
VirtualMicrophoneWish WishFromSettings(const SettingsStore& settings,
                                       const MicrophoneListing& listing);

// The items of the microphone list besides the microphones: the system's default, first, and
// none (the board's sounds alone), last.
inline constexpr char kDefaultMicrophoneItem[] = "系统默认麦克风";
inline constexpr char kNoMicrophoneItem[] = "不混入麦克风（只有音效）";

// The virtual microphone's controls on the settings page: its switch ("虚拟麦克风"), the
// microphone mixed in ("麦克风:") and whether it becomes the default microphone, each kept at
// once in config.ini's section "虚拟麦克风" and told to the sound system as a wish, at start-up
// and at every change. What the sound system reports (on one of its threads) comes back here
// on the interface thread: the list is filled again, and a failure is said in the status line
// and turns the switch off, for good, until the user turns it on again.
class VirtualMicrophoneControls : public QObject {
    Q_OBJECT
  public:
    VirtualMicrophoneControls(MicrophoneSystem& system, SettingsStore& settings, QComboBox& list,
                              VirtualMicrophoneView& view, QObject* parent = nullptr);
    ~VirtualMicrophoneControls() override;
    VirtualMicrophoneControls(const VirtualMicrophoneControls&) = delete;
    VirtualMicrophoneControls& operator=(const VirtualMicrophoneControls&) = delete;

    // At start-up: the list, the switch and the choice as saved, and the wish told.
    void LoadMicrophoneControls();
    // When the list is about to drop down, and when microphones came or went.
    void LoadMicrophones();
    void ToggleMicrophone();
    void ToggleMakeDefault();

    static QString FailureText(const std::string& error);

  signals:
    // A text for the status bar.
    void statusText(const QString& text);
    // The switch or the sound system's state changed: the outputs are to be looked at again.
    void microphoneChanged();
    // Sent on a thread of the sound system when it reports a change; received here, queued.
    void changeReported();

  private:
    void ChooseMicrophone(int index);
    void OnSystemChange();
    // Tells the sound system the wish the settings make, unless it was told that one last.
    void Apply();
    void ShowSwitch();

    MicrophoneSystem& system_;
    SettingsStore& settings_;
    QComboBox& list_;
    VirtualMicrophoneView& view_;
    std::optional<VirtualMicrophoneWish> applied_;
};

}  // namespace vorlune
