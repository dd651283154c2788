#pragma once

#include <QComboBox>

namespace vorlune {

// A device list that tells when it is about to drop down, so it can be filled again first.
class DeviceComboBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;
  signals:
    void aboutToDropDown();
};

}  // namespace vorlune
