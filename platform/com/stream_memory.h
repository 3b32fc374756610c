// Internal to the platform: the memory stream, shared by the stand-alone stream on
// memory and by the streams a storage hands out over its elements.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/com/objidl.h"

// The bytes of one stream. Guarded by the mutex its owner hands to every stream over it.
struct StreamBytes {
    std::vector<uint8_t> data;
    bool open = false;      // a stream is open on it (storage elements allow one at a time)
    bool reverted = false;  // the element was destroyed: the open stream is dead
};

// Told about changes, so a storage knows it must be saved and when an element is free.
// Both are called with the streams' mutex held.
class StreamOwner {
public:
    virtual void StreamChanged() = 0;
    virtual void StreamClosed(StreamBytes& bytes) = 0;

protected:
    ~StreamOwner() = default;
};

struct MemoryStreamSetup {
    std::shared_ptr<std::mutex> mutex;
    std::shared_ptr<StreamBytes> bytes;
    bool readable = true;
    bool writable = true;
    DWORD mode = STGM_READWRITE;  // reported by Stat
    StreamOwner* owner = nullptr;  // kept alive through keepAlive
    IUnknown* keepAlive = nullptr; // counted while the stream lives
};

// A stream over bytes in memory. Reads shorter than asked return S_OK with the short
// count (also at the end, where the count is 0), as the platform's memory streams do.
HRESULT CreateMemoryStream(const MemoryStreamSetup& setup, IStream** stream);
