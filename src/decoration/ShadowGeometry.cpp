#include "decoration/ShadowGeometry.h"

namespace vorlune {

PixelRect ShadowPlacement(const PixelRect& owner, int size) {
    return {owner.x - size, owner.y - size, owner.width + 2 * size, owner.height + 2 * size};
}

PixelRect ShadowHole(int width, int height, int size) {
    return {size, size, width - 2 * size, height - 2 * size};
}

int ShadowAlphaStep(int size) {
    if (!IsShadowSize(size)) {
        return 0;
    }
    // Wide shadows start a little stronger so their inner rings still read as a shadow.
    return size > 8 ? 150 / size : 100 / size;
}

std::vector<ShadowRing> ShadowRings(int width, int height, int size) {
    std::vector<ShadowRing> rings;
    if (!IsShadowSize(size)) {
        return rings;
    }
    const int step = ShadowAlphaStep(size);
    rings.reserve(static_cast<std::size_t>(size));
    for (int i = 1; i <= size; ++i) {
        rings.push_back({static_cast<float>(i - 1), static_cast<float>(i - 1),
                         static_cast<float>(width - 2 * i + 1),
                         static_cast<float>(height - 2 * i + 1), kShadowCornerRadius, step * i});
    }
    return rings;
}

}  // namespace vorlune
