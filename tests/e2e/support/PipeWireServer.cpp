#include "PipeWireServer.h"

#include <cstdlib>
#include <filesystem>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {

namespace {

ChildProcess::Options LogTo(const std::string& path) {
    ChildProcess::Options options;
    options.outputPath = path;
    options.stderrToo = true;
    return options;
}

}  // namespace

PipeWireServer::PipeWireServer(const std::string& folder) : folder_(folder) {
    const std::string& d = folder_;
    for (const char* sub : {"/xdg", "/config/pipewire/pipewire-pulse.conf.d", "/home", "/state"}) {
        MakeFolders(d + sub);
    }
    std::filesystem::permissions(d + "/xdg", std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (d + "/xdg").c_str(), 1);
    ::setenv("PIPEWIRE_RUNTIME_DIR", (d + "/xdg").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (d + "/state").c_str(), 1);
    ::setenv("HOME", (d + "/home").c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + d + "/bus").c_str(), 1);
    ::setenv("PULSE_SERVER", ("unix:" + d + "/xdg/pulse/native").c_str(), 1);
    for (const char* name : {"PULSE_RUNTIME_PATH", "PULSE_STATE_PATH", "PULSE_COOKIE"}) {
        ::unsetenv(name);
    }
    // WirePlumber would move a recorder or player whose device went to another device.
    WriteFileBytes(d + "/config/pipewire/pipewire-pulse.conf.d/recorders.conf",
                   "pulse.rules = [ { matches = [ { application.process.binary = \"parec\" }\n"
                   "                              { application.process.binary = \"pacat\" } ]\n"
                   "  actions = { update-props = { node.dont-reconnect = true } } } ]\n");
    bus_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                 "--address=unix:path=" + d + "/bus"},
        LogTo(d + "/dbus.log"));
    ready_ =
        bus_->Started() && WaitFor([&] { return std::filesystem::exists(d + "/bus"); }) && Start();
}

PipeWireServer::~PipeWireServer() {
    feeds_.clear();
    Stop();
}

bool PipeWireServer::Start() {
    const std::string& d = folder_;
    pipewire_ = std::make_unique<ChildProcess>(std::vector<std::string>{"pipewire"},
                                               LogTo(d + "/pipewire.log"));
    // The others give up at once when PipeWire does not answer yet.
    if (!pipewire_->Started() ||
        !WaitFor([] { return Run("timeout 2 pw-cli info 0 >/dev/null 2>&1"); },
                 std::chrono::seconds(10))) {
        return false;
    }
    wireplumber_ = std::make_unique<ChildProcess>(std::vector<std::string>{"wireplumber"},
                                                  LogTo(d + "/wireplumber.log"));
    pulse_ = std::make_unique<ChildProcess>(std::vector<std::string>{"pipewire-pulse"},
                                            LogTo(d + "/pipewire-pulse.log"));
    // Sinks made through pactl are usable once it returns. Default devices can be set once
    // WirePlumber offers its "default" metadata (before, pipewire-pulse answers "Not supported").
    const bool answers =
        wireplumber_->Started() && pulse_->Started() &&
        WaitFor(
            [] {
                return CommandOutput("pactl list short sinks 2>/dev/null") != "" &&
                       CommandOutput("pw-cli ls Metadata 2>/dev/null")
                               .find("metadata.name = \"default\"") != std::string::npos;
            },
            std::chrono::seconds(10));
    return answers &&
           Run("pactl load-module module-null-sink sink_name=A "
               "sink_properties=device.description=SinkA >/dev/null") &&
           Run("pactl load-module module-null-sink sink_name=B "
               "sink_properties=device.description=SinkB >/dev/null") &&
           Run("pactl set-default-sink A");
}

void PipeWireServer::Stop() {
    for (auto* process : {&pulse_, &wireplumber_, &pipewire_}) {
        if (*process) {
            (*process)->Stop();
            process->reset();
        }
    }
}

bool PipeWireServer::Restart() {
    feeds_.clear();
    Stop();
    ready_ = Start();
    return ready_;
}

std::string PipeWireServer::Log() const {
    std::string log;
    for (const char* name : {"/pipewire.log", "/wireplumber.log", "/pipewire-pulse.log"}) {
        log += ReadFileBytes(folder_ + name);
    }
    return log;
}

bool PipeWireServer::AddSineMicrophone(const std::string& source, int frequency) {
    if (!AddFedMicrophone(source)) {
        return false;
    }
    if (feeds_.contains(source) && feeds_[source]->Running()) {
        return true;
    }
    feeds_[source] = (std::make_unique<ChildProcess>(std::vector<std::string>{
        "sh", "-c",
        "sox -q -n -r 48000 -c 2 -b 16 -e signed -t raw - synth 3600 sine " +
            std::to_string(frequency) + " vol 0.5 | pacat --raw --rate=48000 --channels=2 " +
            "--format=s16le --latency-msec=20 -d " + source + "_feed"}));
    return feeds_[source]->Started();
}

}  // namespace vorlune::test
