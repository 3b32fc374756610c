#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/ippi.h"
#include "pixel_test_support.h"

namespace {

using image_test::RandomBytes;

// A 4-byte pixel whose four bytes all carry one tag.
uint32_t Tag(int v) { return 0x01010101u * static_cast<uint32_t>(v); }

TEST(IppCopyReplicateBorder, ThreeByThreeIntoSevenBySeven) {
    std::vector<uint32_t> src(9);
    for (int i = 0; i < 9; ++i) src[i] = Tag(i + 1);
    std::vector<uint32_t> dst(49, 0);
    ASSERT_EQ(ippiCopyReplicateBorder_8u_C4R(reinterpret_cast<Ipp8u*>(src.data()), 12, {3, 3},
                                             reinterpret_cast<Ipp8u*>(dst.data()), 28, {7, 7}, 2, 2),
              ippStsNoErr);
    auto at = [&](int x, int y) { return dst[y * 7 + x]; };
    for (int y = 0; y < 7; ++y) {
        const int sy = y < 2 ? 0 : y > 4 ? 2 : y - 2;
        for (int x = 0; x < 7; ++x) {
            const int sx = x < 2 ? 0 : x > 4 ? 2 : x - 2;
            ASSERT_EQ(at(x, y), src[sy * 3 + sx]) << x << "," << y;
        }
    }
    // In the words of the rule: top rows equal row 2, bottom rows row 4, columns 0-1 column 2, 5-6 column 4.
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(at(x, 0), at(x, 2));
        EXPECT_EQ(at(x, 1), at(x, 2));
        EXPECT_EQ(at(x, 5), at(x, 4));
        EXPECT_EQ(at(x, 6), at(x, 4));
    }
}

TEST(IppCopyReplicateBorder, InPlaceEqualsOutOfPlace) {
    for (int channels : {4, 1})
        for (int W : {1, 5, 12})
            for (int H : {1, 4, 9})
                for (int L : {0, 1, 3})
                    for (int T : {0, 2}) {
                        const int w = W - L - (W > L + 1 ? 1 : 0), h = H - T - (H > T + 1 ? 1 : 0);
                        if (w < 1 || h < 1) continue;
                        const int step = W * channels + 5;
                        auto inPlace = RandomBytes(static_cast<size_t>(step) * H, W * 31 + H * 7 + L + T);
                        // The separate source is a copy of the interior.
                        std::vector<Ipp8u> src(static_cast<size_t>(w) * channels * h);
                        for (int y = 0; y < h; ++y)
                            std::memcpy(&src[static_cast<size_t>(y) * w * channels],
                                        &inPlace[static_cast<size_t>(T + y) * step + L * channels],
                                        static_cast<size_t>(w) * channels);
                        std::vector<Ipp8u> outOfPlace(inPlace.size(), 0xAB);
                        auto routine = channels == 4 ? ippiCopyReplicateBorder_8u_C4R : ippiCopyReplicateBorder_8u_C1R;
                        ASSERT_EQ(routine(src.data(), w * channels, {w, h}, outOfPlace.data(), step, {W, H}, T, L),
                                  ippStsNoErr);
                        Ipp8u* interior = inPlace.data() + static_cast<size_t>(T) * step + L * channels;
                        ASSERT_EQ(routine(interior, step, {w, h}, inPlace.data(), step, {W, H}, T, L), ippStsNoErr);
                        EXPECT_EQ(image_test::Digest(inPlace.data(), step, H, W * channels),
                                  image_test::Digest(outOfPlace.data(), step, H, W * channels))
                            << channels << " channels, " << W << "x" << H << " L" << L << " T" << T;
                        // Padding after each row is nobody's business: untouched.
                        for (int y = 0; y < H; ++y) EXPECT_EQ(outOfPlace[static_cast<size_t>(y) * step + W * channels], 0xAB);
                    }
}

TEST(IppCopyReplicateBorder, OneChannelReplicatesBytes) {
    const Ipp8u src[2] = {10, 20};
    Ipp8u dst[4 * 3];
    ASSERT_EQ(ippiCopyReplicateBorder_8u_C1R(src, 2, {2, 1}, dst, 4, {4, 3}, 1, 1), ippStsNoErr);
    const Ipp8u expected[12] = {10, 10, 20, 20, 10, 10, 20, 20, 10, 10, 20, 20};
    EXPECT_EQ(std::memcmp(dst, expected, 12), 0);
}

TEST(IppCopyReplicateBorder, ExactDestinationBlockAtMinimumSizes) {
    // 1x1 source, destination exactly one pixel: nothing to replicate, no byte beyond touched.
    std::vector<Ipp8u> src = {1, 2, 3, 4}, dst(4, 0);
    ASSERT_EQ(ippiCopyReplicateBorder_8u_C4R(src.data(), 1, {1, 1}, dst.data(), 1, {1, 1}, 0, 0), ippStsNoErr);
    EXPECT_EQ(dst, src);
    std::vector<Ipp8u> wide(4 * 6 * 2, 0);
    ASSERT_EQ(ippiCopyReplicateBorder_8u_C4R(src.data(), 4, {1, 1}, wide.data(), 24, {6, 2}, 1, 5), ippStsNoErr);
    for (size_t i = 0; i < wide.size(); ++i) ASSERT_EQ(wide[i], src[i % 4]);
}

TEST(IppCopy, CopiesRowsOfFourBytePixels) {
    const int w = 5, h = 3, srcStep = 24, dstStep = 32;
    auto src = RandomBytes(static_cast<size_t>(srcStep) * h, 1);
    std::vector<Ipp8u> dst(static_cast<size_t>(dstStep) * h, 0xEE);
    ASSERT_EQ(ippiCopy_8u_C4R(src.data(), srcStep, dst.data(), dstStep, {w, h}), ippStsNoErr);
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(std::memcmp(&dst[y * dstStep], &src[y * srcStep], w * 4), 0);
        for (int x = w * 4; x < dstStep; ++x) EXPECT_EQ(dst[y * dstStep + x], 0xEE);
    }
}

TEST(IppCopy, OverlappingRegionsOfOnePictureCopyAsIfThroughATemporary) {
    const int step = 40, rows = 10;
    for (int shiftDown : {-2, -1, 0, 1, 3})
        for (int shiftRight : {-1, 0, 2}) {
            auto picture = RandomBytes(static_cast<size_t>(step) * rows, 9 + shiftDown);
            auto expected = picture;
            const int sy = shiftDown < 0 ? -shiftDown : 0, dy = sy + shiftDown;
            const int sx = shiftRight < 0 ? 1 : 0, dx = sx + shiftRight;
            const IppiSize roi = {6, 6};
            std::vector<Ipp8u> region;
            for (int y = 0; y < roi.height; ++y)
                region.insert(region.end(), picture.begin() + (sy + y) * step + sx * 4,
                              picture.begin() + (sy + y) * step + (sx + roi.width) * 4);
            for (int y = 0; y < roi.height; ++y)
                std::memcpy(&expected[(dy + y) * step + dx * 4], &region[static_cast<size_t>(y) * roi.width * 4],
                            roi.width * 4);
            ASSERT_EQ(ippiCopy_8u_C4R(picture.data() + sy * step + sx * 4, step, picture.data() + dy * step + dx * 4,
                                      step, roi),
                      ippStsNoErr);
            EXPECT_EQ(picture, expected) << shiftDown << "," << shiftRight;
        }
}

TEST(IppCopyChannel, FourToOneAndBack) {
    const int w = 3, h = 2;
    auto src = RandomBytes(w * h * 4, 3);
    std::vector<Ipp8u> plane(static_cast<size_t>(w) * h, 0);
    ASSERT_EQ(ippiCopy_8u_C4C1R(src.data() + 2, w * 4, plane.data(), w, {w, h}), ippStsNoErr);
    for (int i = 0; i < w * h; ++i) EXPECT_EQ(plane[i], src[i * 4 + 2]);

    std::vector<Ipp8u> back(src.size(), 0x55);
    for (Ipp8u& b : plane) b = static_cast<Ipp8u>(b ^ 0xFF);
    ASSERT_EQ(ippiCopy_8u_C1C4R(plane.data(), w, back.data() + 1, w * 4, {w, h}), ippStsNoErr);
    for (int i = 0; i < w * h; ++i) {
        EXPECT_EQ(back[i * 4 + 1], plane[i]);
        EXPECT_EQ(back[i * 4 + 0], 0x55);
        EXPECT_EQ(back[i * 4 + 2], 0x55);
        EXPECT_EQ(back[i * 4 + 3], 0x55);
    }
}

}  // namespace
