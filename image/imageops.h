// CImageOps: the primitive routines on CImageBuffer objects. Each operation works
// out pointers, steps and the region from the buffers, calls one routine, and
// returns true exactly when that routine succeeded. It keeps no state; a frame
// routine makes one on its stack.
#pragma once

#include "image/imagebuffer.h"

class CImageOps {
public:
    // Copies the source region that starts at (borderX, borderY) and stops
    // borderX / borderY pixels before the source's right / bottom edge to
    // (borderX, borderY) of the destination, and fills the destination around it
    // with its edge pixels. Source and destination may be the same buffer.
    // Both 4-channel or both 1-channel; false otherwise.
    bool CopyReplicateBorder(const CImageBuffer& src, CImageBuffer& dst, int borderX, int borderY) const;

    // Filters all four channels with a size x size single-precision kernel
    // (row-major, true convolution) from source pixel (h, h) to destination pixel
    // (h, h), h = size / 2, over the source size less size rounded down to even.
    // The destination's outer h rows and columns are left as they were.
    bool Convolve(const CImageBuffer& src, CImageBuffer& dst, const float* kernel, int size) const;

    // Copies width x height 4-channel pixels from (srcX, srcY) to (dstX, dstY),
    // clipped to both buffers.
    bool Copy(const CImageBuffer& src, int srcX, int srcY, int width, int height, CImageBuffer& dst, int dstX,
              int dstY) const;

    // Copies one channel between a 4-channel and a 1-channel buffer, over the
    // smaller width and height: 4 -> 1 reads srcChannel, 1 -> 4 writes dstChannel.
    bool CopyChannel(const CImageBuffer& src, CImageBuffer& dst, int srcChannel, int dstChannel) const;

    // Hue, saturation, value of bytes 0..2 into bytes 0..2, and back; byte 3 of
    // the destination untouched. Over the smaller width and height; may run in place.
    bool RgbToHsv(const CImageBuffer& src, CImageBuffer& dst) const;
    bool HsvToRgb(const CImageBuffer& src, CImageBuffer& dst) const;
};
