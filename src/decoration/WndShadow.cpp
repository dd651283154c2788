#include "decoration/WndShadow.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <algorithm>
#include <utility>

#include "decoration/ShadowGeometry.h"

namespace vorlune {
namespace {

PixelRect ToPixelRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}
QRect ToQRect(const PixelRect& r) {
    return {r.x, r.y, r.width, r.height};
}

}  // namespace

WndShadow::WndShadow(QWidget* owner, const QColor& colour, int size, CompositingProbe compositing)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                         Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      owner_(owner),
      colour_(colour),
      spread_(std::max(size, 1)),
      compositing_(std::move(compositing)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    owner_->installEventFilter(this);
    UpdatePlacement();
}

void WndShadow::SetStyle(const QColor& colour, int size) {
    colour_ = colour;
    spread_ = std::max(size, 1);
    UpdatePlacement();
}

void WndShadow::UpdatePlacement(std::optional<bool> ownerVisible) {
    const bool visible = ownerVisible.value_or(owner_->isVisible());
    const Qt::WindowStates covered =
        Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    if (!visible || owner_->windowState().testAnyFlags(covered) ||
        !(compositing_ && compositing_())) {
        hide();
        return;
    }
    const QRect frame = owner_->frameGeometry();
    if (frame.width() <= 0 || frame.height() <= 0) {
        return;  // nothing to lay a shadow around yet: stay where it was
    }
    setGeometry(ToQRect(ShadowPlacement(ToPixelRect(frame), spread_)));
    update();
    if (isHidden()) {
        show();
    }
}

bool WndShadow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
                UpdatePlacement();
                break;
            case QEvent::Show:
                UpdatePlacement(true);
                break;
            case QEvent::Hide:
                UpdatePlacement(false);
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WndShadow::paintEvent(QPaintEvent* /*event*/) {
    const int w = width();
    const int h = height();
    QPainter painter(this);
    // The part over the owner stays transparent.
    painter.setClipRegion(QRegion(rect()).subtracted(ToQRect(ShadowHole(w, h, spread_))));
    painter.setRenderHint(QPainter::Antialiasing);
    for (const ShadowRing& ring : ShadowRings(w, h, spread_)) {
        QColor colour = colour_;
        colour.setAlpha(ring.alpha);
        QPen pen(colour);
        pen.setWidthF(1.0);
        painter.setPen(pen);
        // Qt puts pixel centres at +0.5, so the outline runs through the ring's pixels.
        QPainterPath path;
        path.addRoundedRect(QRectF(ring.x + 0.5F, ring.y + 0.5F, ring.width, ring.height),
                            ring.cornerRadius, ring.cornerRadius);
        painter.drawPath(path);
    }
}

WndShadow* ShadowOf(const QWidget* window) {
    return window != nullptr ? window->findChild<WndShadow*>(QString(), Qt::FindDirectChildrenOnly)
                             : nullptr;
}

bool SetWindowShadow(QWidget* window, const QColor& colour, int size,
                     CompositingProbe compositing) {
    if (window == nullptr || !window->isWindow() || !IsShadowSize(size)) {
        return false;
    }
    if (WndShadow* shadow = ShadowOf(window)) {
        shadow->SetStyle(colour, size);
        return true;
    }
    new WndShadow(window, colour, size, std::move(compositing));
    return true;
}

}  // namespace vorlune
