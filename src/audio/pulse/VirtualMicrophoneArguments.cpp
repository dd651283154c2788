#include "audio/pulse/VirtualMicrophoneArguments.h"

#include <algorithm>

#include "audio/MicrophoneSystem.h"

namespace vorlune {

namespace {

constexpr std::string_view kPreviousDefaultKey = "vorlune.previous_default_source=";
constexpr std::size_t kLongestName = 200;

}  // namespace

bool IsSafeServerName(std::string_view name) {
    return !name.empty() && name.size() <= kLongestName &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::string_view("_.-:+").find(c) != std::string_view::npos;
           });
}

std::string MixSinkArguments() {
    return "sink_name=" + std::string(kVirtualMicrophoneSink) +
           " rate=48000 channels=2 sink_properties='device.description=\"" +
           std::string(kVirtualMicrophoneName) + " 混音\"'";
}

std::string RemapSourceArguments(std::string_view previousDefault) {
    // The class of a sound card's source: programs list it among the microphones, not among the
    // monitors of outputs.
    std::string arguments = "master=" + std::string(kVirtualMicrophoneSink) +
                            ".monitor source_name=" + std::string(kVirtualMicrophoneSource) +
                            " source_properties='device.description=\"" +
                            std::string(kVirtualMicrophoneName) +
                            "\" device.class=sound device.icon_name=audio-input-microphone";
    if (IsSafeServerName(previousDefault)) {
        arguments += " " + std::string(kPreviousDefaultKey) + std::string(previousDefault);
    }
    return arguments + "'";
}

std::string LoopbackArguments(std::string_view microphone, int latencyMs) {
    return "source=" + std::string(microphone) + " sink=" + std::string(kVirtualMicrophoneSink) +
           " latency_msec=" + std::to_string(latencyMs) +
           " source_dont_move=true sink_dont_move=true";
}

bool HasVirtualMicrophoneMark(std::string_view argument) {
    return argument.find(kVirtualMicrophoneMark) != std::string_view::npos;
}

std::optional<std::string> PreviousDefaultIn(std::string_view argument) {
    const std::size_t at = argument.find(kPreviousDefaultKey);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view rest = argument.substr(at + kPreviousDefaultKey.size());
    const std::string_view name = rest.substr(0, rest.find_first_of(" '\"\t\n"));
    if (!IsSafeServerName(name) || IsVirtualMicrophoneDevice(name)) {
        return std::nullopt;
    }
    return std::string(name);
}

}  // namespace vorlune
