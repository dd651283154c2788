// The `vorlune` command as installed: a small executable that loads no GUI library. With
// arguments it tells the running program what to do; without any it becomes the program, the
// window's executable beside it taking over this process, so a start is what it always was.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/ProgramFolder.h"
#include "remote/RemoteCommand.h"

int main(int argc, char** argv) {
    if (argc > 1) {
        return vorlune::RunRemoteCommand(argc, argv);
    }
    const std::string program = vorlune::ProgramFolder::OfRunningExecutable().Path() + "/vorlune";
    ::execv(program.c_str(), argv);
    std::perror(("vorlune: cannot start " + program).c_str());
    return 127;
}
