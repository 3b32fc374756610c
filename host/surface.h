// In-memory surfaces of the host stand-in: 32-bit B, G, R, A samples, premultiplied
// (DXPF_PMARGB32) or straight (DXPF_ARGB32), behind IDXSurface.
//
// Bounds are discrete: x in [0, width), y in [0, height), z and t in [0, 1).
// LockSurface(bounds or null for the whole surface, timeOut, flags, iid, out, genId):
//   - bounds must be discrete and lie inside the surface (else E_INVALIDARG);
//   - flags DXLOCKF_READ or DXLOCKF_READWRITE (other bits: E_INVALIDARG);
//   - iid IDXARGBReadPtr (any flags) or IDXARGBReadWritePtr (needs DXLOCKF_READWRITE,
//     else E_INVALIDARG); any other iid: E_NOINTERFACE.
// The access object answers GetNativeType with the first byte of the locked region and
// the surface pitch, converts in UnpackRect / PackRect between the native and the
// requested premultiplication (rounding in host/sampleconvert.h), and unlocks when
// released. Releasing a read-write lock advances the surface's generation id.
// Locks take no surface-wide lock: several threads may hold locks of disjoint regions
// at once (the caller keeps concurrent writes disjoint).
#pragma once

#include "platform/dx/dxtrans.h"

// A zero-filled surface of width x height samples (either may be 0); pitch width * 4.
// Negative sizes or another format: E_INVALIDARG; null out: E_POINTER; a size whose
// byte count overflows or cannot be allocated: E_OUTOFMEMORY.
HRESULT CreateMemorySurface(LONG width, LONG height, DXSAMPLEFORMATENUM format, IDXSurface** out);

// A surface over memory the caller owns and keeps alive for the surface's life (no
// copy). firstByte is the first byte of the top row; pitch is the signed distance from
// one row to the next (negative: rows at decreasing addresses), |pitch| >= width * 4.
HRESULT CreateSurfaceOnMemory(BYTE* firstByte, LONG width, LONG height, LONG pitch, DXSAMPLEFORMATENUM format,
                              IDXSurface** out);

// Host-side raw access to a surface made by this stand-in: the first byte of the top
// row and the pitch. A surface of another origin: E_INVALIDARG.
HRESULT GetSurfaceMemory(IDXSurface* surface, BYTE** firstByte, LONG* pitch);

// A display-surface object (IDirectDrawSurface) around a surface of this stand-in; the
// surface factory's CreateFromDDSurface turns it back into that IDXSurface.
HRESULT CreateDisplaySurface(IDXSurface* inner, IUnknown** out);
