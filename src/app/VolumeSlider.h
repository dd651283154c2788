#pragma once

#include <QRect>
#include <QString>

class QSlider;
class QWidget;

namespace vorlune {

// A volume slider as the window's volumes have it: 1..100 percent, line step 1, page step 5,
// starting at 100, never taking the keyboard focus away from the window.
QSlider* MakeVolumeSlider(QWidget* parent, const QString& objectName, QRect geometry);

}  // namespace vorlune
