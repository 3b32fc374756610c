// Scratch images kept per thread from one call to the next. A band routine that needs
// the same large buffers for every frame takes them from here instead of allocating
// them each time: fresh blocks of that size come from the system as new pages, and
// faulting them in costs about as much as the filtering, and two bands on two threads
// then wait on each other in the kernel. A block grows when a call needs more and is
// given back when its thread ends.
#pragma once

#include "image/imagebuffer.h"

// The number of scratch images a thread keeps (slots 0 .. kScratchSlots - 1).
constexpr int kScratchSlots = 2;

// Makes `view` a width x height image of `channels` channels (rows 32-byte aligned)
// over this thread's block for `slot`; its bytes are whatever the last use left.
// False when the size is invalid or the memory cannot be had (`view` is then empty).
bool AttachScratch(int slot, CImageBuffer& view, int width, int height, int channels);

// This thread's block for `slot`, at least `bytes` long and 32-byte aligned, holding
// whatever the last use left; null when the memory cannot be had.
void* ScratchBytes(int slot, size_t bytes);
