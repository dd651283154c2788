#pragma once

#include <functional>

namespace vorlune {

// Tells whether the desktop blends translucent windows with what lies below them. Without
// that a shadow would show as a solid block, so it is better not shown at all.
using CompositingProbe = std::function<bool()>;

// The desktop's own answer, asked afresh at every call: on X11 whether a compositing manager
// holds its selection for the first screen; on Wayland false, since the compositor would not
// keep a shadow window under its owner; on other platforms always true.
bool DesktopCompositing();

}  // namespace vorlune
