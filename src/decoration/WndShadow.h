#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

#include "decoration/DesktopCompositing.h"

namespace vorlune {

// A soft shadow around a borderless top-level window: a separate frameless, translucent,
// click-through window, slightly larger than its owner and transparent where it covers it. It
// follows the owner's moves, resizes and visibility, is hidden while the owner is hidden,
// minimised, maximised or full screen, and dies with the owner, whose child it is.
class WndShadow : public QWidget {
    Q_OBJECT
  public:
    // owner must be a top-level window; a size below 1 is taken as 1.
    WndShadow(QWidget* owner, const QColor& colour, int size,
              CompositingProbe compositing = DesktopCompositing);

    void SetStyle(const QColor& colour, int size);
    [[nodiscard]] QColor Colour() const { return colour_; }
    [[nodiscard]] int Spread() const { return spread_; }

    // Lays the shadow around the owner and shows or hides it. Without a value the owner's own
    // visibility decides.
    void UpdatePlacement(std::optional<bool> ownerVisible = std::nullopt);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* owner_;
    QColor colour_;
    int spread_;
    CompositingProbe compositing_;
};

// The shadow attached to window, or nullptr.
WndShadow* ShadowOf(const QWidget* window);

// Gives window a shadow of the colour, size pixels wide, or restyles the one it has (a window
// never gets two). False, and nothing attached, when window is not a top-level window or size
// is below 1.
bool SetWindowShadow(QWidget* window, const QColor& colour, int size,
                     CompositingProbe compositing = DesktopCompositing);

}  // namespace vorlune
