#include "slots/editing/RestoreDefaults.h"

#include <sys/stat.h>

#include "base/FileCopy.h"

namespace vorlune {
namespace {

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

void RestoreDefaultSounds(const SlotStore& store, Prompts& prompts,
                          const std::function<void()>& loadSlotGrid) {
    const std::string factory = store.FactoryListPath();
    if (!IsFile(factory)) {
        prompts.Show({.text = "备份源文件已经丢失,请重新下载安装软件再试!",
                      .icon = PromptIcon::Information});
        return;
    }
    const PromptAnswer answer = prompts.Show({.text = "是否把当前所有音效恢复为初始化设置？",
                                              .caption = "提示",
                                              .icon = PromptIcon::Question,
                                              .buttons = PromptButtons::YesNo,
                                              .defaultButton = PromptAnswer::No});
    if (answer != PromptAnswer::Yes) {
        return;
    }
    if (!CopyFileReplacing(factory, store.ListPath())) {
        return;
    }
    prompts.Show({.text = "音效初始化恢复成功!", .icon = PromptIcon::Information});
    loadSlotGrid();
}

}  // namespace vorlune
