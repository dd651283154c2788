#include "SessionBus.h"

#include <cstdlib>
#include <filesystem>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {

bool SessionBus::Start() {
    const std::string socket = folder_ + "/session-bus";
    std::error_code error;
    std::filesystem::remove(socket, error);
    address_ = "unix:path=" + socket;
    // The session bus's usual rules without its service folders: nothing is started on demand
    // (a portal started that way would not see the test's settings).
    WriteFileBytes(folder_ + "/session-bus.conf",
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
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--config-file=" + folder_ + "/session-bus.conf",
                                 "--nofork", "--nopidfile"},
        ChildProcess::Options{
            .outputPath = folder_ + "/dbus-daemon.log", .stderrToo = true, .environment = {}});
    if (!daemon_->Started()) {
        return false;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    return WaitFor([&] { return HasOwner("org.freedesktop.DBus"); }, std::chrono::seconds(10));
}

std::optional<std::string> SessionBus::Call(const std::string& destination, const std::string& path,
                                            const std::string& interfaceAndMethod,
                                            const std::vector<std::string>& arguments) const {
    std::string command = "dbus-send --session --print-reply --reply-timeout=5000 --dest=" +
                          ShellQuoted(destination) + " " + ShellQuoted(path) + " " +
                          ShellQuoted(interfaceAndMethod);
    for (const std::string& argument : arguments) {
        command += " " + ShellQuoted(argument);
    }
    std::string reply = CommandOutput(command + " 2>/dev/null");
    if (reply.rfind("method return", 0) != 0) {
        return std::nullopt;
    }
    return reply;
}

std::optional<std::string> SessionBus::Property(const std::string& destination,
                                                const std::string& path,
                                                const std::string& interface,
                                                const std::string& name) const {
    return Call(destination, path, "org.freedesktop.DBus.Properties.Get",
                {"string:" + interface, "string:" + name});
}

bool SessionBus::HasOwner(const std::string& name) const {
    const std::optional<std::string> reply =
        Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
             {"string:" + name});
    return reply && reply->find("boolean true") != std::string::npos;
}

}  // namespace vorlune::test
