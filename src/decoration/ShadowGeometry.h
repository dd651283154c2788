#pragma once

#include <vector>

namespace vorlune {

// A rectangle in whole pixels: left, top, width, height.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// One ring of the shadow: a rounded rectangle outline one pixel wide, whose edges run through
// the centres of the pixels at x .. x + width and y .. y + height of the shadow window.
struct ShadowRing {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    float cornerRadius = 0;
    int alpha = 0;  // 0 transparent .. 255 opaque
};

inline constexpr float kShadowCornerRadius = 4.0F;

// Sizes below 1 have no rings to draw.
inline bool IsShadowSize(int size) {
    return size >= 1;
}

// The shadow window: the owner's rectangle grown by size on every side.
PixelRect ShadowPlacement(const PixelRect& owner, int size);

// The part of a width x height shadow window that lies over the owner; it stays transparent.
PixelRect ShadowHole(int width, int height, int size);

// How much more opaque each ring is than the one outside it.
int ShadowAlphaStep(int size);

// The size rings of a width x height shadow window, outermost first, each more opaque than the
// one outside it, so the shadow darkens toward the owner's edge.
std::vector<ShadowRing> ShadowRings(int width, int height, int size);

}  // namespace vorlune
