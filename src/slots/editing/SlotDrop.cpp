#include "slots/editing/SlotDrop.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>

#include "slots/SlotLayout.h"
#include "slots/SlotStore.h"

namespace vorlune {
namespace {

constexpr std::size_t kHeadBytes = 12;

bool IsMpegFrame(std::string_view head) {
    const auto b0 = static_cast<unsigned char>(head[0]);
    const auto b1 = static_cast<unsigned char>(head[1]);
    return b0 == 0xFF && (b1 & 0xE0U) == 0xE0U;
}

}  // namespace

bool LooksLikeAudio(std::string_view head) {
    if (head.size() < kHeadBytes) {
        return false;
    }
    return (head.starts_with("RIFF") && head.substr(8, 4) == "WAVE") ||
           (head.starts_with("RF64") && head.substr(8, 4) == "WAVE") ||
           (head.starts_with("FORM") &&
            (head.substr(8, 4) == "AIFF" || head.substr(8, 4) == "AIFC")) ||
           head.starts_with("ID3") || IsMpegFrame(head) || head.starts_with("OggS") ||
           head.starts_with("fLaC");
}

DroppedFileFault CheckDroppedFile(const std::string& path) {
    if (!SlotListCanHoldPath(path)) {
        return DroppedFileFault::BarInPath;
    }
    // Non-blocking, so a FIFO dropped by mistake cannot hold the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return DroppedFileFault::Unreadable;
    }
    struct stat st {};
    std::array<char, kHeadBytes> head{};
    ssize_t got = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        got = ::read(fd, head.data(), head.size());
    }
    ::close(fd);
    if (got < 0) {
        return DroppedFileFault::Unreadable;
    }
    return LooksLikeAudio(std::string_view(head.data(), static_cast<std::size_t>(got)))
               ? DroppedFileFault::None
               : DroppedFileFault::NotAudio;
}

std::string_view FaultText(DroppedFileFault fault) {
    switch (fault) {
        case DroppedFileFault::BarInPath:
            return "文件名或文件夹名中含有“｜”";
        case DroppedFileFault::Unreadable:
            return "无法读取";
        case DroppedFileFault::NotAudio:
            return "不是音频文件";
        case DroppedFileFault::None:
            break;
    }
    return {};
}

std::vector<DropPlacement> PlaceDroppedFiles(int target, const std::vector<std::string>& files,
                                             const std::function<bool(int)>& isEmpty) {
    std::vector<DropPlacement> placed;
    if (target < 1 || target > kSlotCount || files.empty()) {
        return placed;
    }
    // "After" as the page shows them: row by row, left to right.
    const int page = CellOfSlot(target).page;
    std::vector<int> after;
    for (int n = 1; n <= kSlotCount; ++n) {
        const SlotCell cell = CellOfSlot(n);
        const SlotCell at = CellOfSlot(target);
        if (cell.page == page && std::pair(cell.row, cell.column) > std::pair(at.row, at.column)) {
            after.push_back(n);
        }
    }
    std::sort(after.begin(), after.end(), [](int a, int b) {
        const SlotCell ca = CellOfSlot(a);
        const SlotCell cb = CellOfSlot(b);
        return std::pair(ca.row, ca.column) < std::pair(cb.row, cb.column);
    });
    placed.push_back({target, files.front()});
    auto next = after.begin();
    for (std::size_t i = 1; i < files.size(); ++i) {
        next = std::find_if(next, after.end(), isEmpty);
        if (next == after.end()) {
            break;
        }
        placed.push_back({*next++, files[i]});
    }
    return placed;
}

}  // namespace vorlune
