#include "app/SwitchButton.h"

#include <QIcon>

namespace vorlune {

SwitchButton::SwitchButton(QWidget* parent) : QPushButton(parent) {
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    setIconSize(QSize(80, 24));
    setCursor(Qt::PointingHandCursor);
}

void SwitchButton::ShowPicture(Picture picture) {
    if (picture_ == Picture::Loaded) {
        loadedText_ = text();
    }
    picture_ = picture;
    switch (picture) {
        case Picture::On:
            setText(QString());
            setIcon(onIcon_);
            break;
        case Picture::Off:
            setText(QString());
            setIcon(offIcon_);
            break;
        case Picture::Loaded:
            setIcon(QIcon());
            setText(loadedText_);
            break;
    }
    setProperty("picture", static_cast<int>(picture));
}

}  // namespace vorlune
