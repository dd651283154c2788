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

}  // namespace vorlune::test
