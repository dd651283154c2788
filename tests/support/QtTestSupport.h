#pragma once

#include <QWidget>
#include <vector>

#include "app/KeepAbove.h"

namespace vorlune::test {

// The one QApplication of a widget test program, created on first use.
void EnsureQApplication();

// Records the keep-above state asked for each window instead of asking a window manager.
class FakeKeepAbove final : public KeepAbove {
  public:
    void SetKeepAbove(QWidget* window, bool above) override;
    bool IsKeptAbove(const QWidget* window) const override;
    std::vector<bool> requests;

  private:
    std::vector<std::pair<const QWidget*, bool>> states_;
};

}  // namespace vorlune::test
