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

    // A method call made with dbus-send (arguments in its syntax, e.g. "string:a"); the reply as
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

}  // namespace vorlune::test
