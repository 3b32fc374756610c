// CImageBuffer: allocation with 32-byte aligned rows (step = width * channels
// rounded up to 32), sizes checked for overflow before allocating, views that
// never free, and negative steps turned so that row 0 is the lowest address.
#include "image/imagebuffer.h"

#include <climits>
#include <cstdlib>
#include <utility>

namespace {

bool ValidChannelCount(int channels) { return channels >= 1 && channels <= 4; }

}  // namespace

CImageBuffer::CImageBuffer(CImageBuffer&& other) noexcept
    : m_pData(std::exchange(other.m_pData, nullptr)),
      m_nWidth(other.m_nWidth),
      m_nHeight(other.m_nHeight),
      m_nStep(other.m_nStep),
      m_nStepPixels(other.m_nStepPixels),
      m_nChannels(other.m_nChannels),
      m_bOwner(std::exchange(other.m_bOwner, false)) {
    other.MakeEmpty();
}

CImageBuffer& CImageBuffer::operator=(CImageBuffer&& other) noexcept {
    if (this != &other) {
        Free();
        m_pData = std::exchange(other.m_pData, nullptr);
        m_nWidth = other.m_nWidth;
        m_nHeight = other.m_nHeight;
        m_nStep = other.m_nStep;
        m_nStepPixels = other.m_nStepPixels;
        m_nChannels = other.m_nChannels;
        m_bOwner = std::exchange(other.m_bOwner, false);
        other.MakeEmpty();
    }
    return *this;
}

void CImageBuffer::MakeEmpty() {
    m_pData = nullptr;
    m_nWidth = m_nHeight = m_nStep = m_nStepPixels = m_nChannels = 0;
    m_bOwner = false;
}

void CImageBuffer::Free() {
    if (m_bOwner && m_pData) std::free(m_pData);
    m_pData = nullptr;
}

bool CImageBuffer::Allocate(int width, int height, int channels) {
    Free();
    m_bOwner = true;
    m_nWidth = width;
    m_nHeight = height;
    m_nChannels = channels;
    m_nStep = 0;
    m_nStepPixels = 0;
    if (width < 1 || height < 1 || !ValidChannelCount(channels)) return false;

    const int64_t rowBytes = int64_t{width} * channels;
    const int64_t step = (rowBytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    if (step > INT_MAX) return false;
    // step < 2^31 and height < 2^31, so the product fits 64 bits; it must also
    // be addressable by a pointer offset.
    const int64_t blockBytes = step * height;
    if (static_cast<uint64_t>(blockBytes) > static_cast<uint64_t>(PTRDIFF_MAX) ||
        static_cast<uint64_t>(blockBytes) > SIZE_MAX)
        return false;

    void* block = std::aligned_alloc(kRowAlignment, static_cast<size_t>(blockBytes));
    if (!block) return false;
    m_pData = static_cast<uint8_t*>(block);
    m_nStep = static_cast<int32_t>(step);
    m_nStepPixels = m_nStep / channels;
    return true;
}

bool CImageBuffer::Attach(uint8_t* data, int width, int height, int step, int channels) {
    Free();
    MakeEmpty();
    if (!ValidChannelCount(channels) || step == INT_MIN) return false;
    if (step < 0) {
        // Rows at decreasing addresses: start from the last one, which is lowest.
        if (data && height > 0) data += static_cast<ptrdiff_t>(height - 1) * step;
        step = -step;
    }
    m_pData = data;
    m_nWidth = width;
    m_nHeight = height;
    m_nStep = step;
    m_nChannels = channels;
    m_nStepPixels = step / channels;
    return true;
}

bool CImageBuffer::AttachRegion(const CImageBuffer& parent, int x, int y, int width, int height) {
    if (&parent == this && m_bOwner && m_pData) return false;
    uint8_t* data = parent.m_pData ? parent.PixelAt(x, y, 0) : nullptr;
    const int step = parent.m_nStep;
    const int channels = parent.m_nChannels;
    const int stepPixels = parent.m_nStepPixels;
    Free();
    m_bOwner = false;
    m_pData = data;
    m_nWidth = width;
    m_nHeight = height;
    m_nStep = step;
    m_nChannels = channels;
    m_nStepPixels = stepPixels;
    return true;
}
