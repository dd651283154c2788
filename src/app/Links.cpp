#include "app/Links.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vorlune {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kShareInvitation =
    "亲，全网最好用的【直播音效软件神器（网红主播必备Vorlune）】,分享给你咯哦，强烈推荐您试试！"
    "\r\n";
constexpr std::string_view kShareHint =
    "\r\n温馨提示：直接点击打开或者复制链接地址到浏览器地址栏打开哦！";

// What the desktop opens as a document rather than runs.
constexpr std::array<std::string_view, 11> kDocumentTypes{
    ".html", ".htm", ".xhtml", ".txt", ".pdf", ".png", ".jpg", ".jpeg", ".gif", ".svg", ".webp"};

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return lower;
}

bool HasControlCharacters(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The scheme of an address ("http" of "http://..."), if the text starts with one.
std::optional<std::string_view> SchemeOf(std::string_view address) {
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0 || !IsAsciiLetter(address.front())) {
        return std::nullopt;
    }
    const std::string_view scheme = address.substr(0, colon);
    const bool valid = std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    });
    return valid ? std::optional(scheme) : std::nullopt;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            return std::nullopt;
        }
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return decoded;
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// A DNS name of two labels or more (letters, digits, "-", and any non-ASCII text for names in
// other scripts) whose last label is a top-level domain, or an IPv4 address.
bool IsHostName(std::string_view host) {
    std::vector<std::string_view> labels;
    for (std::size_t start = 0;;) {
        const std::size_t dot = host.find('.', start);
        labels.push_back(host.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    if (labels.size() < 2) {
        return false;
    }
    const auto allDigits = [](std::string_view label) {
        return std::all_of(label.begin(), label.end(), IsAsciiDigit);
    };
    for (const std::string_view label : labels) {
        const bool valid = std::all_of(label.begin(), label.end(), [](char c) {
            return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' ||
                   static_cast<unsigned char>(c) >= 0x80;
        });
        if (label.empty() || !valid || label.front() == '-' || label.back() == '-') {
            return false;
        }
    }
    if (std::all_of(labels.begin(), labels.end(), allDigits)) {
        return labels.size() == 4 && std::all_of(labels.begin(), labels.end(),
                                                 [](auto label) { return label.size() <= 3; });
    }
    const std::string_view top = labels.back();
    return top.starts_with("xn--") ||
           (top.size() >= 2 && std::none_of(top.begin(), top.end(),
                                            [](char c) { return IsAsciiDigit(c) || c == '-'; }));
}

// "www.example.com/page": a host name, maybe with a port, and whatever follows it.
bool IsHostAddress(std::string_view address) {
    std::string_view host = address.substr(0, address.find_first_of("/?#"));
    if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (port.empty() || !std::all_of(port.begin(), port.end(), IsAsciiDigit)) {
            return false;
        }
        host = host.substr(0, colon);
    }
    return IsHostName(host);
}

fs::path WithoutTrailingSeparator(fs::path path) {
    path = path.lexically_normal();
    if (!path.has_filename() && path.has_parent_path() && path != path.root_path()) {
        path = path.parent_path();
    }
    return path;
}

// The path, relative ones taken from the folder, with "." and ".." resolved, if it lies
// strictly inside the folder.
std::optional<std::string> InsideFolder(const std::string& path, std::string_view folder) {
    const fs::path root = WithoutTrailingSeparator(fs::path(folder));
    if (!root.is_absolute()) {
        return std::nullopt;
    }
    fs::path full(path);
    if (!full.is_absolute()) {
        full = root / full;
    }
    full = full.lexically_normal();
    const fs::path relative = full.lexically_relative(root);
    if (relative.empty() || relative == "." || *relative.begin() == "..") {
        return std::nullopt;
    }
    return full.string();
}

std::optional<AddressTarget> LocalFile(const std::string& path, std::string_view folder) {
    if (const auto inside = InsideFolder(path, folder)) {
        return AddressTarget{AddressTarget::Kind::LocalFile, *inside};
    }
    return std::nullopt;
}

// A path as written in config.ini, "\" separators accepted.
std::optional<AddressTarget> LocalPath(std::string_view address, std::string_view folder) {
    std::string path(address);
    std::replace(path.begin(), path.end(), '\\', '/');
    return LocalFile(path, folder);
}

// "file:" followed by "//host/path", "///path" or "/path"; the host may only be this machine.
std::optional<AddressTarget> FileUrl(std::string_view rest, std::string_view folder) {
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string_view path = rest;
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string host = Lower(rest.substr(0, slash));
        if (!host.empty() && host != "localhost") {
            return std::nullopt;
        }
        path = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
    }
    if (!path.starts_with('/')) {
        return std::nullopt;
    }
    const std::optional<std::string> decoded = PercentDecoded(path);
    if (!decoded) {
        return std::nullopt;
    }
    return LocalFile(*decoded, folder);
}

bool IsDocumentType(const fs::path& file) {
    const std::string extension = Lower(file.extension().string());
    return std::find(kDocumentTypes.begin(), kDocumentTypes.end(), extension) !=
           kDocumentTypes.end();
}

}  // namespace

std::string ShareText(std::string_view shopAddress) {
    std::string text;
    text.reserve(kShareInvitation.size() + shopAddress.size() + kShareHint.size());
    text.append(kShareInvitation).append(shopAddress).append(kShareHint);
    return text;
}

std::optional<AddressTarget> CheckAddress(std::string_view address,
                                          std::string_view programFolder) {
    address = Trimmed(address);
    if (address.empty() || HasControlCharacters(address)) {
        return std::nullopt;
    }
    // Written without a scheme, as a browser's address bar takes it.
    if (IsHostAddress(address)) {
        return AddressTarget{AddressTarget::Kind::Web, "http://" + std::string(address)};
    }
    const std::optional<std::string_view> scheme = SchemeOf(address);
    if (!scheme) {
        return LocalPath(address, programFolder);
    }
    // One letter before the colon is a drive ("C:\..."): another system's disk, never inside
    // this program folder.
    if (scheme->size() == 1) {
        return std::nullopt;
    }
    const std::string name = Lower(*scheme);
    const std::string_view rest = address.substr(scheme->size() + 1);
    if (name == "http" || name == "https") {
        const bool hasHost = rest.starts_with("//") && rest.size() > 2 && rest[2] != '/';
        if (!hasHost) {
            return std::nullopt;
        }
        return AddressTarget{AddressTarget::Kind::Web, std::string(address)};
    }
    if (name == "mailto") {
        if (rest.empty()) {
            return std::nullopt;
        }
        return AddressTarget{AddressTarget::Kind::Web, std::string(address)};
    }
    if (name == "file") {
        return FileUrl(rest, programFolder);
    }
    return std::nullopt;
}

std::optional<AddressTarget> OpenableAddress(std::string_view address,
                                             std::string_view programFolder) {
    std::optional<AddressTarget> checked = CheckAddress(address, programFolder);
    // A name that the program folder holds is that file, even where it reads like a host name
    // ("run.sh"), so that it follows the rules of local files.
    if (checked && checked->kind == AddressTarget::Kind::Web && IsHostAddress(Trimmed(address))) {
        std::error_code error;
        if (auto local = LocalPath(Trimmed(address), programFolder);
            local && fs::symlink_status(local->target, error).type() != fs::file_type::not_found) {
            checked = std::move(local);
        }
    }
    if (!checked || checked->kind == AddressTarget::Kind::Web) {
        return checked;
    }
    // Links are followed so that a link inside the folder cannot lead out of it.
    std::error_code error;
    const fs::path file = fs::canonical(checked->target, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path folder = fs::canonical(fs::path(programFolder), error);
    if (error || !InsideFolder(file.string(), folder.string())) {
        return std::nullopt;
    }
    if (!fs::is_regular_file(file, error) || !IsDocumentType(file)) {
        return std::nullopt;
    }
    return AddressTarget{AddressTarget::Kind::LocalFile, file.string()};
}

}  // namespace vorlune
