// The task allocator: memory that one side of the component boundary allocates and
// the other frees. Backed by the C heap; a zero-byte request still yields a distinct
// pointer, as the platform's allocator does.
#include <cstdlib>

#include "platform/com/objidl.h"

extern "C" void* CoTaskMemAlloc(size_t cb) { return std::malloc(cb == 0 ? 1 : cb); }

extern "C" void CoTaskMemFree(void* p) { std::free(p); }
