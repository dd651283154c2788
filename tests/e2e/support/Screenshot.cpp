#include "Screenshot.h"

#include <algorithm>
#include <fstream>

#include "Commands.h"

namespace vorlune::test {
namespace {

// The next header token of a PPM file, skipping comments.
std::optional<int> PpmNumber(std::istream& in) {
    std::string token;
    while (in >> token) {
        if (token.front() == '#') {
            std::string rest;
            std::getline(in, rest);
            continue;
        }
        return std::stoi(token);
    }
    return std::nullopt;
}

}  // namespace

std::optional<Screenshot> Screenshot::Of(const std::string& window,
                                         const std::string& scratchPath) {
    if (!Run("import -window " + window + " -depth 8 ppm:" + ShellQuoted(scratchPath) +
             " 2>/dev/null")) {
        return std::nullopt;
    }
    std::ifstream in(scratchPath, std::ios::binary);
    std::string magic;
    in >> magic;
    const std::optional<int> width = PpmNumber(in);
    const std::optional<int> height = PpmNumber(in);
    const std::optional<int> maximum = PpmNumber(in);
    if (magic != "P6" || !width || !height || maximum != 255) {
        return std::nullopt;
    }
    in.get();  // the one blank after the header
    Screenshot shot;
    shot.width_ = *width;
    shot.height_ = *height;
    shot.rgb_.resize(static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height) * 3);
    in.read(reinterpret_cast<char*>(shot.rgb_.data()),
            static_cast<std::streamsize>(shot.rgb_.size()));
    if (!in) {
        return std::nullopt;
    }
    return shot;
}

template <typename Test>
std::size_t Screenshot::Count(Area area, Test test) const {
    std::size_t count = 0;
    for (int y = std::max(area.y, 0); y < std::min(area.y + area.height, height_); ++y) {
        for (int x = std::max(area.x, 0); x < std::min(area.x + area.width, width_); ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
            count += test(rgb_[at], rgb_[at + 1], rgb_[at + 2]) ? 1 : 0;
        }
    }
    return count;
}

double Screenshot::GreenShare(Area area) const {
    const std::size_t green =
        Count(area, [](int r, int g, int b) { return g > r + 30 && g > b + 30; });
    return static_cast<double>(green) / std::max(1, area.width * area.height);
}

double Screenshot::BlueShare(Area area) const {
    const std::size_t blue =
        Count(area, [](int r, int g, int b) { return b > r + 50 && b > g + 20; });
    return static_cast<double>(blue) / std::max(1, area.width * area.height);
}

std::size_t Screenshot::InkPixels(Area area) const {
    return Count(area, [](int r, int g, int b) { return r * 299 + g * 587 + b * 114 < 150000; });
}

}  // namespace vorlune::test
