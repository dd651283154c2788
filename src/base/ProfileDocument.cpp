#include "base/ProfileDocument.h"

#include "base/GbkText.h"

namespace vorlune {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Only ASCII letters fold; the text is UTF-8, so bytes of other characters are never touched.
std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool EqualFolded(std::string_view a, std::string_view folded) {
    if (a.size() != folded.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != folded[i]) {
            return false;
        }
    }
    return true;
}

// What a line says: its text up to a NUL byte, without the blanks around it.
std::string_view Content(std::string_view line) {
    return Trim(line.substr(0, line.find('\0')));
}

// A header runs from "[" to the last "]" on the line; a "[" without any "]" opens nothing.
std::optional<std::string_view> SectionNameOf(std::string_view line) {
    line = Content(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

// A key without "=" has no value: it reads as missing, yet a write or delete of it finds it.
struct KeyLine {
    std::string_view key;
    std::optional<std::string_view> value;
};

std::optional<KeyLine> KeyLineOf(std::string_view line) {
    const std::string_view content = Content(line);
    if (content.empty() || content.front() == ';' || SectionNameOf(content)) {
        return std::nullopt;
    }
    const std::size_t eq = content.find('=');
    if (eq == std::string_view::npos) {
        return KeyLine{content, std::nullopt};
    }
    return KeyLine{Trim(content.substr(0, eq)), Trim(content.substr(eq + 1))};
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

// A line break inside a written name or value would add lines to the file.
std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view bytes, const GbkCodec& codec) {
    if (bytes.starts_with(kUtf8Bom)) {
        return FromText(Utf8WithEscapes(bytes.substr(kUtf8Bom.size())), TextEncoding::Utf8Bom);
    }
    if (bytes.starts_with(kUtf16LeBom)) {
        return FromText(Utf16LeToUtf8(bytes.substr(kUtf16LeBom.size())), TextEncoding::Utf16LeBom);
    }
    if (bytes.starts_with(kUtf16BeBom)) {
        return FromText(Utf16BeToUtf8(bytes.substr(kUtf16BeBom.size())), TextEncoding::Utf16BeBom);
    }
    return FromText(GbkToUtf8(bytes, codec), TextEncoding::Gbk, codec);
}

ProfileDocument ProfileDocument::FromText(std::string text, TextEncoding encoding,
                                          const GbkCodec& codec) {
    ProfileDocument doc;
    doc.text_ = std::move(text);
    doc.encoding_ = encoding;
    doc.codec_ = &codec;
    doc.Index();
    return doc;
}

std::string ProfileDocument::Encode(std::string_view text) const {
    switch (encoding_) {
        case TextEncoding::Utf8Bom:
            break;
        case TextEncoding::Utf16LeBom:
            return std::string(kUtf16LeBom) + Utf8ToUtf16Le(text);
        case TextEncoding::Utf16BeBom:
            return std::string(kUtf16BeBom) + Utf8ToUtf16Be(text);
        case TextEncoding::Gbk:
            // Nothing written may be lost: text GBK cannot hold turns the file into UTF-8.
            if (std::string gbk = Utf8ToGbk(text, *codec_); GbkToUtf8(gbk, *codec_) == text) {
                return gbk;
            }
            break;
    }
    return std::string(kUtf8Bom) + Utf8FromEscapes(text);
}

void ProfileDocument::Index() {
    lines_.clear();
    sections_.clear();
    firstSection_.clear();
    // A line ends with CR LF, LF, or CR alone (old Mac files).
    std::size_t pos = 0;
    while (pos < text_.size()) {
        const std::size_t end = text_.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines_.push_back({pos, text_.size() - pos, 0});
            break;
        }
        const bool crlf = text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n';
        lines_.push_back({pos, end - pos, crlf ? 2U : 1U});
        pos = end + (crlf ? 2 : 1);
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = SectionNameOf(LineText(i))) {
            if (!sections_.empty()) {
                sections_.back().end = i;
            }
            sections_.push_back({i, lines_.size()});
            firstSection_.try_emplace(Fold(*name), sections_.size() - 1);
        }
    }
}

const ProfileDocument::SectionRange* ProfileDocument::FindSection(std::string_view section) const {
    const auto it = firstSection_.find(Fold(Trim(section)));
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

std::optional<std::size_t> ProfileDocument::FindKeyLine(const SectionRange& range,
                                                        std::string_view key) const {
    const std::string folded = Fold(Trim(key));
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (const auto line = KeyLineOf(LineText(i)); line && EqualFolded(line->key, folded)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProfileDocument::Value(std::string_view section,
                                                  std::string_view key) const {
    const SectionRange* range = FindSection(section);
    if (range == nullptr) {
        return std::nullopt;
    }
    const auto line = FindKeyLine(*range, key);
    if (!line) {
        return std::nullopt;
    }
    const std::optional<std::string_view> value = KeyLineOf(LineText(*line))->value;
    if (!value) {
        return std::nullopt;
    }
    // Cut as the system's code page holds the value, whichever encoding the file has.
    return std::string(CutToGbkBytes(Unquote(*value), kMaxValueBytes, *codec_));
}

std::string_view ProfileDocument::LineEnding() const {
    for (const LineSpan& line : lines_) {
        if (line.eolLength != 0) {
            return std::string_view(text_).substr(line.start + line.length, line.eolLength);
        }
    }
    return "\r\n";
}

std::optional<std::string> ProfileDocument::TextAfterWrite(
    std::string_view section, std::string_view key, std::optional<std::string_view> value) const {
    const std::string sectionName = OneLine(Trim(section));
    const std::string keyName = OneLine(Trim(key));
    const std::optional<std::string> newValue =
        value ? std::optional<std::string>(OneLine(*value)) : std::nullopt;
    const std::string_view eol = LineEnding();
    const auto splice = [&](std::size_t at, std::size_t removed, std::string_view inserted) {
        std::string out;
        out.reserve(text_.size() + inserted.size());
        out.append(text_, 0, at).append(inserted).append(text_, at + removed);
        return out;
    };
    const auto endsWithoutBreak = [&](std::size_t line) { return lines_[line].eolLength == 0; };

    const SectionRange* range = FindSection(sectionName);
    if (range == nullptr) {
        if (!newValue) {
            return std::nullopt;
        }
        std::string added;
        if (!lines_.empty() && endsWithoutBreak(lines_.size() - 1)) {
            added += eol;
        }
        added.append("[").append(sectionName).append("]").append(eol);
        added.append(keyName).append("=").append(*newValue).append(eol);
        return splice(text_.size(), 0, added);
    }

    const std::string keyLine = newValue ? keyName + "=" + *newValue : std::string();
    if (const auto found = FindKeyLine(*range, keyName)) {
        const LineSpan& span = lines_[*found];
        if (!newValue) {
            return splice(span.start, span.length + span.eolLength, "");
        }
        // Unchanged when the value already reads back, or the line would be written as it is.
        if (KeyLineOf(LineText(*found))->value == std::string_view(*newValue) ||
            LineText(*found) == keyLine) {
            return std::nullopt;
        }
        return splice(span.start, span.length, keyLine);
    }
    if (!newValue) {
        return std::nullopt;
    }
    // A new key goes after the section's last non-blank line.
    std::size_t last = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (!Trim(LineText(i)).empty()) {
            last = i;
        }
    }
    const LineSpan& after = lines_[last];
    if (endsWithoutBreak(last)) {
        return splice(after.start + after.length, 0, std::string(eol) + keyLine + std::string(eol));
    }
    return splice(after.start + after.length + after.eolLength, 0, keyLine + std::string(eol));
}

}  // namespace vorlune
