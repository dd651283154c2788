#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vorlune {

// What the `vorlune` command is asked to do by its arguments.
enum class RemoteVerb {
    Play,
    Stop,
    Pause,
    Hotkeys,
    Repeat,
    Volume,
    Show,
    List,
    Status,
};

// on, off or toggle, for the master switch and repeat.
enum class SwitchChange { On, Off, Toggle };

struct RemoteRequest {
    RemoteVerb verb = RemoteVerb::Status;
    int number = 0;  // the slot for play, the percent for volume
    SwitchChange change = SwitchChange::Toggle;
    bool json = false;  // list and status as JSON
};

// No arguments: the program itself starts.
struct StartProgram {};
struct ShowHelp {};
struct ShowVersion {};
// The arguments break a rule: what is wrong, for standard error above the usage.
struct UsageError {
    std::string reason;
};

using RemoteCommandLine =
    std::variant<StartProgram, ShowHelp, ShowVersion, RemoteRequest, UsageError>;

// The rules of the command line. `arguments` excludes the program's own name.
RemoteCommandLine ParseRemoteArguments(const std::vector<std::string_view>& arguments);

// The usage text printed by --help and after a usage error.
std::string_view RemoteUsage();

}  // namespace vorlune
