#pragma once

#include <QGroupBox>
#include <QIcon>

#include "hotkeys/SpecialHotkeys.h"

class QLabel;
class QPushButton;
class QSlider;

namespace vorlune {

class SwitchButton;

// The control strip under the pages: the hotkey master switch, pause/resume, stop, repeat and
// the volume, with the hotkey labels of the three special hotkeys.
class ControlStrip : public QGroupBox {
    Q_OBJECT
  public:
    explicit ControlStrip(QWidget* parent = nullptr);

    [[nodiscard]] SwitchButton* HotkeySwitch() const { return hotkeySwitch_; }
    [[nodiscard]] QPushButton* PauseButton() const { return pause_; }
    [[nodiscard]] QPushButton* StopButton() const { return stop_; }
    [[nodiscard]] SwitchButton* RepeatSwitch() const { return repeat_; }
    [[nodiscard]] QSlider* Volume() const { return volume_; }
    [[nodiscard]] QLabel* VolumeLabel() const { return volumeLabel_; }
    // The label that shows a special hotkey's text, named in the hotkeys' table.
    [[nodiscard]] QLabel* HotkeyLabel(SpecialHotkey which) const;

    // Pictures of the pause/resume and stop buttons: active while a sound is under way.
    enum class PausePicture { Idle, Pause, Play };
    void ShowPausePicture(PausePicture picture);
    void ShowStopPicture(bool active);
    [[nodiscard]] PausePicture PauseShown() const { return pauseShown_; }
    [[nodiscard]] bool StopShownActive() const { return stopActive_; }

  signals:
    void hotkeySwitchClicked();
    void pauseClicked();
    void stopClicked();
    void repeatClicked();
    void volumeChanged(int position);
    // Right mouse button released over one of the three buttons with a hotkey.
    void specialRightReleased(vorlune::SpecialHotkey which);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    SwitchButton* hotkeySwitch_;
    QPushButton* pause_;
    QPushButton* stop_;
    SwitchButton* repeat_;
    QSlider* volume_;
    QLabel* volumeLabel_;
    PausePicture pauseShown_ = PausePicture::Idle;
    bool stopActive_ = false;
    // Made once: an icon drawn from its file anew at every sound is rendered and cached anew,
    // and the cache grows with every trigger.
    const QIcon pauseGreyIcon_{QStringLiteral(":/icons/pause_grey.svg")};
    const QIcon pauseGreenIcon_{QStringLiteral(":/icons/pause_green.svg")};
    const QIcon playGreenIcon_{QStringLiteral(":/icons/play_green.svg")};
    const QIcon stopGreenIcon_{QStringLiteral(":/icons/stop_green.svg")};
    const QIcon stopGreyIcon_{QStringLiteral(":/icons/stop_grey.svg")};
};

}  // namespace vorlune
