#pragma once

namespace vorlune {

// The two kinds of tray a desktop offers the program's icon. On an XEmbed tray (the classic
// X11 notification area) the icon sees a click and a double-click; a StatusNotifierItem host on
// D-Bus (KDE Plasma, GNOME with the AppIndicator extension) only tells that the icon was
// activated, which is what its left click does.
enum class TrayKind { XEmbed, StatusNotifier };

// The tray Qt puts the icon in: a StatusNotifierItem host when the session bus has a
// StatusNotifierWatcher with a host registered, else the XEmbed one. Qt decides once, when the
// first icon is made; ask at the same time.
TrayKind DesktopTrayKind();

}  // namespace vorlune
