// A growable stream in memory, and the platform's CreateStreamOnHGlobal over it.
//
// Reads shorter than asked (also at or beyond the end) return S_OK with the short
// count: that is how the platform's memory streams answer, so callers that need an
// exact size must compare the count. Writing past the end grows the stream, filling
// any gap left by a seek with zero bytes. The size is limited to what a 32-bit count
// of a single Read or Write can address in total (4 GiB - 1), as on the platform.
#include "platform/com/stream_memory.h"

#include <atomic>
#include <cstring>
#include <new>

#include "platform/com/stream_seek.h"

namespace {

constexpr uint64_t kMaximumSize = 0xFFFFFFFFull;

class MemoryStream final : public IStream {
public:
    explicit MemoryStream(const MemoryStreamSetup& setup) : m_setup(setup) {
        if (m_setup.keepAlive) m_setup.keepAlive->AddRef();
    }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }

    HRESULT Read(void* buffer, ULONG cb, ULONG* read) override {
        if (read) *read = 0;
        if (!buffer && cb) return STG_E_INVALIDPOINTER;
        if (!m_setup.readable) return STG_E_ACCESSDENIED;
        std::lock_guard lock(*m_setup.mutex);
        if (m_setup.bytes->reverted) return STG_E_REVERTED;
        const auto& data = m_setup.bytes->data;
        uint64_t available = m_position < data.size() ? data.size() - m_position : 0;
        ULONG n = static_cast<ULONG>(available < cb ? available : cb);
        if (n) std::memcpy(buffer, data.data() + m_position, n);
        m_position += n;
        if (read) *read = n;
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG cb, ULONG* written) override {
        if (written) *written = 0;
        if (!buffer && cb) return STG_E_INVALIDPOINTER;
        if (!m_setup.writable) return STG_E_ACCESSDENIED;
        std::lock_guard lock(*m_setup.mutex);
        if (m_setup.bytes->reverted) return STG_E_REVERTED;
        if (cb == 0) return S_OK;
        uint64_t end = m_position + cb;
        if (end > kMaximumSize) return STG_E_MEDIUMFULL;
        auto& data = m_setup.bytes->data;
        try {
            if (end > data.size()) data.resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        std::memcpy(data.data() + m_position, buffer, cb);
        m_position = end;
        if (written) *written = cb;
        if (m_setup.owner) m_setup.owner->StreamChanged();
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
        std::lock_guard lock(*m_setup.mutex);
        if (m_setup.bytes->reverted) return STG_E_REVERTED;
        uint64_t position = 0;
        HRESULT hr = ComputeSeek(m_position, m_setup.bytes->data.size(), move, origin, &position);
        if (FAILED(hr)) return hr;
        m_position = position;
        if (newPosition) newPosition->QuadPart = position;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override {
        if (!m_setup.writable) return STG_E_ACCESSDENIED;
        if (size.QuadPart > kMaximumSize) return STG_E_MEDIUMFULL;
        std::lock_guard lock(*m_setup.mutex);
        if (m_setup.bytes->reverted) return STG_E_REVERTED;
        try {
            m_setup.bytes->data.resize(static_cast<size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (m_setup.owner) m_setup.owner->StreamChanged();
        return S_OK;
    }

    HRESULT Commit(DWORD /*flags*/) override {
        std::lock_guard lock(*m_setup.mutex);
        return m_setup.bytes->reverted ? STG_E_REVERTED : S_OK;
    }

    HRESULT Stat(STATSTG* stat, DWORD /*flags*/) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        std::lock_guard lock(*m_setup.mutex);
        if (m_setup.bytes->reverted) return STG_E_REVERTED;
        stat->cbSize.QuadPart = m_setup.bytes->data.size();
        stat->grfMode = m_setup.mode;
        return S_OK;
    }

private:
    ~MemoryStream() {
        if (m_setup.owner) {
            std::lock_guard lock(*m_setup.mutex);
            m_setup.owner->StreamClosed(*m_setup.bytes);
        }
        if (m_setup.keepAlive) m_setup.keepAlive->Release();
    }

    MemoryStreamSetup m_setup;
    uint64_t m_position = 0;
    std::atomic<ULONG> m_refs{1};
};

}  // namespace

HRESULT CreateMemoryStream(const MemoryStreamSetup& setup, IStream** stream) {
    if (!stream) return STG_E_INVALIDPOINTER;
    *stream = nullptr;
    if (!setup.mutex || !setup.bytes) return E_INVALIDARG;
    auto* object = new (std::nothrow) MemoryStream(setup);
    if (!object) return E_OUTOFMEMORY;
    *stream = object;
    return S_OK;
}

// The memory handle of the platform has no counterpart here: only a null handle
// (a new, empty stream) is accepted. The stream always owns its memory, so
// deleteOnRelease changes nothing.
HRESULT CreateStreamOnHGlobal(void* memoryHandle, BOOL /*deleteOnRelease*/, IStream** stream) {
    if (!stream) return E_INVALIDARG;
    *stream = nullptr;
    if (memoryHandle) return E_INVALIDARG;
    MemoryStreamSetup setup;
    try {
        setup.mutex = std::make_shared<std::mutex>();
        setup.bytes = std::make_shared<StreamBytes>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    setup.bytes->open = true;
    return CreateMemoryStream(setup, stream);
}
