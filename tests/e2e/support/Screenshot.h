#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlune::test {

// An area of a window in its own coordinates.
struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A screenshot of one X window (ImageMagick's import), as 8-bit RGB.
class Screenshot {
  public:
    // Nothing when the window could not be captured.
    static std::optional<Screenshot> Of(const std::string& window, const std::string& scratchPath);

    // The share (0..1) of the area's pixels that are clearly green, clearly blue, or ink (dark
    // enough to be text or a glyph on the light window background).
    double GreenShare(Area area) const;
    double BlueShare(Area area) const;
    std::size_t InkPixels(Area area) const;

  private:
    template <typename Test>
    std::size_t Count(Area area, Test test) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rgb_;
};

}  // namespace vorlune::test
