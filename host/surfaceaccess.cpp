#include "host/surfaceaccess.h"

#include "host/sampleconvert.h"

CSurfaceAccess::CSurfaceAccess(CMemorySurface* surface, const RECT& region, bool writable)
    : m_surface(static_cast<IDXSurface*>(surface)),
      m_host(surface),
      m_layout(surface->Layout()),
      m_region(region),
      m_writable(writable) {}

HRESULT CSurfaceAccess::InternalQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IDXARGBReadPtr || (m_writable && iid == IID_IDXARGBReadWritePtr)) {
        *object = static_cast<IDXARGBReadWritePtr*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

void CSurfaceAccess::FinalRelease() {
    // Whatever was written through this lock (in place or by PackRect) is now in the
    // surface: its generation advances so that observers see the change.
    if (m_writable) m_host->NoteWritten();
}

HRESULT CSurfaceAccess::GetSurface(REFIID iid, void** surface) {
    if (!surface) return E_POINTER;
    return m_surface->QueryInterface(iid, surface);
}

DXSAMPLE* CSurfaceAccess::SampleAt(LONG x, LONG y) const {
    BYTE* row = m_layout.firstByte + ptrdiff_t(m_region.top + y) * m_layout.pitch;
    return reinterpret_cast<DXSAMPLE*>(row) + (m_region.left + x);
}

DXSAMPLEFORMATENUM CSurfaceAccess::GetNativeType(DXNATIVETYPEINFO* info) {
    if (info) {
        BYTE* first = m_layout.firstByte
                          ? m_layout.firstByte + ptrdiff_t(m_region.top) * m_layout.pitch + ptrdiff_t(m_region.left) * 4
                          : nullptr;
        info->pCurrentData = first;
        info->pFirstByte = first;
        info->lPitch = m_layout.pitch;
        info->dwColorKey = 0;
    }
    return m_layout.format;
}

bool CSurfaceAccess::ContainsRelative(const RECT& r) const {
    LONG w = m_region.right - m_region.left, h = m_region.bottom - m_region.top;
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= w && r.bottom <= h;
}

// The interface gives these operations no result: a descriptor that is null, has no
// samples or reaches outside the locked region is ignored and nothing is touched.
void CSurfaceAccess::UnpackRect(const DXPACKEDRECTDESC* desc) {
    if (!desc || !desc->pSamples || !ContainsRelative(desc->rect)) return;
    LONG width = desc->rect.right - desc->rect.left;
    if (width == 0) return;
    SampleConversion conversion = ConversionBetween(IsPremultipliedFormat(m_layout.format), desc->bPremult != 0);
    DXSAMPLE* dst = desc->pSamples;
    for (LONG y = desc->rect.top; y < desc->rect.bottom; ++y) {
        ConvertSampleRow(SampleAt(desc->rect.left, y), dst, size_t(width), conversion);
        dst += size_t(width) + desc->lRowPadding;
    }
}

void CSurfaceAccess::PackRect(const DXPACKEDRECTDESC* desc) {
    if (!m_writable || !desc || !desc->pSamples || !ContainsRelative(desc->rect)) return;
    LONG width = desc->rect.right - desc->rect.left;
    if (width == 0) return;
    SampleConversion conversion = ConversionBetween(desc->bPremult != 0, IsPremultipliedFormat(m_layout.format));
    const DXSAMPLE* src = desc->pSamples;
    for (LONG y = desc->rect.top; y < desc->rect.bottom; ++y) {
        ConvertSampleRow(src, SampleAt(desc->rect.left, y), size_t(width), conversion);
        src += size_t(width) + desc->lRowPadding;
    }
}
