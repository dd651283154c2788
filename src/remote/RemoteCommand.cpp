#include "remote/RemoteCommand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vorlune {
namespace {

void Print(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace

int RunRemoteCommand(int argc, char** argv) {
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    const RemoteCommandLine line = ParseRemoteArguments(arguments);
    if (const auto* error = std::get_if<UsageError>(&line)) {
        Print(stderr, "vorlune: " + error->reason + "\n");
        Print(stderr, RemoteUsage());
        return kExitUsage;
    }
    if (std::holds_alternative<ShowHelp>(line)) {
        Print(stdout, RemoteUsage());
        return kExitDone;
    }
    if (std::holds_alternative<ShowVersion>(line)) {
        Print(stdout, "vorlune " VORLUNE_VERSION "\n");
        return kExitDone;
    }
    if (const auto* request = std::get_if<RemoteRequest>(&line)) {
        return CallRunningProgram(*request);
    }
    return kExitUsage;  // StartProgram: the caller starts the program without arguments
}

}  // namespace vorlune
