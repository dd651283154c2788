#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlune {

// The help page shipped in the program folder. The help and the contact link lead there when
// config.ini names no address of its own.
inline constexpr std::string_view kBuiltInHelpAddress = "help/index.html";

// The recommendation the shop menu puts on the clipboard: the invitation, the shop address and
// the hint, joined by Windows line breaks exactly as a chat program pastes them.
std::string ShareText(std::string_view shopAddress);

// An address from config.ini as the program may hand it to the system: a web or mail address
// unchanged, or a local file inside the program folder as an absolute path. The file is
// edited by hand, so anything else (another scheme such as "javascript:", a path outside the
// folder, a program to run) is refused.
struct AddressTarget {
    enum class Kind { Web, LocalFile };
    Kind kind;
    std::string target;

    bool operator==(const AddressTarget&) const = default;
};

// The rule on the text alone: http, https and mailto addresses, a host address without a
// scheme ("www.example.com/page") as an http address, and file paths or "file:" addresses that
// lie inside `programFolder` once "." and ".." are resolved. Relative paths are taken from the
// program folder; "\" separators are accepted.
std::optional<AddressTarget> CheckAddress(std::string_view address, std::string_view programFolder);

// CheckAddress, and for a local file also what is on disk: after following links it must still
// lie inside the program folder and be a regular file of a document type (a page, text, PDF or
// picture), never a program or script the desktop would run. A name without a scheme that the
// program folder holds is taken as that file, not as a host.
std::optional<AddressTarget> OpenableAddress(std::string_view address,
                                             std::string_view programFolder);

}  // namespace vorlune
