// Internal to the platform: the seek arithmetic shared by memory and file streams.
#pragma once

#include "platform/com/objidl.h"

// New position for a move from origin; STG_E_INVALIDFUNCTION for an unknown origin
// or a position before the start (or beyond what 63 bits hold). Seeking past the end
// is allowed: a later write fills the gap.
inline HRESULT ComputeSeek(uint64_t current, uint64_t size, LARGE_INTEGER move, DWORD origin, uint64_t* result) {
    int64_t base = 0;
    switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = static_cast<int64_t>(current); break;
    case STREAM_SEEK_END: base = static_cast<int64_t>(size); break;
    default: return STG_E_INVALIDFUNCTION;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, move.QuadPart, &target) || target < 0) return STG_E_INVALIDFUNCTION;
    *result = static_cast<uint64_t>(target);
    return S_OK;
}
