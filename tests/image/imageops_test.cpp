#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/imagebuffer.h"
#include "image/imageops.h"
#include "image/ippi.h"
#include "tests/support/pictures.h"

namespace {

// A buffer of seeded bytes (the same seed, the same bytes).
CImageBuffer Filled(int w, int h, int channels, uint32_t seed) {
    CImageBuffer b;
    EXPECT_TRUE(b.Allocate(w, h, channels));
    for (int y = 0; y < b.GetHeight(); ++y)
        testsupport::FillRandom(b.PixelAt(0, y, 0), static_cast<size_t>(w) * channels, seed + y);
    return b;
}

uint64_t Digest(const CImageBuffer& b) {
    return testsupport::Digest(b.GetData(), b.GetStep(), b.GetHeight(),
                              static_cast<int64_t>(b.GetWidth()) * b.GetChannels());
}

uint32_t PixelValue(const CImageBuffer& b, int x, int y) {
    uint32_t v;
    std::memcpy(&v, b.PixelAt(x, y, 0), 4);
    return v;
}

// The border repeats the edge pixels of the region, in one channel and in four.
TEST(ImageOpsCopyReplicateBorder, FromTheRegionInside_AndMismatchedChannelsRefused) {
    for (int channels : {1, 4}) {
        CImageBuffer q = Filled(10, 10, channels, 2), p = Filled(10, 10, channels, 3);
        ASSERT_TRUE(CImageOps().CopyReplicateBorder(q, p, 3, 3));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(std::memcmp(p.PixelAt(x, y, 0), q.PixelAt(std::clamp(x, 3, 6), std::clamp(y, 3, 6), 0), channels), 0)
                    << channels << " channels at " << x << "," << y;
    }
    CImageBuffer q = Filled(10, 10, 1, 1), four = Filled(10, 10, 4, 1), three = Filled(10, 10, 3, 1);
    EXPECT_FALSE(CImageOps().CopyReplicateBorder(q, four, 1, 1));
    EXPECT_FALSE(CImageOps().CopyReplicateBorder(three, three, 1, 1));
}

TEST(ImageOpsCopyReplicateBorder, NoRegionLeftMeansFalseAndNothingWritten) {
    // A band too small for the border: 6 wide with border 3 leaves no region.
    CImageBuffer q = Filled(6, 20, 1, 3), p = Filled(6, 20, 1, 4);
    const uint64_t before = Digest(p);
    EXPECT_FALSE(CImageOps().CopyReplicateBorder(q, p, 3, 3));
    EXPECT_FALSE(CImageOps().CopyReplicateBorder(q, p, -1, 0));
    EXPECT_EQ(Digest(p), before);
}

TEST(ImageOpsConvolve, EvenSizeAnchorsAtHalf_AndSmallerDestinationIsNotOverrun) {
    // Size 2: h = 1, region (w - 2) x (h - 2); cell (0, 0) meets the pixel one right and one below.
    const int w = 5, h = 4;
    CImageBuffer in = Filled(w, h, 4, 7), out = Filled(w, h, 4, 8);
    // Anchor (1, 1): cell (0, 0) meets the pixel one right and one below, cell (1, 1) the pixel itself.
    const float pick[4] = {1, 0, 0, 0};
    ASSERT_TRUE(CImageOps().Convolve(in, out, pick, 2));
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) ASSERT_EQ(PixelValue(out, x, y), PixelValue(in, x + 1, y + 1));
    const float last[4] = {0, 0, 0, 1};
    ASSERT_TRUE(CImageOps().Convolve(in, out, last, 2));
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) ASSERT_EQ(PixelValue(out, x, y), PixelValue(in, x, y));

    CImageBuffer small = Filled(3, 3, 4, 9);  // the sanitizer build catches a write past its rows
    const float identity[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_TRUE(CImageOps().Convolve(in, small, identity, 3));
    EXPECT_EQ(PixelValue(small, 1, 1), PixelValue(in, 1, 1));
    EXPECT_FALSE(CImageOps().Convolve(in, out, nullptr, 3));
    EXPECT_FALSE(CImageOps().Convolve(in, out, identity, 0));
}

TEST(ImageOpsCopy, ClipsToBothBuffers_RefusesOriginsOutside) {
    CImageBuffer src = Filled(6, 5, 4, 8), dst = Filled(4, 4, 4, 9), before = Filled(4, 4, 4, 9);
    // Width clipped to dst width - dstX = 3; height to src height - srcY = 2.
    ASSERT_TRUE(CImageOps().Copy(src, 2, 3, 100, 100, dst, 1, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool copied = x >= 1 && y < 2;
            ASSERT_EQ(PixelValue(dst, x, y), copied ? PixelValue(src, x + 1, y + 3) : PixelValue(before, x, y));
        }
    EXPECT_FALSE(CImageOps().Copy(src, -1, 0, 2, 2, dst, 0, 0));
    EXPECT_FALSE(CImageOps().Copy(src, 0, 0, 2, 2, dst, 0, -1));
    EXPECT_FALSE(CImageOps().Copy(src, 6, 0, 2, 2, dst, 0, 0));
    EXPECT_FALSE(CImageOps().Copy(src, 0, 0, 0, 2, dst, 0, 0));
    CImageBuffer plane = Filled(4, 4, 1, 1);
    EXPECT_FALSE(CImageOps().Copy(src, 0, 0, 2, 2, plane, 0, 0));
    CImageBuffer empty;
    EXPECT_FALSE(CImageOps().Copy(empty, 0, 0, 2, 2, dst, 0, 0));
}

TEST(ImageOpsCopyChannel, BetweenPlaneAndPixels_OverTheSmallerSize) {
    CImageBuffer pixels = Filled(5, 4, 4, 10), plane = Filled(3, 6, 1, 11);
    ASSERT_TRUE(CImageOps().CopyChannel(pixels, plane, 2, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) ASSERT_EQ(*plane.PixelAt(x, y, 0), *pixels.PixelAt(x, y, 2));
    for (int y = 0; y < 4; ++y) *plane.PixelAt(0, y, 0) = static_cast<uint8_t>(y + 100);
    ASSERT_TRUE(CImageOps().CopyChannel(plane, pixels, 0, 3));
    for (int y = 0; y < 4; ++y) EXPECT_EQ(*pixels.PixelAt(0, y, 3), y + 100);
    EXPECT_FALSE(CImageOps().CopyChannel(pixels, plane, 4, 0));
    EXPECT_FALSE(CImageOps().CopyChannel(pixels, plane, -1, 0));
    EXPECT_FALSE(CImageOps().CopyChannel(plane, pixels, 0, 4));
    EXPECT_FALSE(CImageOps().CopyChannel(pixels, pixels, 0, 0));
    EXPECT_FALSE(CImageOps().CopyChannel(plane, plane, 0, 0));
}

// Four-channel buffers only. (Their pixels, in place: the identity registry's Colorize
// cases, whose generic steps convert through these.)
TEST(ImageOpsHsv, OnlyFourChannelBuffers) {
    CImageBuffer pixels = Filled(4, 1, 4, 1), plane = Filled(4, 1, 1, 1);
    EXPECT_FALSE(CImageOps().RgbToHsv(plane, pixels));
    EXPECT_FALSE(CImageOps().HsvToRgb(pixels, plane));
}

}  // namespace
