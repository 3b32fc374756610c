// CImageOps: region rules between CImageBuffer objects and the primitive
// routines. Beyond what the routines check, it refuses what would make them
// reach outside a buffer: origins outside the buffer, channel indices outside
// 0..3, a channel count the routine does not work on, a destination smaller
// than the region written into it.
#include "image/imageops.h"

#include <algorithm>

#include "image/ippi.h"

namespace {

// Pointer to pixel (x, y) of buf, or null when the buffer is empty or the pixel
// lies outside it (the routine then refuses with its null-pointer status).
const Ipp8u* PixelInside(const CImageBuffer& buf, int x, int y) {
    if (!buf.GetData() || x < 0 || y < 0 || x >= buf.GetWidth() || y >= buf.GetHeight()) return nullptr;
    return buf.PixelAt(x, y, 0);
}

Ipp8u* PixelInside(CImageBuffer& buf, int x, int y) {
    return const_cast<Ipp8u*>(PixelInside(static_cast<const CImageBuffer&>(buf), x, y));
}

bool HasChannels(const CImageBuffer& buf, int channels) { return buf.GetChannels() == channels; }

IppiSize CommonSize(const CImageBuffer& a, const CImageBuffer& b) {
    return {std::min(a.GetWidth(), b.GetWidth()), std::min(a.GetHeight(), b.GetHeight())};
}

}  // namespace

bool CImageOps::CopyReplicateBorder(const CImageBuffer& src, CImageBuffer& dst, int borderX, int borderY) const {
    const bool fourChannels = HasChannels(src, 4) && HasChannels(dst, 4);
    const bool oneChannel = HasChannels(src, 1) && HasChannels(dst, 1);
    if (!fourChannels && !oneChannel) return false;

    const IppiSize srcRoi = {static_cast<int>(int64_t{src.GetWidth()} - 2 * int64_t{borderX}),
                             static_cast<int>(int64_t{src.GetHeight()} - 2 * int64_t{borderY})};
    if (borderX < 0 || borderY < 0 || srcRoi.width < 1 || srcRoi.height < 1) return false;
    const Ipp8u* pSrc = PixelInside(src, borderX, borderY);
    const IppiSize dstRoi = {dst.GetWidth(), dst.GetHeight()};
    Ipp8u* pDst = PixelInside(dst, 0, 0);
    const auto routine = fourChannels ? ippiCopyReplicateBorder_8u_C4R : ippiCopyReplicateBorder_8u_C1R;
    return routine(pSrc, src.GetStep(), srcRoi, pDst, dst.GetStep(), dstRoi, borderY, borderX) == ippStsNoErr;
}

bool CImageOps::Convolve(const CImageBuffer& src, CImageBuffer& dst, const float* kernel, int size) const {
    if (!HasChannels(src, 4) || !HasChannels(dst, 4) || size < 1) return false;
    const int h = size / 2;
    const int even = size & ~1;
    // The region comes from the source; it is clipped to the destination so that
    // a smaller destination is never written past its edge.
    const IppiSize common = CommonSize(src, dst);
    const IppiSize roi = {common.width - even, common.height - even};
    if (roi.width < 1 || roi.height < 1) return false;
    return ippiFilter32f_8u_C4R(PixelInside(src, h, h), src.GetStep(), PixelInside(dst, h, h), dst.GetStep(), roi,
                                kernel, IppiSize{size, size}, IppiPoint{h, h}) == ippStsNoErr;
}

bool CImageOps::Copy(const CImageBuffer& src, int srcX, int srcY, int width, int height, CImageBuffer& dst,
                     int dstX, int dstY) const {
    if (!HasChannels(src, 4) || !HasChannels(dst, 4)) return false;
    const IppiSize roi = {
        static_cast<int>(std::min({int64_t{width}, int64_t{src.GetWidth()} - srcX, int64_t{dst.GetWidth()} - dstX})),
        static_cast<int>(
            std::min({int64_t{height}, int64_t{src.GetHeight()} - srcY, int64_t{dst.GetHeight()} - dstY}))};
    if (roi.width < 1 || roi.height < 1) return false;
    return ippiCopy_8u_C4R(PixelInside(src, srcX, srcY), src.GetStep(), PixelInside(dst, dstX, dstY), dst.GetStep(),
                           roi) == ippStsNoErr;
}

bool CImageOps::CopyChannel(const CImageBuffer& src, CImageBuffer& dst, int srcChannel, int dstChannel) const {
    const IppiSize roi = CommonSize(src, dst);
    if (HasChannels(src, 4) && HasChannels(dst, 1)) {
        if (srcChannel < 0 || srcChannel > 3) return false;
        const Ipp8u* pSrc = PixelInside(src, 0, 0);
        return ippiCopy_8u_C4C1R(pSrc ? pSrc + srcChannel : nullptr, src.GetStep(), PixelInside(dst, 0, 0),
                                 dst.GetStep(), roi) == ippStsNoErr;
    }
    if (HasChannels(src, 1) && HasChannels(dst, 4)) {
        if (dstChannel < 0 || dstChannel > 3) return false;
        Ipp8u* pDst = PixelInside(dst, 0, 0);
        return ippiCopy_8u_C1C4R(PixelInside(src, 0, 0), src.GetStep(), pDst ? pDst + dstChannel : nullptr,
                                 dst.GetStep(), roi) == ippStsNoErr;
    }
    return false;
}

bool CImageOps::RgbToHsv(const CImageBuffer& src, CImageBuffer& dst) const {
    if (!HasChannels(src, 4) || !HasChannels(dst, 4)) return false;
    return ippiRGBToHSV_8u_AC4R(PixelInside(src, 0, 0), src.GetStep(), PixelInside(dst, 0, 0), dst.GetStep(),
                                CommonSize(src, dst)) == ippStsNoErr;
}

bool CImageOps::HsvToRgb(const CImageBuffer& src, CImageBuffer& dst) const {
    if (!HasChannels(src, 4) || !HasChannels(dst, 4)) return false;
    return ippiHSVToRGB_8u_AC4R(PixelInside(src, 0, 0), src.GetStep(), PixelInside(dst, 0, 0), dst.GetStep(),
                                CommonSize(src, dst)) == ippStsNoErr;
}
