#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "image/imagebuffer.h"

namespace {

bool Aligned32(const void* p) { return reinterpret_cast<uintptr_t>(p) % 32 == 0; }

TEST(ImageBufferAllocate, EveryRowStartsOn32Bytes_AndWholeBlockIsWritable) {
    for (int channels = 1; channels <= 4; ++channels)
        for (int width : {1, 7, 8, 31, 33, 100}) {
            CImageBuffer b;
            ASSERT_TRUE(b.Allocate(width, 5, channels));
            EXPECT_EQ(b.GetStep() % 32, 0);
            EXPECT_GE(b.GetStep(), width * channels);
            EXPECT_LT(b.GetStep(), width * channels + 32);
            for (int y = 0; y < 5; ++y) {
                EXPECT_TRUE(Aligned32(b.PixelAt(0, y, 0)));
                // Touch the last pixel byte of each row: the sanitizer build checks the block is that large.
                *b.PixelAt(width - 1, y, channels - 1) = static_cast<uint8_t>(y);
            }
        }
}

TEST(ImageBufferAllocate, RefusesEmptySizesAndBadChannelCounts) {
    const int refused[][3] = {{0, 5, 4}, {5, 0, 4}, {-3, 5, 4}, {5, 5, 0}, {5, 5, 5}, {5, 5, -1}};
    for (const auto& r : refused) {
        CImageBuffer b;
        EXPECT_FALSE(b.Allocate(r[0], r[1], r[2])) << r[0] << "x" << r[1] << "x" << r[2];
        EXPECT_TRUE(b.GetData() == nullptr && b.GetStep() == 0 && b.GetStepPixels() == 0);
    }
}

TEST(ImageBufferAllocate, SizesThatOverflowTheStepOrBlockFailLikeExhaustedMemory) {
    CImageBuffer b;
    ASSERT_TRUE(b.Allocate(4, 4, 4));
    // width * channels beyond a 32-bit step.
    EXPECT_FALSE(b.Allocate(INT_MAX, 1, 4));
    EXPECT_EQ(b.GetData(), nullptr);
    EXPECT_FALSE(b.Allocate(INT_MAX / 4 + 1, 1, 4));
    // A step that fits, rounded up past the limit.
    EXPECT_FALSE(b.Allocate(INT_MAX - 3, 1, 1));
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizer's allocator aborts on such requests instead of failing
    // A block of step * height bytes that no allocator provides (2^22 * 2^31).
    EXPECT_FALSE(b.Allocate(1 << 20, INT_MAX, 4));
    EXPECT_EQ(b.GetData(), nullptr);
#endif
    EXPECT_EQ(b.GetStep(), 0);
    // The buffer is still usable afterwards.
    EXPECT_TRUE(b.Allocate(2, 2, 1));
}

TEST(ImageBufferAttach, ReleasesOwnedMemoryFirst_AndAViewNeverFrees) {
    CImageBuffer b;
    ASSERT_TRUE(b.Allocate(16, 16, 4));
    std::vector<uint8_t> memory(64);
    ASSERT_TRUE(b.Attach(memory.data(), 4, 4, 16, 1));  // the sanitizer build reports a leak if not freed
    EXPECT_FALSE(b.IsOwner());
    b.Free();
    EXPECT_EQ(b.GetData(), nullptr);
    memory[0] = 1;  // the memory is still the caller's
    // Destroying a view releases nothing either.
    {
        CImageBuffer v;
        v.Attach(memory.data(), 4, 4, 16, 1);
    }
    memory[63] = 2;
}

TEST(ImageBufferAttach, RefusesWhatNoViewCanDescribe) {
    std::vector<uint8_t> memory(16);
    CImageBuffer view;
    EXPECT_FALSE(view.Attach(memory.data(), 4, 4, 4, 0));
    EXPECT_EQ(view.GetData(), nullptr);
    EXPECT_FALSE(view.Attach(memory.data(), 1, 1, INT_MIN, 4));
    EXPECT_EQ(view.GetData(), nullptr);
}

TEST(ImageBufferAttachRegion, OfAnEmptyParentIsAnEmptyView_AndAnOwnerCannotViewItself) {
    CImageBuffer empty, view;
    ASSERT_TRUE(view.AttachRegion(empty, 2, 2, 1, 1));
    EXPECT_EQ(view.GetData(), nullptr);

    CImageBuffer owner;
    ASSERT_TRUE(owner.Allocate(8, 8, 1));
    uint8_t* data = owner.GetData();
    EXPECT_FALSE(owner.AttachRegion(owner, 1, 1, 2, 2));
    EXPECT_EQ(owner.GetData(), data);
    EXPECT_TRUE(owner.IsOwner());

    // A view (here narrowing itself) keeps its parent's step and owns nothing.
    CImageBuffer self;
    self.AttachRegion(owner, 0, 0, 8, 8);
    ASSERT_TRUE(self.AttachRegion(self, 2, 3, 4, 4));
    EXPECT_EQ(self.GetData(), owner.PixelAt(2, 3, 0));
    EXPECT_TRUE(self.GetStepPixels() == owner.GetStepPixels() && !self.IsOwner());
}

TEST(ImageBufferMove, TransfersOwnership) {
    CImageBuffer a;
    ASSERT_TRUE(a.Allocate(5, 5, 2));
    uint8_t* data = a.GetData();
    CImageBuffer b(std::move(a));
    EXPECT_EQ(b.GetData(), data);
    EXPECT_TRUE(b.IsOwner());
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_FALSE(a.IsOwner());
    CImageBuffer c;
    ASSERT_TRUE(c.Allocate(1, 1, 1));
    c = std::move(b);  // c's own block is released first
    EXPECT_EQ(c.GetData(), data);
    EXPECT_EQ(c.GetStep(), 32);
}

}  // namespace
