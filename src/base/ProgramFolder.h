#pragma once

#include <string>
#include <utility>

#include "base/Folder.h"

namespace vorlune {

// The folder the program runs from: it holds the executable, the factory slot list, the
// shipped sounds and help, and the shipped config.ini and live slot list that a new data folder
// starts from. "[取运行目录]" in a stored path names it.
class ProgramFolder : public Folder {
  public:
    explicit ProgramFolder(std::string path) : Folder(std::move(path)) {}
    // The folder of /proc/self/exe, links followed: /usr/bin/vorlune names /usr/lib/vorlune.
    static ProgramFolder OfRunningExecutable();
};

}  // namespace vorlune
