// CImageBuffer: an 8-bit pixel rectangle (1 to 4 interleaved channels) that is
// either empty, a view on memory someone else owns, or the owner of a block it
// allocated with rows on 32-byte boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

class CImageBuffer {
public:
    CImageBuffer() = default;
    ~CImageBuffer() { Free(); }

    // An owning buffer cannot be shared: copying would free its block twice.
    CImageBuffer(const CImageBuffer&) = delete;
    CImageBuffer& operator=(const CImageBuffer&) = delete;
    CImageBuffer(CImageBuffer&& other) noexcept;
    CImageBuffer& operator=(CImageBuffer&& other) noexcept;

    // Makes the buffer a view on memory the caller keeps owning. A negative step
    // (rows at decreasing addresses) is turned so that row 0 is the row at the
    // lowest address. Returns true; false (and an empty buffer) only for a channel
    // count outside 1..4 or a step of -2^31, which no view can describe.
    bool Attach(uint8_t* data, int width, int height, int step, int channels);

    // Makes the buffer a view on the rectangle of parent whose top-left pixel is
    // (x, y), with the parent's step and channels. Returns true; false (buffer
    // unchanged) when parent is this buffer and owns its memory, since releasing
    // it would leave the view dangling.
    bool AttachRegion(const CImageBuffer& parent, int x, int y, int width, int height);

    // Makes the buffer the owner of an uninitialised width x height block of
    // channels-byte pixels, each row starting on a 32-byte boundary. False for a
    // width or height below 1, channels outside 1..4, a size that overflows the
    // step or the block, or exhausted memory; the buffer then holds no memory.
    bool Allocate(int width, int height, int channels);

    // Releases owned memory; afterwards the data pointer is null.
    void Free();

    // Channel c of pixel (x, y); no bounds check.
    uint8_t* PixelAt(int x, int y, int channel) const {
        return m_pData + static_cast<ptrdiff_t>(y) * m_nStep + static_cast<ptrdiff_t>(x) * m_nChannels + channel;
    }

    uint8_t* GetData() const { return m_pData; }
    int GetStep() const { return m_nStep; }
    int GetStepPixels() const { return m_nStepPixels; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetChannels() const { return m_nChannels; }
    bool IsOwner() const { return m_bOwner; }

    static constexpr int kRowAlignment = 32;

private:
    void MakeEmpty();

    uint8_t* m_pData = nullptr;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nStep = 0;
    int32_t m_nStepPixels = 0;
    int32_t m_nChannels = 0;
    bool m_bOwner = false;
};

static_assert(std::is_standard_layout_v<CImageBuffer>);
