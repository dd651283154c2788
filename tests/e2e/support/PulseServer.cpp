#include "PulseServer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {

namespace {

// The folder the installed server loads its modules from.
std::filesystem::path ModuleFolder() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib", error)) {
        if (entry.path().filename().string().starts_with("pulse-") &&
            std::filesystem::exists(entry.path() / "modules" / "module-null-sink.so")) {
            return entry.path() / "modules";
        }
    }
    return {};
}

}  // namespace

PulseServer::PulseServer(const std::string& folder, const std::vector<std::string>& withoutModules)
    : folder_(folder) {
    const std::string& d = folder_;
    if (!withoutModules.empty()) {
        // A module folder of links to every installed module but those left out.
        modules_ = d + "/modules";
        MakeFolders(modules_);
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(ModuleFolder(), error)) {
            const std::string name = entry.path().stem().string();
            if (std::find(withoutModules.begin(), withoutModules.end(), name) ==
                withoutModules.end()) {
                std::filesystem::create_symlink(
                    entry.path(), modules_ + "/" + entry.path().filename().string(), error);
            }
        }
    }
    ::setenv("PULSE_RUNTIME_PATH", (d + "/run").c_str(), 1);
    ::setenv("PULSE_STATE_PATH", (d + "/state").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
    ::setenv("PULSE_COOKIE", (d + "/cookie").c_str(), 1);
    ::setenv("PULSE_SERVER", ("unix:" + d + "/run/native").c_str(), 1);
    WriteFileBytes(d + "/null2.pa", "load-module module-native-protocol-unix socket=" + d +
                                        "/run/native auth-anonymous=1\n"
                                        "load-module module-null-sink sink_name=A "
                                        "sink_properties=device.description=SinkA\n"
                                        "load-module module-null-sink sink_name=B "
                                        "sink_properties=device.description=SinkB\n"
                                        "set-default-sink A\n");
    ready_ = Start();
}

bool PulseServer::Start() {
    const std::string& d = folder_;
    std::vector<std::string> args{"pulseaudio",
                                  "-n",
                                  "-F",
                                  d + "/null2.pa",
                                  "--daemonize=no",
                                  "--exit-idle-time=-1",
                                  "--disallow-exit",
                                  "--use-pid-file=no",
                                  "--log-target=file:" + d + "/pa.log"};
    if (!modules_.empty()) {
        args.push_back("--dl-search-path=" + modules_);
    }
    server_ = std::make_unique<ChildProcess>(args);
    return server_->Started() &&
           WaitFor([] { return Run("pactl info >/dev/null 2>&1"); }, std::chrono::seconds(10));
}

bool PulseServer::Restart() {
    server_->Stop();
    server_.reset();
    ready_ = Start();
    return ready_;
}

std::string PulseServer::Log() const {
    return ReadFileBytes(folder_ + "/pa.log");
}

bool PulseServer::Unload(const std::string& sink) {
    const std::string modules = CommandOutput("pactl list short modules");
    const std::size_t at = modules.find("sink_name=" + sink + " ");
    if (at == std::string::npos) {
        return false;
    }
    const std::size_t lineStart = modules.rfind('\n', at) + 1;
    const std::string index = modules.substr(lineStart, modules.find('\t', lineStart) - lineStart);
    return Run("pactl unload-module " + index);
}

}  // namespace vorlune::test

namespace vorlune::test {

bool PulseServer::Load(const std::string& sink, const std::string& description) {
    return Run("pactl load-module module-null-sink sink_name=" + sink +
               " sink_properties=device.description=" + description + " >/dev/null");
}

bool PulseServer::AddSineMicrophone(const std::string& source, int frequency) {
    return Run("pactl load-module module-sine-source source_name=" + source +
               " frequency=" + std::to_string(frequency) + " >/dev/null");
}

bool PulseServer::SetDefault(const std::string& sink) {
    return Run("pactl set-default-sink " + sink);
}

std::vector<std::string> PulseServer::Descriptions() const {
    std::vector<std::string> descriptions;
    for (const std::string& line : Lines(CommandOutput("pactl list sinks"))) {
        const std::size_t at = line.find("Description: ");
        if (at != std::string::npos) {
            descriptions.push_back(line.substr(at + 13));
        }
    }
    return descriptions;
}

std::vector<PulseServer::SinkInput> PulseServer::SinkInputs() const {
    // Sink numbers to names, from lines "index<TAB>name<TAB>...".
    std::map<std::string, std::string> names;
    for (const std::string& line : Lines(CommandOutput("pactl list short sinks"))) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos) {
            names[line.substr(0, tab)] = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
        }
    }
    std::vector<SinkInput> inputs;
    for (const std::string& line : Lines(CommandOutput("LC_ALL=C pactl list sink-inputs"))) {
        const std::size_t text = line.find_first_not_of(" \t");
        if (text == std::string::npos) {
            continue;
        }
        const std::string field = line.substr(text);
        if (field.starts_with("Sink Input #")) {
            inputs.emplace_back();
        } else if (!inputs.empty() && field.starts_with("Sink: ")) {
            inputs.back().sink = names[field.substr(6)];
        } else if (!inputs.empty() && field.starts_with("Corked: ")) {
            inputs.back().corked = field.substr(8) == "yes";
        }
    }
    return inputs;
}

bool PulseServer::AllCorked() const {
    const std::vector<SinkInput> inputs = SinkInputs();
    return std::all_of(inputs.begin(), inputs.end(), [](const SinkInput& i) { return i.corked; });
}

}  // namespace vorlune::test
