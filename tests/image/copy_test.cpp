// The copies' own rules: the border filled in place as out of place, and overlapping
// copies as if through a temporary. The border's pixels: the image ops' tests; plain
// and channel copies are pinned by the identity digests (tests/identity).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/ippi.h"
#include "tests/support/pictures.h"

namespace {

using testsupport::RandomBytes;

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
                        EXPECT_EQ(testsupport::Digest(inPlace.data(), step, H, W * channels),
                                  testsupport::Digest(outOfPlace.data(), step, H, W * channels))
                            << channels << " channels, " << W << "x" << H << " L" << L << " T" << T;
                        // Padding after each row is nobody's business: untouched.
                        for (int y = 0; y < H; ++y) EXPECT_EQ(outOfPlace[static_cast<size_t>(y) * step + W * channels], 0xAB);
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

}  // namespace
