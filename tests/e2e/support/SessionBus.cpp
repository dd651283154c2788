#include "SessionBus.h"

#include <cstdlib>
#include <filesystem>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {
namespace {

using namespace std::chrono_literals;

constexpr char kWatcher[] = "org.kde.StatusNotifierWatcher";
constexpr char kItemInterface[] = "org.kde.StatusNotifierItem";

// An item's bus name and object path.
std::pair<std::string, std::string> Split(const std::string& item) {
    const std::size_t slash = item.find('/');
    if (slash == std::string::npos) {
        return {item, "/StatusNotifierItem"};
    }
    return {item.substr(0, slash), item.substr(slash)};
}

}  // namespace

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
    return WaitFor([&] { return HasOwner("org.freedesktop.DBus"); }, 10s);
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

std::vector<std::string> ReplyStrings(const std::string& reply) {
    // dbus-send prints a string as `string "..."` without escaping anything; it ends at the
    // quote that ends its line.
    std::vector<std::string> strings;
    constexpr std::string_view kOpen = "string \"";
    for (std::size_t at = reply.find(kOpen); at != std::string::npos; at = reply.find(kOpen, at)) {
        const std::size_t begin = at + kOpen.size();
        std::size_t end = reply.find("\"\n", begin);
        if (end == std::string::npos) {
            end = reply.rfind('"');
        }
        if (end == std::string::npos || end < begin) {
            break;
        }
        strings.push_back(reply.substr(begin, end - begin));
        at = end + 1;
    }
    return strings;
}

bool StatusNotifierTray::Start() {
    host_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{VORLUNE_E2E_TRAY_HOST},
        ChildProcess::Options{.outputPath = logPath_,
                              .stderrToo = true,
                              .environment = {{"QT_QPA_PLATFORM", "offscreen"}}});
    return host_->Started() && WaitFor([&] { return bus_.HasOwner(kWatcher); }, 10s);
}

std::vector<std::string> StatusNotifierTray::Items() const {
    const std::optional<std::string> reply = bus_.Property(
        kWatcher, "/StatusNotifierWatcher", kWatcher, "RegisteredStatusNotifierItems");
    return reply ? ReplyStrings(*reply) : std::vector<std::string>{};
}

bool StatusNotifierTray::Click(const std::string& item, const std::string& method, int x,
                               int y) const {
    const auto [service, path] = Split(item);
    return bus_
        .Call(service, path, std::string(kItemInterface) + "." + method,
              {"int32:" + std::to_string(x), "int32:" + std::to_string(y)})
        .has_value();
}

bool StatusNotifierTray::Activate(const std::string& item, int x, int y) const {
    return Click(item, "Activate", x, y);
}

bool StatusNotifierTray::ContextMenu(const std::string& item, int x, int y) const {
    return Click(item, "ContextMenu", x, y);
}

bool StatusNotifierTray::SecondaryActivate(const std::string& item, int x, int y) const {
    return Click(item, "SecondaryActivate", x, y);
}

std::string StatusNotifierTray::ToolTipTitle(const std::string& item) const {
    const auto [service, path] = Split(item);
    const std::optional<std::string> reply =
        bus_.Property(service, path, kItemInterface, "ToolTip");
    // The tool tip is (icon name, pixmaps, title, text): the title is its second string.
    const std::vector<std::string> strings =
        reply ? ReplyStrings(*reply) : std::vector<std::string>{};
    return strings.size() >= 2 ? strings[1] : std::string();
}

}  // namespace vorlune::test
