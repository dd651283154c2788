#include "spectrum/SpectrumPanel.h"

#include <QPainter>
#include <QPalette>

namespace vorlune {
namespace {

const QColor kBarColor{255, 255, 0};

QImage RenderFrame(const SpectrumFrame& bars, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (const SpectrumBar& bar : bars) {
        if (bar.bodyTop < size.height()) {
            painter.fillRect(bar.left, bar.bodyTop, kBarWidth, size.height() - bar.bodyTop,
                             kBarColor);
        }
        if (bar.capRow >= 0 && bar.capRow < size.height()) {
            painter.fillRect(bar.left, bar.capRow, kBarWidth, 1, kBarColor);
        }
    }
    return image;
}

}  // namespace

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
    frame_ = QImage();
    update();
}

void SpectrumPanel::DrawFrame() {
    // The frame takes the panel's outer size, read afresh every frame.
    const QSize size = this->size();
    FftMagnitudes fft{};
    if (source_ && source_(fft)) {
        frame_ = RenderFrame(AdvanceSpectrum(levels_, fft, size.height()), size);
    } else {
        frame_ = QImage(size, QImage::Format_RGB32);
        frame_.fill(Qt::black);
    }
    update();
}

void SpectrumPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (frame_.isNull()) {
        return;  // the black background is all there is to show
    }
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawImage(contentsRect().topLeft(), frame_);
}

}  // namespace vorlune
