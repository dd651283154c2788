#pragma once

#include <QObject>

class QWidget;

namespace vorlune {

// Puts a top-level window into the window manager's keep-above state or takes it out,
// without moving, resizing or activating it.
class KeepAbove {
  public:
    virtual ~KeepAbove() = default;
    virtual void SetKeepAbove(QWidget* window, bool above) = 0;
    virtual bool IsKeptAbove(const QWidget* window) const = 0;
};

// On X11 the state lives in one place, a record of the window's own that is never Qt's
// stays-on-top flag (Qt would put its flag back whenever it shows the window again): the
// window manager is told through _NET_WM_STATE, on the window before it is mapped and by a
// request once it is, and again every time the window is mapped, since a map can bypass Qt's
// show (restoring a minimised window) and a window manager may keep an older state. On Wayland
// nothing: no program may keep its window above others there. Elsewhere the flag is the state.
class WindowKeepAbove final : public QObject, public KeepAbove {
  public:
    void SetKeepAbove(QWidget* window, bool above) override;
    bool IsKeptAbove(const QWidget* window) const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vorlune
