#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/GbkText.h"

namespace vorlune {

enum class TextEncoding { Gbk, Utf8Bom, Utf16LeBom, Utf16BeBom };

// The parsed content of one INI file with the reading and writing rules of the Windows
// profile-string functions the stored files were made with:
// - lines end with CR LF, LF or CR alone, and a NUL byte ends what a line says;
// - a section header runs from "[" to the last "]" on its line; a line starting with "[" that
//   has no "]" belongs to the section before it, as a key;
// - section and key names match regardless of ASCII case, with blanks around them dropped;
// - lines beginning with ";" are comments; the first of duplicated sections or keys wins;
// - a line without "=" is a key without a value: it reads as missing, and a write or a delete
//   of its name takes that line;
// - a value loses the blanks around it and one matching pair of enclosing quotes, and is cut
//   to 10,239 bytes of the system's code page before a character rather than through it;
// - a write keeps every line it does not change byte for byte (comments, order, line ends).
// The text is held as UTF-8 (see GbkText.h for how undecodable bytes survive); a GBK file is
// read and written with the codec it was parsed with.
class ProfileDocument {
  public:
    static constexpr std::size_t kMaxValueBytes = 10239;

    ProfileDocument() = default;
    static ProfileDocument Parse(std::string_view fileBytes,
                                 const GbkCodec& codec = GbkCodec::System());
    static ProfileDocument FromText(std::string text, TextEncoding encoding,
                                    const GbkCodec& codec = GbkCodec::System());

    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // The document's text after writing key=value into section (no value deletes the key), or
    // nothing when the write would not change what the file says.
    std::optional<std::string> TextAfterWrite(std::string_view section, std::string_view key,
                                              std::optional<std::string_view> value) const;

    const std::string& Text() const { return text_; }
    TextEncoding Encoding() const { return encoding_; }
    // The file's bytes for a text in this document's encoding, byte-order mark included. A GBK
    // file that cannot hold the text as it is becomes UTF-8 with a byte-order mark, every line
    // keeping its text, so that nothing written is lost.
    std::string Encode(std::string_view text) const;

  private:
    struct LineSpan {
        std::size_t start;
        std::size_t length;
        std::size_t eolLength;
    };
    struct SectionRange {
        std::size_t header;  // line index of "[name]"
        std::size_t end;     // one past the section's last line
    };

    void Index();
    std::string_view LineText(std::size_t i) const {
        return {text_.data() + lines_[i].start, lines_[i].length};
    }
    const SectionRange* FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKeyLine(const SectionRange& range, std::string_view key) const;
    std::string_view LineEnding() const;

    std::string text_;
    TextEncoding encoding_ = TextEncoding::Gbk;
    const GbkCodec* codec_ = &GbkCodec::System();
    std::vector<LineSpan> lines_;
    std::vector<SectionRange> sections_;
    std::unordered_map<std::string, std::size_t> firstSection_;  // folded name -> sections_ index
};

}  // namespace vorlune
