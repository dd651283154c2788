#pragma once

#include <string>
#include <vector>

namespace vorlune::test {

// A private sound server that speaks PulseAudio's protocol (PulseAudio itself, or PipeWire
// with pipewire-pulse), started in a test's own folder. It points this process's environment
// at itself, so pactl, parec and the program's client library find it. Scenarios written
// against this run on either.
class SoundServer {
  public:
    virtual ~SoundServer() = default;

    virtual bool Ready() const = 0;
    // "PulseAudio" or "PipeWire", for messages.
    virtual std::string Kind() const = 0;
    // The server's logs, for failure messages.
    virtual std::string Log() const = 0;
    // Stops the server (by its process ids) and starts it again on the same socket; true once
    // it answers again. What was loaded into it is gone.
    virtual bool Restart() = 0;
    // A stand-in microphone: a capture device (not a monitor) named `source` that carries a
    // sine of `frequency` for as long as it is loaded. It goes with the modules that hold
    // "source_name=`source` " and comes back with this.
    virtual bool AddSineMicrophone(const std::string& source, int frequency) = 0;
};

// A capture device named `source` (not a monitor) that carries whatever is played into the
// null sink `source`_feed: a microphone the test speaks into, on either server. Unloading the
// modules with "source_name=`source` " in their argument takes the microphone away; this brings
// it back on the same feed.
bool AddFedMicrophone(const std::string& source);
// Unloads every module whose argument holds `text`; false when there was none.
bool UnloadModulesWith(const std::string& text);
// The server's default capture device.
std::string DefaultSource();
// The modules `pactl list short modules` shows whose line holds `text`, as it shows them.
std::vector<std::string> ModulesWith(const std::string& text);
// The names of the devices `pactl list short sources` (or `sinks`, as `kind`) shows that hold
// `text`.
std::vector<std::string> DevicesWith(const std::string& kind, const std::string& text);
// What `pactl list sources` says about one source; empty when there is none of that name.
std::string SourceReport(const std::string& name);

}  // namespace vorlune::test
