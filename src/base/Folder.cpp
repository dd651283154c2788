#include "base/Folder.h"

namespace vorlune {

Folder::Folder(std::string path) : path_(std::move(path)) {
    while (path_.size() > 1 && path_.back() == '/') {
        path_.pop_back();
    }
}

std::string Folder::Join(std::string_view relative) const {
    std::string rel = ToLocalSeparators(relative);
    if (!rel.empty() && rel.front() != '/') {
        rel.insert(rel.begin(), '/');
    }
    return (path_ == "/" ? std::string() : path_) + rel;
}

std::string ToLocalSeparators(std::string_view path) {
    std::string out(path);
    for (char& c : out) {
        if (c == '\\') {
            c = '/';
        }
    }
    return out;
}

}  // namespace vorlune
