// The module-wide byte that is set while an eyedropper samples the screen. The
// pages write it; the band steps (framework/bandsteps.h) read it without a lock (relaxed order) and,
// while it is set, pass their input through unchanged.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<uint8_t> g_bDropperActive;

inline bool IsDropperActive() { return g_bDropperActive.load(std::memory_order_relaxed) != 0; }
