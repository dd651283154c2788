#pragma once

#include <string>
#include <string_view>

#include "base/ProgramFolder.h"
#include "base/Prompts.h"

namespace vorlune {

// Copies the audio file that a slot reference names (its path, with the program-folder
// placeholder resolved) to the desktop folder under its own file name, replacing a file of that
// name without asking. The answer is the message to show: where the copy went, or "导出失败！"
// when there was nothing to copy (no path, no file name, a missing file) or the copy failed;
// the desktop is then unchanged.
Prompt ExportSlotFile(std::string_view ref, const ProgramFolder& folder,
                      const std::string& desktopFolder);

}  // namespace vorlune
