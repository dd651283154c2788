#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/StreamDecoder.h"

namespace vorlune {

// One output as the sound system lists it.
struct OutputEntry {
    // The system's own name for it: unique, and the same for as long as the device exists.
    std::string id;
    // What users see (UTF-8).
    std::string name;
    // Another number each time a device appears: the same device gone and back again has a
    // new one.
    std::uint32_t serial = 0;

    bool operator==(const OutputEntry&) const = default;
};

// The sound system's outputs at one moment.
struct OutputListing {
    std::vector<OutputEntry> outputs;  // in the system's order
    std::string defaultId;             // empty when the system names no default
    bool connected = false;            // the sound system answers

    bool operator==(const OutputListing&) const = default;
};

// What an open output plays: called on the output's own thread, never on the interface thread.
class OutputSource {
  public:
    virtual ~OutputSource() = default;
    // Writes out.size() interleaved samples. False when nothing plays: out then holds silence
    // and the output may leave it unplayed.
    virtual bool Mix(std::span<float> out) = 0;
};

// An output opened on the sound system. Its calls return at once: they hand the request to the
// system's thread and never wait for it. Closing it (destruction) works the same way; the
// system lets go of the source once it has closed the output.
class OutputStream {
  public:
    virtual ~OutputStream() = default;

    [[nodiscard]] OutputFormat Format() const { return format_; }
    [[nodiscard]] std::size_t PeriodFrames() const { return periodFrames_; }

    // The device or the whole sound system went away. A lost output stays lost.
    [[nodiscard]] virtual bool Lost() const = 0;
    // The sound system has set the output up: it plays what it is given. False until then.
    [[nodiscard]] virtual bool Accepted() const = 0;
    // A sound starts while nothing played: the source is asked for sound at once, and what the
    // output still holds (the tail of a sound that ended, what a pause left) plays before it.
    // An output with nothing to play rests in a way that lets the device sleep.
    virtual void StartNow() = 0;
    // Everything that played was stopped: what the output still holds queued is dropped.
    virtual void DropQueued() = 0;

  protected:
    OutputStream(OutputFormat format, std::size_t periodFrames)
        : format_(format), periodFrames_(periodFrames) {}

  private:
    OutputFormat format_;
    std::size_t periodFrames_;
};

// The sound system at the operating system's boundary: which outputs exist, and opening one.
// A real backend talks to the sound server; tests use a fake with devices they plug and unplug.
class OutputSystem {
  public:
    virtual ~OutputSystem() = default;

    // The outputs as last reported. Never waits for the sound system.
    [[nodiscard]] virtual OutputListing Outputs() const = 0;
    // The name of the sound system in use, e.g. "pulseaudio".
    [[nodiscard]] virtual std::string DriverName() const = 0;
    // Opens an output for 32-bit float stereo at `rate`, pulled `periodFrames` at a time.
    // An empty id opens the system's default output, which follows the default when it
    // changes; otherwise the output is the device of that id and is lost when the device goes.
    // Nothing when the system is not there or lists no such device.
    virtual std::unique_ptr<OutputStream> Open(const std::string& id, int rate,
                                               std::size_t periodFrames,
                                               std::shared_ptr<OutputSource> source) = 0;
    // Called on one of the system's threads whenever the listing changes or an open output is
    // lost. It must return quickly and must not call back into the system.
    virtual void SetChangeListener(std::function<void()> listener) = 0;
};

}  // namespace vorlune
