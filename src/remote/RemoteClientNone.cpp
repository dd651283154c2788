// A build without Qt's D-Bus module has no way to reach the running program.
#include <cstdio>

#include "remote/RemoteCommand.h"

namespace vorlune {

int CallRunningProgram(const RemoteRequest& /*request*/) {
    std::fputs("vorlune: built without D-Bus, so no running Vorlune can be told\n", stderr);
    return kExitNotRunning;
}

}  // namespace vorlune
