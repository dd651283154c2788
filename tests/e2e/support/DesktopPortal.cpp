#include "DesktopPortal.h"

#include <csignal>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {
namespace {

constexpr char kBackendName[] = "org.freedesktop.impl.portal.desktop.vorlunetest";
constexpr char kDesktop[] = "VorluneTest";

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end = line.find(separator); end != std::string::npos;
         end = line.find(separator, start)) {
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

}  // namespace

DesktopPortal::DesktopPortal(const std::string& folder, const SessionBus& bus)
    : bus_(bus), folder_(folder + "/portal") {
    MakeFolders(folder_ + "/portals");
    WriteFileBytes(
        folder_ + "/portals/vorlunetest.portal",
        std::string("[portal]\nDBusName=") + kBackendName +
            "\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts;\nUseIn=" + kDesktop + "\n");
    // The backend first: the frontend looks for it when it starts.
    ChildProcess::Options backend;
    backend.outputPath = folder_ + "/backend.log";
    backend.stderrToo = true;
    backend_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{VORLUNE_E2E_TEST_PORTAL, kBackendName, folder_ + "/record"},
        backend);
    if (!backend_->Started() ||
        !WaitFor([&] { return bus.HasOwner(kBackendName); }, std::chrono::seconds(10))) {
        return;
    }
    ready_ = StartFrontend();
}

bool DesktopPortal::RestartFrontend() {
    thaw_ = {};
    frontend_.reset();
    ready_ = StartFrontend();
    return ready_;
}

bool DesktopPortal::StartFrontend() {
    ChildProcess::Options frontend;
    frontend.outputPath = folder_ + "/frontend.log";
    frontend.stderrToo = true;
    frontend.environment = {{"XDG_DESKTOP_PORTAL_DIR", folder_ + "/portals"},
                            {"XDG_CURRENT_DESKTOP", kDesktop}};
    frontend_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/libexec/xdg-desktop-portal", "--verbose"}, frontend);
    return frontend_->Started() &&
           WaitFor(
               [&] {
                   return bus_
                       .Property("org.freedesktop.portal.Desktop",
                                 "/org/freedesktop/portal/desktop",
                                 "org.freedesktop.portal.GlobalShortcuts", "version")
                       .has_value();
               },
               std::chrono::seconds(15), std::chrono::milliseconds(50));
}

std::string DesktopPortal::Log() const {
    return "frontend:\n" + ReadFileBytes(folder_ + "/frontend.log") + "backend:\n" +
           ReadFileBytes(folder_ + "/backend.log") + "record:\n" +
           ReadFileBytes(folder_ + "/record");
}

bool DesktopPortal::Control(const std::string& method,
                            const std::vector<std::string>& arguments) const {
    return bus_
        .Call(kBackendName, "/org/freedesktop/portal/desktop", "org.vorlune.TestPortal." + method,
              arguments)
        .has_value();
}

bool DesktopPortal::Activate(const std::string& id) const {
    return Control("Activate", {"string:" + id});
}

bool DesktopPortal::Answer(const std::string& id, const std::string& trigger) const {
    return Control("Answer", {"string:" + id, "string:" + trigger});
}

bool DesktopPortal::Change(const std::string& id, const std::string& trigger) const {
    return Control("Change", {"string:" + id, "string:" + trigger});
}

bool DesktopPortal::Delay(std::chrono::milliseconds delay) const {
    return Control("Delay", {"uint32:" + std::to_string(delay.count())});
}

bool DesktopPortal::Refuse(bool refuse) const {
    return Control("Refuse", {std::string("boolean:") + (refuse ? "true" : "false")});
}

bool DesktopPortal::CloseSession() const {
    return Control("CloseSession", {});
}

void DesktopPortal::Freeze(std::chrono::milliseconds duration) {
    const pid_t pid = frontend_->Pid();
    ::kill(pid, SIGSTOP);
    thaw_ = std::jthread([pid, duration](const std::stop_token& stop) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (!stop.stop_requested() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(pid, SIGCONT);
    });
}

std::vector<PortalBind> DesktopPortal::Binds() const {
    std::vector<PortalBind> binds;
    for (const std::string& line : Lines(ReadFileBytes(folder_ + "/record"))) {
        if (line.starts_with("bind ")) {
            binds.push_back({Fields(line, ' ').at(1), {}});
        } else if (line.starts_with("shortcut ") && !binds.empty()) {
            const std::vector<std::string> fields = Fields(line.substr(9), '\t');
            binds.back().shortcuts.push_back({fields.at(0), fields.size() > 1 ? fields[1] : "",
                                              fields.size() > 2 ? fields[2] : ""});
        }
    }
    return binds;
}

std::vector<std::string> DesktopPortal::Records(const std::string& kind) const {
    std::vector<std::string> found;
    for (const std::string& line : Lines(ReadFileBytes(folder_ + "/record"))) {
        if (line.starts_with(kind + " ")) {
            found.push_back(line);
        }
    }
    return found;
}

}  // namespace vorlune::test
