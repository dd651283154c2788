#include "SoundServer.h"

#include "Commands.h"

namespace vorlune::test {

bool AddFedMicrophone(const std::string& source) {
    // The feed stays when the microphone is unloaded: loading it again brings the same back.
    const bool fed = CommandOutput("pactl list short sinks").find("\t" + source + "_feed\t") !=
                     std::string::npos;
    return (fed ||
            Run("pactl load-module module-null-sink sink_name=" + source +
                "_feed sink_properties=device.description=" + source + "_feed >/dev/null")) &&
           Run("pactl load-module module-remap-source master=" + source +
               "_feed.monitor source_name=" + source + " \"source_properties='device.description=" +
               source + " device.class=sound'\" >/dev/null");
}

bool UnloadModulesWith(const std::string& text) {
    bool any = false;
    for (const std::string& line : Lines(CommandOutput("pactl list short modules"))) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos && line.find(text) != std::string::npos &&
            line.find_first_not_of("0123456789") == tab) {
            any = Run("pactl unload-module " + line.substr(0, tab)) || any;
        }
    }
    return any;
}

std::string DefaultSource() {
    const std::string name = CommandOutput("pactl get-default-source");
    return name.substr(0, name.find('\n'));
}

std::vector<std::string> ModulesWith(const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : Lines(CommandOutput("pactl list short modules"))) {
        if (line.find(text) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

std::vector<std::string> DevicesWith(const std::string& kind, const std::string& text) {
    std::vector<std::string> names;
    for (const std::string& line : Lines(CommandOutput("pactl list short " + kind))) {
        const std::size_t tab = line.find('\t');
        const std::string name = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
        if (name.find(text) != std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

std::string SourceReport(const std::string& name) {
    const std::string all = CommandOutput("LC_ALL=C pactl list sources");
    const std::size_t at = all.find("Name: " + name + "\n");
    if (at == std::string::npos) {
        return {};
    }
    return all.substr(at, all.find("Source #", at) - at);
}

}  // namespace vorlune::test
