#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "SessionBus.h"

namespace vorlune::test {

// One shortcut the program asked the desktop for in a bind.
struct PortalShortcut {
    std::string id;
    std::string preferredTrigger;
    std::string description;
};

// One BindShortcuts as the desktop's backend saw it.
struct PortalBind {
    std::string session;  // the session's token
    std::vector<PortalShortcut> shortcuts;
};

// Debian's real xdg-desktop-portal frontend on a private session bus, with the test backend of
// global shortcuts (tests/e2e/portal) behind it, found through a .portal file in the folder
// named by XDG_DESKTOP_PORTAL_DIR. The backend grants every preferred trigger unless told
// otherwise and records what it is asked.
class DesktopPortal {
  public:
    DesktopPortal(const std::string& folder, const SessionBus& bus);
    DesktopPortal(const DesktopPortal&) = delete;
    DesktopPortal& operator=(const DesktopPortal&) = delete;

    // The frontend offers org.freedesktop.portal.GlobalShortcuts on the bus.
    bool Ready() const { return ready_; }
    // Ends the frontend and starts it again, as after a crash; true once it is back.
    bool RestartFrontend();
    // What the frontend and the backend wrote, for failure messages.
    std::string Log() const;

    // A press of a shortcut of the latest session, as the desktop reports it.
    bool Activate(const std::string& id) const;
    // The trigger the desktop gives the id at the next binds; "-" leaves the id out.
    bool Answer(const std::string& id, const std::string& trigger) const;
    // The user gives the id another trigger in the desktop's settings.
    bool Change(const std::string& id, const std::string& trigger) const;
    // The desktop's side answers later sessions and binds only after this long.
    bool Delay(std::chrono::milliseconds delay) const;
    // The user cancels the dialog of every later bind (or no longer does).
    bool Refuse(bool refuse) const;
    // The desktop closes the latest session.
    bool CloseSession() const;
    // The frontend stops answering anything for this long (a portal busy at login), from now
    // on; the test goes on meanwhile.
    void Freeze(std::chrono::milliseconds duration);

    // Every bind so far, and the record's lines of one kind ("session", "close", ...).
    std::vector<PortalBind> Binds() const;
    std::vector<std::string> Records(const std::string& kind) const;

  private:
    bool StartFrontend();
    bool Control(const std::string& method, const std::vector<std::string>& arguments) const;

    const SessionBus& bus_;
    std::string folder_;
    std::unique_ptr<ChildProcess> backend_;
    std::unique_ptr<ChildProcess> frontend_;
    std::jthread thaw_;
    bool ready_ = false;
};

}  // namespace vorlune::test
