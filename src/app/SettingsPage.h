#pragma once

#include <QWidget>

class QMenu;
class QToolButton;

namespace vorlune {

class SwitchButton;

// The sixth page: the always-on-top switch and the button that restores the default sounds.
class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    explicit SettingsPage(QWidget* parent = nullptr);

    [[nodiscard]] SwitchButton* OnTopSwitch() const { return onTop_; }
    [[nodiscard]] QToolButton* RestoreButton() const { return restore_; }
    [[nodiscard]] QMenu* RestoreMenu() const { return restoreMenu_; }

  signals:
    void onTopClicked();
    void restoreDefaultsChosen();

  private:
    SwitchButton* onTop_;
    QToolButton* restore_;
    QMenu* restoreMenu_;
};

}  // namespace vorlune
