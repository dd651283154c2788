#pragma once

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

// The window's stays-on-top flag before it is shown; on X11 the _NET_WM_STATE request of a
// shown window, so that the window manager changes only its stacking. On Wayland nothing: no
// program may keep its window above others there.
class WindowKeepAbove final : public KeepAbove {
  public:
    void SetKeepAbove(QWidget* window, bool above) override;
    bool IsKeptAbove(const QWidget* window) const override;
};

}  // namespace vorlune
