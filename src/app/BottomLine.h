#pragma once

#include <QLabel>
#include <QWidget>

#include "app/DeviceComboBox.h"

class QPushButton;

namespace vorlune {

// A label drawn as a hyperlink that acts when the left mouse button goes down on it.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    LinkLabel(const QString& text, QWidget* parent);
  signals:
    void pressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The line under the spectrum: the output-device choice and the links.
class BottomLine : public QWidget {
    Q_OBJECT
  public:
    // The line's top edge in the window; control positions below are given in window
    // coordinates and shifted by it.
    static constexpr int kTop = 536;

    explicit BottomLine(QWidget* parent = nullptr);

    [[nodiscard]] LinkLabel* OutputLink() const { return outputLink_; }
    [[nodiscard]] DeviceComboBox* Devices() const { return devices_; }
    [[nodiscard]] QPushButton* ApplyButton() const { return apply_; }
    [[nodiscard]] LinkLabel* ContactLink() const { return contact_; }
    [[nodiscard]] LinkLabel* ShopLink() const { return shop_; }
    [[nodiscard]] LinkLabel* HelpLink() const { return help_; }

  private:
    LinkLabel* outputLink_;
    DeviceComboBox* devices_;
    QPushButton* apply_;
    LinkLabel* contact_;
    LinkLabel* shop_;
    LinkLabel* help_;
};

}  // namespace vorlune
