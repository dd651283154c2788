#pragma once

#include <QFrame>
#include <QTimer>
#include <functional>
#include <optional>

#include "spectrum/SpectrumBars.h"

namespace vorlune {

// Fills the array with the current stream's FFT magnitudes; false when there is no stream or
// it gives no data.
using FftSource = std::function<bool(FftMagnitudes&)>;

// The strip under the slot pages that shows the playing sound as yellow bars on black.
// Each frame is laid out for the whole panel and painted at the top left of the area inside
// the border, which hides the frame's two bottom rows and two right columns: that is where the
// caps of silent bars rest. The frame is painted into the window's off-screen buffer and
// reaches the screen in one copy; a frame that looks like the one shown is not painted again.
class SpectrumPanel : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kWidth = 550;
    static constexpr int kHeight = 27;
    static constexpr int kFrameIntervalMs = 30;

    explicit SpectrumPanel(FftSource source, QWidget* parent = nullptr);

    // Draws a frame every 30 ms until Stop. Calling it while running changes nothing, so a new
    // sound carries on from the bars of the one before.
    void Start();
    // Stops drawing, forgets the bars and clears the panel to black.
    void Stop();
    [[nodiscard]] bool IsRunning() const { return timer_->isActive(); }

    // One frame from the current FFT data: what every timer tick does. Without data the frame
    // is black and the bars are kept for the next frame that has data.
    void DrawFrame();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // A laid-out frame and the outer height it was laid out for.
    struct Frame {
        SpectrumFrame bars;
        int height = 0;
        bool operator==(const Frame& other) const;
    };

    void Show(std::optional<Frame> frame);

    FftSource source_;
    QTimer* timer_;  // child of the panel
    SpectrumLevels levels_;
    std::optional<Frame> shown_;  // none: the panel is black
};

}  // namespace vorlune
