#pragma once

#include <memory>

#include "hotkeys/HotkeyBackend.h"

namespace vorlune {

// Whether the session bus has a desktop portal that offers global shortcuts.
bool PortalOffersShortcuts();

// Global hotkeys through that portal, on the session bus.
std::unique_ptr<HotkeyBackend> MakePortalHotkeyBackend();

}  // namespace vorlune
