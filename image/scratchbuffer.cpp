#include "image/scratchbuffer.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

struct Block {
    void* data = nullptr;
    size_t bytes = 0;
    ~Block() { std::free(data); }
};

thread_local Block t_blocks[kScratchSlots];

}  // namespace

void* ScratchBytes(int slot, size_t bytes) {
    if (slot < 0 || slot >= kScratchSlots || bytes > static_cast<uint64_t>(PTRDIFF_MAX)) return nullptr;
    Block& block = t_blocks[slot];
    if (bytes > block.bytes) {
        std::free(block.data);
        block.bytes = 0;
        const size_t rounded = (bytes + CImageBuffer::kRowAlignment - 1) / CImageBuffer::kRowAlignment *
                               CImageBuffer::kRowAlignment;
        block.data = std::aligned_alloc(CImageBuffer::kRowAlignment, rounded);
        if (!block.data) return nullptr;
        block.bytes = rounded;
    }
    return block.data;
}

bool AttachScratch(int slot, CImageBuffer& view, int width, int height, int channels) {
    view.Attach(nullptr, 0, 0, 0, channels);
    if (slot < 0 || slot >= kScratchSlots || width < 1 || height < 1 || channels < 1 || channels > 4) return false;
    const int64_t rowBytes = int64_t{width} * channels;
    const int64_t step = (rowBytes + CImageBuffer::kRowAlignment - 1) / CImageBuffer::kRowAlignment *
                         CImageBuffer::kRowAlignment;
    if (step > INT_MAX) return false;
    const uint64_t bytes = static_cast<uint64_t>(step) * static_cast<uint64_t>(height);
    if (bytes > static_cast<uint64_t>(PTRDIFF_MAX)) return false;
    void* data = ScratchBytes(slot, static_cast<size_t>(bytes));
    return data && view.Attach(static_cast<uint8_t*>(data), width, height, static_cast<int>(step), channels);
}
