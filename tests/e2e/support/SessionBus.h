#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace vorlune::test {

// A private D-Bus session bus: a dbus-daemon listening on a socket in the test's folder, with no
// services to start on demand (only what the test starts is on it), stopped by its process id
// when this goes away. Start() also points DBUS_SESSION_BUS_ADDRESS of this process at it, so
// children such as dbus-send and the program use it too.
class SessionBus {
  public:
    explicit SessionBus(std::string folder) : folder_(std::move(folder)) {}

    bool Start();
    const std::string& Address() const { return address_; }

    // A method call made with dbus-send (arguments in its syntax, e.g. "int32:0"); the reply as
    // dbus-send prints it, or nothing when the call failed.
    std::optional<std::string> Call(const std::string& destination, const std::string& path,
                                    const std::string& interfaceAndMethod,
                                    const std::vector<std::string>& arguments = {}) const;
    // A property of an object, read through org.freedesktop.DBus.Properties.
    std::optional<std::string> Property(const std::string& destination, const std::string& path,
                                        const std::string& interface,
                                        const std::string& name) const;
    bool HasOwner(const std::string& name) const;

  private:
    std::string folder_;
    std::string address_;
    std::unique_ptr<ChildProcess> daemon_;
};

// The strings of a reply that dbus-send printed, in order (a string may hold line breaks).
std::vector<std::string> ReplyStrings(const std::string& reply);

// The desktop's D-Bus tray (StatusNotifierItem hosts such as KDE Plasma, or GNOME with the
// AppIndicator extension): the tests' own watcher and host on a SessionBus. The tests click an
// icon by calling the item's methods, as such a tray does.
class StatusNotifierTray {
  public:
    StatusNotifierTray(const SessionBus& bus, std::string logPath)
        : bus_(bus), logPath_(std::move(logPath)) {}

    // Starts the watcher and waits until it owns its name.
    bool Start();
    // The registered items, each as bus name followed by object path.
    std::vector<std::string> Items() const;

    // A left click (Activate), a right click (ContextMenu) or a middle click (SecondaryActivate)
    // on the icon at screen position (x, y).
    bool Activate(const std::string& item, int x, int y) const;
    bool ContextMenu(const std::string& item, int x, int y) const;
    bool SecondaryActivate(const std::string& item, int x, int y) const;
    // The title of the item's tool tip.
    std::string ToolTipTitle(const std::string& item) const;

  private:
    bool Click(const std::string& item, const std::string& method, int x, int y) const;

    const SessionBus& bus_;
    std::string logPath_;
    std::unique_ptr<ChildProcess> host_;
};

}  // namespace vorlune::test
