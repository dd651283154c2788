#include "app/VolumeSlider.h"

#include <QSlider>

namespace vorlune {

QSlider* MakeVolumeSlider(QWidget* parent, const QString& objectName, QRect geometry) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(objectName);
    slider->setGeometry(geometry);
    slider->setRange(1, 100);
    slider->setPageStep(5);
    slider->setSingleStep(1);
    slider->setValue(100);
    slider->setFocusPolicy(Qt::ClickFocus);  // then the arrow and page keys move it
    return slider;
}

}  // namespace vorlune
