#include "slots/editing/ExportSlotFile.h"

#include "base/FileCopy.h"
#include "slots/SlotStore.h"
#include "slots/editing/SlotFiles.h"

namespace vorlune {

Prompt ExportSlotFile(std::string_view ref, const ProgramFolder& folder,
                      const std::string& desktopFolder) {
    Prompt failed{.text = "导出失败！"};
    const std::string source = ToLocalSeparators(ResolveSlotPath(SlotPathOf(ref), folder));
    const std::string name = FileNameOfPath(source, true);
    // "." and ".." would name the desktop folder or its parent, not a file on it.
    if (name.empty() || name == "." || name == ".." || desktopFolder.empty()) {
        return failed;
    }
    const std::string desktop = desktopFolder.ends_with('/') ? desktopFolder : desktopFolder + "/";
    if (!CopyFileReplacing(source, desktop + name)) {
        return failed;
    }
    return Prompt{.text = "音效名【" + name + "】已经导出到桌面！\r\n本地路径：" + desktop + name};
}

}  // namespace vorlune
