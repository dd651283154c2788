#include "remote/RemoteArguments.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "slots/SlotStore.h"

namespace vorlune {
namespace {

constexpr int kMaxVolume = 100;

// A whole decimal number made of ASCII digits only: no sign, no spaces, no "12abc".
std::optional<int> WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::optional<SwitchChange> ChangeOf(std::string_view text) {
    if (text == "on") {
        return SwitchChange::On;
    }
    if (text == "off") {
        return SwitchChange::Off;
    }
    if (text == "toggle") {
        return SwitchChange::Toggle;
    }
    return std::nullopt;
}

struct VerbName {
    std::string_view name;
    RemoteVerb verb;
};
constexpr std::array<VerbName, 9> kVerbs{{
    {"play", RemoteVerb::Play},
    {"stop", RemoteVerb::Stop},
    {"pause", RemoteVerb::Pause},
    {"hotkeys", RemoteVerb::Hotkeys},
    {"repeat", RemoteVerb::Repeat},
    {"volume", RemoteVerb::Volume},
    {"show", RemoteVerb::Show},
    {"list", RemoteVerb::List},
    {"status", RemoteVerb::Status},
}};

// How many words follow each verb.
std::size_t OperandsOf(RemoteVerb verb) {
    switch (verb) {
        case RemoteVerb::Play:
        case RemoteVerb::Hotkeys:
        case RemoteVerb::Repeat:
        case RemoteVerb::Volume:
            return 1;
        default:
            return 0;
    }
}

RemoteCommandLine WithOperand(RemoteRequest request, std::string_view operand) {
    switch (request.verb) {
        case RemoteVerb::Play: {
            const std::optional<int> n = WholeNumber(operand);
            if (!n || *n < 1 || *n > kSlotCount) {
                return UsageError{"no such slot: \"" + std::string(operand) +
                                  "\" (slots are 1 to " + std::to_string(kSlotCount) + ")"};
            }
            request.number = *n;
            return request;
        }
        case RemoteVerb::Volume: {
            const std::optional<int> percent = WholeNumber(operand);
            if (!percent || *percent > kMaxVolume) {
                return UsageError{"the volume is a percent from 0 to 100, not \"" +
                                  std::string(operand) + "\""};
            }
            request.number = *percent;
            return request;
        }
        default: {
            const std::optional<SwitchChange> change = ChangeOf(operand);
            if (!change) {
                return UsageError{"on, off or toggle, not \"" + std::string(operand) + "\""};
            }
            request.change = *change;
            return request;
        }
    }
}

}  // namespace

RemoteCommandLine ParseRemoteArguments(const std::vector<std::string_view>& arguments) {
    if (arguments.empty()) {
        return StartProgram{};
    }
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        return ShowHelp{};
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        return ShowVersion{};
    }
    std::vector<std::string_view> words;
    bool json = false;
    for (const std::string_view argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else {
            words.push_back(argument);
        }
    }
    if (words.empty()) {
        return UsageError{"a command is missing"};
    }
    const auto* known = std::find_if(kVerbs.begin(), kVerbs.end(),
                                     [&](const VerbName& v) { return v.name == words[0]; });
    if (known == kVerbs.end()) {
        return UsageError{"unknown command \"" + std::string(words[0]) + "\""};
    }
    RemoteRequest request{.verb = known->verb, .json = json};
    if (json && request.verb != RemoteVerb::List && request.verb != RemoteVerb::Status) {
        return UsageError{"--json goes with list and status only"};
    }
    const std::size_t operands = OperandsOf(request.verb);
    if (words.size() - 1 != operands) {
        return UsageError{std::string(known->name) +
                          (operands == 0 ? " takes no value" : " takes one value")};
    }
    return operands == 0 ? RemoteCommandLine{request} : WithOperand(request, words[1]);
}

std::string_view RemoteUsage() {
    return "Usage: vorlune [COMMAND]\n"
           "Without a command, the program starts. With one, it tells the running program:\n"
           "  play N                   play slot N (1 to 209)\n"
           "  stop                     stop the sound\n"
           "  pause                    pause the sound, or resume it\n"
           "  hotkeys on|off|toggle    the hotkey master switch\n"
           "  repeat on|off|toggle     the repeat switch\n"
           "  volume P                 the volume, 0 to 100 percent\n"
           "  show                     bring the window up\n"
           "  list [--json]            the slots: number, page, name, hotkey, file found\n"
           "  status [--json]          the slot playing, paused, volume, switches\n"
           "  --help, --version\n"
           "Exit status: 0 done, 2 usage error, 3 the program is not running, 4 refused.\n";
}

}  // namespace vorlune
