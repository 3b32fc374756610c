#include "framework/bandviews.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

struct ByteSpan {
    uintptr_t first;
    uintptr_t end;
};

// The bytes a region of `rows` rows of `rowBytes` each spans, whichever way its rows run.
ByteSpan SpanOf(const uint8_t* firstRow, ptrdiff_t pitch, int rows, size_t rowBytes) {
    const uintptr_t top = reinterpret_cast<uintptr_t>(firstRow);
    const ptrdiff_t last = static_cast<ptrdiff_t>(rows - 1) * pitch;
    if (pitch >= 0) return {top, top + static_cast<uintptr_t>(last) + rowBytes};
    return {top - static_cast<uintptr_t>(-last), top + rowBytes};
}

bool Overlap(ByteSpan a, ByteSpan b) { return a.first < b.end && b.first < a.end; }

}  // namespace

bool CBandViews::Attach(const CSurfaceReadLock& input, const CSurfaceWriteLock& output, int width, int height,
                        int rowsBefore, int rowsAfter) {
    auto* inFirst = reinterpret_cast<uint8_t*>(input.GetSamples());
    auto* outFirst = reinterpret_cast<uint8_t*>(output.GetSamples());
    const int inPitch = static_cast<int>(input.GetPitchPixels() * 4);
    const int outPitch = static_cast<int>(output.GetPitchPixels() * 4);
    const int inHeight = height + rowsBefore + rowsAfter;
    m_turned = outPitch < 0;
    m_out.Attach(outFirst, width, height, outPitch, 4);
    if (width < 1 || height < 1 || !inFirst || !outFirst) {
        m_in.Attach(inFirst, width, inHeight, inPitch, 4);
        return true;
    }

    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const bool sameRowOrder = (inPitch < 0) == (outPitch < 0);
    const bool shared =
        Overlap(SpanOf(inFirst, inPitch, inHeight, rowBytes), SpanOf(outFirst, outPitch, height, rowBytes));
    if (sameRowOrder && !shared) {
        m_in.Attach(inFirst, width, inHeight, inPitch, 4);
        return true;
    }

    // Row y of the copy is the input row that stands where OUT's row order puts it.
    if (!m_in.Allocate(width, inHeight, 4)) return false;
    for (int y = 0; y < inHeight; ++y) {
        const int sourceRow = m_turned ? inHeight - 1 - y : y;
        std::memcpy(m_in.PixelAt(0, y, 0), inFirst + static_cast<ptrdiff_t>(sourceRow) * inPitch, rowBytes);
    }
    return true;
}
