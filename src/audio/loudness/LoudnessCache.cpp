#include "audio/loudness/LoudnessCache.h"

#include <sys/stat.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/AtomicFile.h"

namespace vorlune {
namespace {

constexpr std::string_view kHeader = "vorlune loudness 1";
constexpr std::string_view kDamaged = "damaged";

std::string Escaped(std::string_view path) {
    std::string out;
    for (const char c : path) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        if (text[i] == '\\') {
            out += '\\';
        } else if (text[i] == 'n') {
            out += '\n';
        } else {
            return std::nullopt;
        }
    }
    return out;
}

template <typename T>
std::optional<T> Number(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

template <typename T>
std::string Text(T value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(std::begin(buffer), std::end(buffer), value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

// The first count tab-separated fields, and the rest of the line (which may hold tabs).
std::optional<std::vector<std::string_view>> Fields(std::string_view line, std::size_t count) {
    std::vector<std::string_view> fields;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            return std::nullopt;
        }
        fields.push_back(line.substr(0, tab));
        line.remove_prefix(tab + 1);
    }
    fields.push_back(line);
    return fields;
}

std::optional<std::pair<std::string, LoudnessEntry>> ParseLine(std::string_view line) {
    const auto fields = Fields(line, 4);
    if (!fields) {
        return std::nullopt;
    }
    const auto& f = *fields;
    const auto size = Number<std::int64_t>(f[0]);
    const auto mtime = Number<std::int64_t>(f[1]);
    auto path = Unescaped(f[4]);
    if (!size || !mtime || !path || path->empty()) {
        return std::nullopt;
    }
    LoudnessEntry entry{.stamp = {*size, *mtime}, .loudness = std::nullopt};
    if (f[2] != kDamaged) {
        const auto lufs = Number<double>(f[2]);
        const auto peak = Number<double>(f[3]);
        if (!lufs || !peak) {
            return std::nullopt;
        }
        entry.loudness = Loudness{*lufs, *peak};
    }
    return std::pair{std::move(*path), entry};
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return FileStamp{.size = st.st_size,
                     .mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNsPerSecond +
                                st.st_mtim.tv_nsec};
}

std::string FormatLoudnessCache(const LoudnessTable& table) {
    std::string out(kHeader);
    out += '\n';
    for (const auto& [path, entry] : table) {
        out += Text(entry.stamp.size) + '\t' + Text(entry.stamp.mtimeNs) + '\t';
        if (entry.loudness) {
            out += Text(entry.loudness->integratedLufs) + '\t' + Text(entry.loudness->truePeakDbtp);
        } else {
            out += std::string(kDamaged) + "\t-";
        }
        out += '\t' + Escaped(path) + '\n';
    }
    return out;
}

LoudnessTable ParseLoudnessCache(std::string_view text) {
    LoudnessTable table;
    if (!text.starts_with(kHeader)) {
        return table;
    }
    text.remove_prefix(kHeader.size());
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (auto entry = ParseLine(line)) {
            table.insert_or_assign(std::move(entry->first), entry->second);
        }
    }
    return table;
}

LoudnessTable ReadLoudnessCache(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return ParseLoudnessCache(text.str());
}

bool WriteLoudnessCache(const std::string& file, const LoudnessTable& table) {
    AtomicFile out(file);
    return out.IsOpen() && out.Write(FormatLoudnessCache(table)) && out.Commit();
}

}  // namespace vorlune
