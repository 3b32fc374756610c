// Storages: a set of named streams, kept in memory or in a file (format in
// storage_format.h).
//
// Sub-streams follow the platform's rules: they must be opened with
// STGM_SHARE_EXCLUSIVE (else STG_E_INVALIDFLAG), and one element can have only one
// stream open at a time (STG_E_ACCESSDENIED for a second). A stream holds a reference
// on its storage, so a file storage is saved when the last reference to the storage or
// to any of its streams goes, and writes made through a stream after the caller
// released the storage still reach the file. Commit saves at once. Saving replaces the
// file atomically; a failure while saving on release goes to the debug channel, since
// Release cannot report it. Two storages open on one file do not see each other's
// changes; the one saved last wins.
#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "platform/com/debug.h"
#include "platform/com/storage_file.h"
#include "platform/com/storage_format.h"
#include "platform/com/stream_memory.h"

namespace {

constexpr DWORD kAccessMask = 0x3;
constexpr DWORD kShareMask = 0x70;

struct Element {
    std::wstring name;
    std::shared_ptr<StreamBytes> bytes;
};

// Checks a sub-stream mode; createAllowed for CreateStream.
HRESULT CheckStreamMode(DWORD mode, bool createAllowed) {
    DWORD known = kAccessMask | kShareMask | (createAllowed ? STGM_CREATE : 0);
    if ((mode & ~known) != 0 || (mode & kAccessMask) == kAccessMask) return STG_E_INVALIDFLAG;
    if ((mode & kShareMask) != STGM_SHARE_EXCLUSIVE) return STG_E_INVALIDFLAG;
    return S_OK;
}

HRESULT CheckName(const wchar_t* name) {
    if (!name) return STG_E_INVALIDPOINTER;
    return IsValidElementName(name) ? S_OK : STG_E_INVALIDNAME;
}

class Storage final : public IStorage, public StreamOwner {
public:
    // path empty: a storage in memory.
    Storage(std::string path, bool writable) : m_path(std::move(path)), m_writable(writable) {}

    HRESULT Load(std::vector<StorageElementImage>&& elements) {
        for (auto& e : elements) {
            auto bytes = std::make_shared<StreamBytes>();
            bytes->data = std::move(e.data);
            std::wstring key = ElementNameKey(e.name);
            m_elements[key] = Element{std::move(e.name), std::move(bytes)};
        }
        return S_OK;
    }

    HRESULT Save() {
        std::lock_guard lock(*m_mutex);
        return SaveLocked();
    }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IStorage) {
            *object = static_cast<IStorage*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) {
            SaveOnRelease();
            delete this;
        }
        return n;
    }

    HRESULT CreateStream(const wchar_t* name, DWORD mode, DWORD, DWORD, IStream** stream) override {
        if (!stream) return STG_E_INVALIDPOINTER;
        *stream = nullptr;
        if (HRESULT hr = CheckName(name); FAILED(hr)) return hr;
        if (HRESULT hr = CheckStreamMode(mode, true); FAILED(hr)) return hr;
        if (!m_writable) return STG_E_ACCESSDENIED;

        std::lock_guard lock(*m_mutex);
        std::wstring key = ElementNameKey(name);
        auto it = m_elements.find(key);
        if (it != m_elements.end()) {
            if (!(mode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
            if (it->second.bytes->open) return STG_E_ACCESSDENIED;
        }
        std::shared_ptr<StreamBytes> bytes;
        try {
            bytes = std::make_shared<StreamBytes>();
            m_elements[key] = Element{name, bytes};
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        m_dirty = true;
        return OpenOn(bytes, mode, stream);
    }

    HRESULT OpenStream(const wchar_t* name, void*, DWORD mode, DWORD, IStream** stream) override {
        if (!stream) return STG_E_INVALIDPOINTER;
        *stream = nullptr;
        if (HRESULT hr = CheckName(name); FAILED(hr)) return hr;
        if (HRESULT hr = CheckStreamMode(mode, false); FAILED(hr)) return hr;
        if (!m_writable && (mode & kAccessMask) != STGM_READ) return STG_E_ACCESSDENIED;

        std::lock_guard lock(*m_mutex);
        auto it = m_elements.find(ElementNameKey(name));
        if (it == m_elements.end()) return STG_E_FILENOTFOUND;
        if (it->second.bytes->open) return STG_E_ACCESSDENIED;
        return OpenOn(it->second.bytes, mode, stream);
    }

    HRESULT Commit(DWORD /*flags*/) override {
        std::lock_guard lock(*m_mutex);
        if (m_path.empty() || !m_writable || !m_dirty) return S_OK;
        return SaveLocked();
    }

    HRESULT DestroyElement(const wchar_t* name) override {
        if (HRESULT hr = CheckName(name); FAILED(hr)) return hr == STG_E_INVALIDNAME ? STG_E_FILENOTFOUND : hr;
        if (!m_writable) return STG_E_ACCESSDENIED;
        std::lock_guard lock(*m_mutex);
        auto it = m_elements.find(ElementNameKey(name));
        if (it == m_elements.end()) return STG_E_FILENOTFOUND;
        // A stream still open on it is dead from now on.
        it->second.bytes->reverted = true;
        m_elements.erase(it);
        m_dirty = true;
        return S_OK;
    }

    // StreamOwner (called with m_mutex held).
    void StreamChanged() override { m_dirty = true; }
    void StreamClosed(StreamBytes& bytes) override { bytes.open = false; }

private:
    ~Storage() = default;

    // Caller holds m_mutex.
    HRESULT OpenOn(const std::shared_ptr<StreamBytes>& bytes, DWORD mode, IStream** stream) {
        MemoryStreamSetup setup;
        setup.mutex = m_mutex;
        setup.bytes = bytes;
        setup.readable = (mode & kAccessMask) != STGM_WRITE;
        setup.writable = (mode & kAccessMask) != STGM_READ;
        setup.mode = mode & ~STGM_CREATE;
        setup.owner = this;
        setup.keepAlive = static_cast<IStorage*>(this);
        HRESULT hr = CreateMemoryStream(setup, stream);
        if (SUCCEEDED(hr)) bytes->open = true;
        return hr;
    }

    // Caller holds m_mutex.
    HRESULT SaveLocked() {
        if (m_path.empty() || !m_writable) return S_OK;
        std::vector<uint8_t> image;
        try {
            std::vector<StorageElementData> elements;
            for (const auto& [key, e] : m_elements) elements.push_back({e.name, &e.bytes->data});
            image = SerializeStorage(elements);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        HRESULT hr = WriteStorageFileAtomically(m_path, image);
        if (SUCCEEDED(hr)) m_dirty = false;
        return hr;
    }

    void SaveOnRelease() {
        std::lock_guard lock(*m_mutex);
        if (m_path.empty() || !m_writable || !m_dirty) return;
        HRESULT hr = SaveLocked();
        if (FAILED(hr)) {
            char line[64];
            std::snprintf(line, sizeof line, " (0x%08X)\n", static_cast<unsigned>(hr));
            OutputDebugStringA(("Storage: could not save " + m_path + line).c_str());
        }
    }

    const std::string m_path;
    const bool m_writable;
    std::shared_ptr<std::mutex> m_mutex = std::make_shared<std::mutex>();
    std::map<std::wstring, Element> m_elements;  // by ElementNameKey
    bool m_dirty = false;
    std::atomic<ULONG> m_refs{1};
};

HRESULT CheckRootMode(DWORD mode, bool creating) {
    DWORD known = kAccessMask | kShareMask | (creating ? STGM_CREATE : 0);
    if ((mode & ~known) != 0 || (mode & kAccessMask) == kAccessMask) return STG_E_INVALIDFLAG;
    // A new file that could only be read would stay empty for ever.
    if (creating && (mode & kAccessMask) == STGM_READ) return STG_E_INVALIDFLAG;
    return S_OK;
}

}  // namespace

HRESULT StgCreateMemoryStorage(IStorage** storage) {
    if (!storage) return STG_E_INVALIDPOINTER;
    *storage = new (std::nothrow) Storage(std::string(), true);
    return *storage ? S_OK : E_OUTOFMEMORY;
}

HRESULT StgCreateStorageFileA(const char* path, DWORD mode, IStorage** storage) {
    if (!storage) return STG_E_INVALIDPOINTER;
    *storage = nullptr;
    if (!path) return STG_E_INVALIDPOINTER;
    if (!*path) return STG_E_INVALIDNAME;
    if (HRESULT hr = CheckRootMode(mode, true); FAILED(hr)) return hr;
    if (!(mode & STGM_CREATE)) {
        if (HRESULT hr = CreateNewStorageFile(path); FAILED(hr)) return hr;
    }
    auto* object = new (std::nothrow) Storage(path, true);
    if (!object) return E_OUTOFMEMORY;
    // The file exists, empty, as soon as the storage does.
    if (HRESULT hr = object->Save(); FAILED(hr)) {
        object->Release();
        return hr;
    }
    *storage = object;
    return S_OK;
}

HRESULT StgOpenStorageFileA(const char* path, DWORD mode, IStorage** storage) {
    if (!storage) return STG_E_INVALIDPOINTER;
    *storage = nullptr;
    if (!path) return STG_E_INVALIDPOINTER;
    if (!*path) return STG_E_INVALIDNAME;
    if (HRESULT hr = CheckRootMode(mode, false); FAILED(hr)) return hr;
    bool writable = (mode & kAccessMask) != STGM_READ;
    std::vector<uint8_t> image;
    if (HRESULT hr = ReadStorageFile(path, writable, &image); FAILED(hr)) return hr;
    std::vector<StorageElementImage> elements;
    try {
        if (!ParseStorage(image, &elements)) return STG_E_INVALIDHEADER;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    auto* object = new (std::nothrow) Storage(path, writable);
    if (!object) return E_OUTOFMEMORY;
    try {
        object->Load(std::move(elements));
    } catch (const std::bad_alloc&) {
        object->Release();
        return E_OUTOFMEMORY;
    }
    *storage = object;
    return S_OK;
}
