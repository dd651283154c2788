#include "app/DeviceComboBox.h"

namespace vorlune {

void DeviceComboBox::showPopup() {
    emit aboutToDropDown();
    QComboBox::showPopup();
}

}  // namespace vorlune
