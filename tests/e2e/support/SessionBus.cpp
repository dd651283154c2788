#include "SessionBus.h"

#include <cstdlib>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {

SessionBus::SessionBus(const std::string& folder) {
    const std::string socket = folder + "/bus";
    address_ = "unix:path=" + socket;
    // The session bus's usual rules without its service folders: nothing is started on demand
    // (a portal started that way would not see the test's settings).
    WriteFileBytes(folder + "/bus.conf",
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig>\n"
                   "  <type>session</type>\n"
                   "  <listen>" +
                       address_ +
                       "</listen>\n"
                       "  <auth>EXTERNAL</auth>\n"
                       "  <policy context=\"default\">\n"
                       "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                       "    <allow eavesdrop=\"true\"/>\n"
                       "    <allow own=\"*\"/>\n"
                       "  </policy>\n"
                       "</busconfig>\n");
    ChildProcess::Options options;
    options.outputPath = folder + "/bus.log";
    options.stderrToo = true;
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--config-file=" + folder + "/bus.conf",
                                 "--nofork"},
        options);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    ready_ = daemon_->Started() &&
             WaitFor(
                 [] {
                     return Run(
                         "dbus-send --session --print-reply --dest=org.freedesktop.DBus / "
                         "org.freedesktop.DBus.GetId >/dev/null 2>&1");
                 },
                 std::chrono::seconds(10));
}

bool SessionBus::HasOwner(const std::string& name) const {
    return Run(
        "dbus-send --session --print-reply --dest=org.freedesktop.DBus / "
        "org.freedesktop.DBus.GetNameOwner string:" +
        ShellQuoted(name) + " >/dev/null 2>&1");
}

}  // namespace vorlune::test
