#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "WaitFor.h"

namespace vorlune::test {

// Runs a command with the shell; true when it exited with 0.
bool Run(const std::string& command);

// What a shell command wrote to its standard output.
std::string CommandOutput(const std::string& command);

// How a command ended: its exit code (-1 when it did not exit normally) and what it wrote to
// standard output and standard error.
struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
CommandResult RunForResult(const std::string& command);

// The non-empty lines of a command's output (window ids from xdotool, say).
std::vector<std::string> Lines(const std::string& text);

// The text in single quotes for the shell.
std::string ShellQuoted(std::string_view text);

}  // namespace vorlune::test
