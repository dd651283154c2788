#pragma once

#include <memory>
#include <string>

#include "ChildProcess.h"

namespace vorlune::test {

// A private D-Bus session bus in `folder`, with no services to start on demand: only what the
// test starts itself is on it. It points DBUS_SESSION_BUS_ADDRESS of this process at itself, so
// children use it.
class SessionBus {
  public:
    explicit SessionBus(const std::string& folder);
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Address() const { return address_; }
    // Whether a name has an owner on the bus now.
    bool HasOwner(const std::string& name) const;

  private:
    std::string address_;
    std::unique_ptr<ChildProcess> daemon_;
    bool ready_ = false;
};

}  // namespace vorlune::test
