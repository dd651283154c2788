#include "spectrum/SpectrumPanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace vorlune {
namespace {

const QColor kBarColor{255, 255, 0};

// The row of a bar's cap when it shows: above the frame or on its body it does not.
int VisibleCapRow(const SpectrumBar& bar) {
    return bar.capRow >= 0 && bar.capRow < bar.bodyTop ? bar.capRow : -1;
}

bool LookTheSame(const SpectrumBar& a, const SpectrumBar& b) {
    return a.left == b.left && a.bodyTop == b.bodyTop && VisibleCapRow(a) == VisibleCapRow(b);
}

}  // namespace

bool SpectrumPanel::Frame::operator==(const Frame& other) const {
    return height == other.height &&
           std::equal(bars.begin(), bars.end(), other.bars.begin(), LookTheSame);
}

SpectrumPanel::SpectrumPanel(FftSource source, QWidget* parent)
    : QFrame(parent), source_(std::move(source)), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("频谱画板"));
    setFixedSize(kWidth, kHeight);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::darkGray);
    setPalette(colours);
    // Qt clears every repainted area to the black background before paintEvent draws bars.
    setAutoFillBackground(true);

    timer_->setObjectName(QStringLiteral("频谱时钟"));
    timer_->setInterval(kFrameIntervalMs);
    connect(timer_, &QTimer::timeout, this, &SpectrumPanel::DrawFrame);
}

void SpectrumPanel::Start() {
    if (!timer_->isActive()) {
        timer_->start();
    }
}

void SpectrumPanel::Stop() {
    timer_->stop();
    levels_ = SpectrumLevels{};
    Show(std::nullopt);
}

void SpectrumPanel::DrawFrame() {
    // The frame takes the panel's outer size, read afresh every frame.
    const int height = this->height();
    FftMagnitudes fft{};
    if (source_ && source_(fft)) {
        Show(Frame{AdvanceSpectrum(levels_, fft, height), height});
    } else {
        Show(std::nullopt);
    }
}

void SpectrumPanel::Show(std::optional<Frame> frame) {
    // Silence, a freed stream or bars held at full height give the same picture frame after
    // frame; the screen already shows it. The border never changes: only the inside is redrawn.
    if (frame == shown_) {
        return;
    }
    shown_ = frame;
    update(contentsRect());
}

void SpectrumPanel::paintEvent(QPaintEvent* event) {
    if (!contentsRect().contains(event->rect())) {
        QFrame::paintEvent(event);
    }
    if (!shown_) {
        return;  // the black background is all there is to show
    }
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.translate(contentsRect().topLeft());
    const int height = shown_->height;
    for (const SpectrumBar& bar : shown_->bars) {
        if (bar.bodyTop < height) {
            painter.fillRect(bar.left, bar.bodyTop, kBarWidth, height - bar.bodyTop, kBarColor);
        }
        if (const int capRow = VisibleCapRow(bar); capRow >= 0) {
            painter.fillRect(bar.left, capRow, kBarWidth, 1, kBarColor);
        }
    }
}

}  // namespace vorlune
