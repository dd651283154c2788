#pragma once

#include <QIcon>
#include <QPushButton>

namespace vorlune {

// An on/off switch showing one of two 80 × 24 pictures. Until a picture is set it shows
// its loaded look (its caption, if any): a stored value other than 0 or 1 leaves it so.
class SwitchButton : public QPushButton {
    Q_OBJECT
  public:
    enum class Picture { Loaded, On, Off };

    explicit SwitchButton(QWidget* parent = nullptr);
    void ShowPicture(Picture picture);
    void ShowState(bool on) { ShowPicture(on ? Picture::On : Picture::Off); }
    [[nodiscard]] Picture Shown() const { return picture_; }

  private:
    Picture picture_ = Picture::Loaded;
    QString loadedText_;
    // Made once, so that each picture is rendered and cached once, not at every change.
    const QIcon onIcon_{QStringLiteral(":/icons/switch_on.svg")};
    const QIcon offIcon_{QStringLiteral(":/icons/switch_off.svg")};
};

}  // namespace vorlune
