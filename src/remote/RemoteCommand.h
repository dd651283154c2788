#pragma once

#include "remote/RemoteArguments.h"

namespace vorlune {

// The `vorlune` command's exit codes.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotRunning = 3;
inline constexpr int kExitRefused = 4;

// Runs the command its arguments ask for against the running program and prints what it says;
// the exit code. Starts no window, no audio and no GUI. Called only with arguments: without
// them the program itself starts.
int RunRemoteCommand(int argc, char** argv);

// Asks the running program on the session bus (remote/dbus); prints the answer to standard
// output and a refusal to standard error.
int CallRunningProgram(const RemoteRequest& request);

}  // namespace vorlune
