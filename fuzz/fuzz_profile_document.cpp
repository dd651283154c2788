// The INI reader and writer on any file and any write. The input is
//   section "\n" key "\n" ('=' value | '-') "\n" file bytes
// (an input with fewer line breaks is only read). Whatever the bytes:
// - reading never fails, and a file read and encoded again is the same bytes;
// - a write changes at most the one line of the key (or adds the key, or a section with it), so
//   every other line keeps its bytes;
// - what is written is never lost: the file read again holds the text written, in the file's
//   encoding or, for a GBK file that cannot hold it, as UTF-8;
// - a value written reads back as written, when it is a value the file can hold as such.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "base/GbkText.h"
#include "base/ProfileDocument.h"

namespace {

using vorlune::ProfileDocument;
using vorlune::TextEncoding;

struct Write {
    std::string_view section;
    std::string_view key;
    std::optional<std::string_view> value;
};

// Splits off the first line of `rest`.
std::optional<std::string_view> TakeLine(std::string_view& rest) {
    const std::size_t nl = rest.find('\n');
    if (nl == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view line = rest.substr(0, nl);
    rest.remove_prefix(nl + 1);
    return line;
}

std::optional<Write> TakeWrite(std::string_view& rest) {
    std::string_view probe = rest;
    const auto section = TakeLine(probe);
    const auto key = section ? TakeLine(probe) : std::nullopt;
    const auto op = key ? TakeLine(probe) : std::nullopt;
    if (!op || op->empty() || (op->front() != '=' && op->front() != '-')) {
        return std::nullopt;
    }
    rest = probe;
    if (op->front() == '-') {
        return Write{*section, *key, std::nullopt};
    }
    return Write{*section, *key, op->substr(1)};
}

// Lines with their line ends: CR LF, LF or CR alone.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t len = text.find_first_of("\r\n");
        if (len == std::string_view::npos) {
            len = text.size();
        } else {
            len += text.substr(len, 2) == "\r\n" ? 2 : 1;
        }
        lines.push_back(text.substr(0, len));
        text.remove_prefix(len);
    }
    return lines;
}

std::size_t LineEndsIn(std::string_view text) {
    const std::vector<std::string_view> lines = Lines(text);
    std::size_t ends = 0;
    for (const std::string_view line : lines) {
        ends += line.back() == '\n' || line.back() == '\r' ? 1 : 0;
    }
    return ends;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool HasOuterBlank(std::string_view s) {
    return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A line break ends a line, and a NUL byte what it says.
bool HasLineBreakOrNul(std::string_view s) {
    return HasLineBreak(s) || s.find('\0') != std::string_view::npos;
}

// Valid UTF-8 without the code points that stand for bytes kept undecoded: text as the program
// writes it, which every encoding holds.
bool IsPlainText(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const vorlune::CodePoint c = vorlune::NextCodePoint(s, i);
        const bool malformed = c.value == 0xFFFD && s.substr(i, 3) != "\xEF\xBF\xBD";
        if (malformed || (c.value >= 0x10FF80 && c.value <= 0x10FFFF)) {
            return false;
        }
        i += c.length;
    }
    return true;
}

// Whether the file holds the section, key and value as they are, where they stand: a byte kept
// undecoded may join the next one when the two make a character (a lone lead byte at the end
// of a section name takes its "]").
bool Representable(const ProfileDocument& doc, const Write& w) {
    const std::string lines = "[" + std::string(w.section) + "]\r\n" + std::string(w.key) + "=" +
                              std::string(*w.value) + "\r\n";
    return ProfileDocument::Parse(doc.Encode(lines)).Value(w.section, w.key) ==
           std::string(*w.value);
}

// Names and values that a file can hold so that they read back as written: a key without "="
// that does not look like a comment or a section, a value that is not quoted, no blanks at the
// ends of any of them; none with a line break or a NUL byte.
bool ReadsBackAsWritten(const ProfileDocument& doc, const Write& w) {
    if (!w.value || HasLineBreakOrNul(w.section) || HasLineBreakOrNul(w.key) ||
        HasLineBreakOrNul(*w.value)) {
        return false;
    }
    if (HasOuterBlank(w.section) || HasOuterBlank(w.key) || HasOuterBlank(*w.value)) {
        return false;
    }
    if (w.key.empty() || w.key.find('=') != std::string_view::npos || w.key.front() == ';' ||
        w.key.front() == '[') {
        return false;
    }
    const std::string_view v = *w.value;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return false;
    }
    if (vorlune::GbkByteLength(v) > ProfileDocument::kMaxValueBytes) {
        return false;
    }
    return Representable(doc, w);
}

void CheckWrite(const ProfileDocument& doc, const Write& w) {
    const std::optional<std::string> after = doc.TextAfterWrite(w.section, w.key, w.value);
    if (!after) {
        // Nothing to change: the file already says it.
        if (ReadsBackAsWritten(doc, w)) {
            FUZZ_CHECK(doc.Value(w.section, w.key) == std::string(*w.value));
        }
        if (!w.value && !HasLineBreak(w.section) && !HasLineBreak(w.key)) {
            FUZZ_CHECK(!doc.Value(w.section, w.key));
        }
        return;
    }
    FUZZ_CHECK(*after != doc.Text());

    // At most one old line goes (the key's, or a last line that gains its line end), and what
    // comes instead holds at most three line ends (a line end, a section header and the key);
    // all other bytes stay. Lines are compared as bytes: a line end may meet the one after
    // it (CR and then LF), which changes no line's text.
    const std::string_view old = doc.Text();
    const std::string_view now = *after;
    const std::vector<std::string_view> before = Lines(old);
    std::size_t same = 0;
    std::size_t sameBytes = 0;
    while (same < before.size() && now.substr(sameBytes).starts_with(before[same])) {
        sameBytes += before[same].size();
        ++same;
    }
    std::size_t sameEnd = 0;
    std::size_t sameEndBytes = 0;
    while (sameEnd < before.size() - same) {
        const std::string_view line = before[before.size() - 1 - sameEnd];
        if (sameBytes + sameEndBytes + line.size() > now.size() ||
            !now.substr(0, now.size() - sameEndBytes).ends_with(line)) {
            break;
        }
        sameEndBytes += line.size();
        ++sameEnd;
    }
    FUZZ_CHECK(before.size() - same - sameEnd <= 1);
    FUZZ_CHECK(LineEndsIn(now.substr(sameBytes, now.size() - sameBytes - sameEndBytes)) <= 3);

    // The file as it is written and read again.
    const std::string bytes = doc.Encode(*after);
    const ProfileDocument reread = ProfileDocument::Parse(bytes);
    FUZZ_CHECK(reread.Encoding() == doc.Encoding() ||
               (doc.Encoding() == TextEncoding::Gbk && reread.Encoding() == TextEncoding::Utf8Bom));
    if (IsPlainText(w.section) && IsPlainText(w.key) && (!w.value || IsPlainText(*w.value))) {
        FUZZ_CHECK(reread.Text() == *after);
    }
    if (ReadsBackAsWritten(doc, w)) {
        FUZZ_CHECK(reread.Value(w.section, w.key) == std::string(*w.value));
        // Writing the same again changes nothing.
        FUZZ_CHECK(!reread.TextAfterWrite(w.section, w.key, w.value));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::optional<Write> write = TakeWrite(rest);
    const ProfileDocument doc = ProfileDocument::Parse(rest);
    if (doc.Encoding() != TextEncoding::Utf16LeBom && doc.Encoding() != TextEncoding::Utf16BeBom) {
        // UTF-16 cannot keep an odd byte or a lone surrogate; the other encodings keep all.
        FUZZ_CHECK(doc.Encode(doc.Text()) == rest);
    }
    if (write) {
        const std::optional<std::string> value = doc.Value(write->section, write->key);
        if (value) {
            FUZZ_CHECK(vorlune::GbkByteLength(*value) <= ProfileDocument::kMaxValueBytes);
        }
        CheckWrite(doc, *write);
    }
    return 0;
}
