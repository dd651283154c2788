#include "decoration/ShadowGeometry.h"

#include <gtest/gtest.h>

namespace vorlune {
namespace {

TEST(ShadowGeometry, DialogShadowIsNinePixelsAroundTheDialog) {
    const PixelRect dialog{100, 50, 380, 233};
    const PixelRect shadow = ShadowPlacement(dialog, 9);
    EXPECT_EQ(shadow, (PixelRect{91, 41, 398, 251}));

    // The hole is exactly where the dialog lies, in the shadow window's own coordinates.
    const PixelRect hole = ShadowHole(shadow.width, shadow.height, 9);
    EXPECT_EQ(hole, (PixelRect{9, 9, 380, 233}));
    EXPECT_EQ(hole.x + shadow.x, dialog.x);
    EXPECT_EQ(hole.y + shadow.y, dialog.y);

    const std::vector<ShadowRing> rings = ShadowRings(shadow.width, shadow.height, 9);
    ASSERT_EQ(rings.size(), 9u);
    const int alphas[] = {16, 32, 48, 64, 80, 96, 112, 128, 144};
    for (int i = 0; i < 9; ++i) {
        const ShadowRing& ring = rings[i];
        EXPECT_EQ(ring.alpha, alphas[i]) << "ring " << i;
        EXPECT_FLOAT_EQ(ring.x, static_cast<float>(i));
        EXPECT_FLOAT_EQ(ring.y, static_cast<float>(i));
        EXPECT_FLOAT_EQ(ring.width, static_cast<float>(397 - 2 * i));
        EXPECT_FLOAT_EQ(ring.height, static_cast<float>(250 - 2 * i));
        EXPECT_FLOAT_EQ(ring.cornerRadius, 4.0f);
        // Each outline runs through pixel columns and rows inside the window and outside the
        // dialog: ring i sits i pixels in from the window's edge on all four sides.
        EXPECT_EQ(static_cast<int>(ring.x + ring.width), shadow.width - 1 - i);
        EXPECT_EQ(static_cast<int>(ring.y + ring.height), shadow.height - 1 - i);
        EXPECT_LT(static_cast<int>(ring.x), hole.x);
        EXPECT_GE(static_cast<int>(ring.x + ring.width), hole.x + hole.width);
        EXPECT_GE(static_cast<int>(ring.y + ring.height), hole.y + hole.height);
    }
}

TEST(ShadowGeometry, AlphaStepKeepsEveryRingWithinOpaque) {
    EXPECT_EQ(ShadowAlphaStep(1), 100);
    EXPECT_EQ(ShadowAlphaStep(3), 33);
    EXPECT_EQ(ShadowAlphaStep(8), 12);
    EXPECT_EQ(ShadowAlphaStep(9), 16);
    EXPECT_EQ(ShadowAlphaStep(10), 15);
    for (int size = 1; size <= 300; ++size) {
        const std::vector<ShadowRing> rings = ShadowRings(100 + 2 * size, 40 + 2 * size, size);
        ASSERT_EQ(rings.size(), static_cast<std::size_t>(size));
        int previous = 0;
        for (const ShadowRing& ring : rings) {
            ASSERT_GE(ring.alpha, previous) << "size " << size;
            ASSERT_LE(ring.alpha, 255) << "size " << size;
            ASSERT_GT(ring.width, 0.0f);
            ASSERT_GT(ring.height, 0.0f);
            previous = ring.alpha;
        }
    }
    // No size, no shadow: nothing to divide by and nothing to draw.
    EXPECT_FALSE(IsShadowSize(0));
    EXPECT_EQ(ShadowAlphaStep(0), 0);
    EXPECT_TRUE(ShadowRings(100, 100, 0).empty());
    EXPECT_TRUE(ShadowRings(100, 100, -3).empty());
}

}  // namespace
}  // namespace vorlune
