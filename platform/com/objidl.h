// Streams, storages, property bags, persistence interfaces and the task allocator.
#pragma once

#include <string>

#include "platform/com/unknown.h"

QUILLET_INTERFACE_ID(ISequentialStream, "0C733A30-2A1C-11CE-ADE5-00AA0044773D");
QUILLET_INTERFACE_ID(IStream, "0000000C-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(IStorage, "0000000B-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(IPersist, "0000010C-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(IPersistStream, "00000109-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(IPersistStreamInit, "7FD52380-4E07-101B-AE2D-08002B2EC713");
QUILLET_INTERFACE_ID(IPersistStorage, "0000010A-0000-0000-C000-000000000046");
QUILLET_INTERFACE_ID(IPersistPropertyBag, "37D84F60-42CB-11CE-8135-00AA004BB851");
QUILLET_INTERFACE_ID(IPropertyBag, "55272A00-42CB-11CE-8135-00AA004BB851");
QUILLET_INTERFACE_ID(IErrorLog, "3127CA40-446E-11CE-8135-00AA004BB851");
QUILLET_INTERFACE_ID(ISpecifyPropertyPages, "B196B28B-BAB4-101A-B69C-00AA00341D07");
QUILLET_INTERFACE_ID(IObjectSafety, "CB5BDC81-93C1-11CF-8F20-00805F2CD064");

// Storage and stream modes.
constexpr DWORD STGM_READ = 0x0;
constexpr DWORD STGM_WRITE = 0x1;
constexpr DWORD STGM_READWRITE = 0x2;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x40;
constexpr DWORD STGM_SHARE_DENY_READ = 0x30;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x20;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
constexpr DWORD STGM_CREATE = 0x1000;
constexpr DWORD STGM_FAILIFTHERE = 0x0;

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

struct STATSTG {
    ULARGE_INTEGER cbSize;
    DWORD grfMode;
};

struct ISequentialStream : IUnknown {
    // Reads up to cb bytes; *read (when given) receives the count. Reading past the
    // end is not an error: fewer bytes come back. Memory and storage streams then
    // answer S_OK (also with a count of 0 at the end), file streams S_FALSE; callers
    // that need an exact size compare the count.
    virtual HRESULT Read(void* buffer, ULONG cb, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG cb, ULONG* written) = 0;
};

struct IStream : ISequentialStream {
    virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};

struct IStorage : IUnknown {
    virtual HRESULT CreateStream(const wchar_t* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                 IStream** stream) = 0;
    virtual HRESULT OpenStream(const wchar_t* name, void* reserved1, DWORD mode, DWORD reserved2,
                               IStream** stream) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT DestroyElement(const wchar_t* name) = 0;
};

struct IErrorLog : IUnknown {};

// Property values travel as text here: no effect stores properties in a bag.
struct IPropertyBag : IUnknown {
    virtual HRESULT Read(const wchar_t* name, std::wstring* value, IErrorLog* log) = 0;
    virtual HRESULT Write(const wchar_t* name, const std::wstring& value) = 0;
};

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* id) = 0;
};

struct IPersistStreamInit : IPersist {
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) = 0;
    virtual HRESULT InitNew() = 0;
};

struct IPersistStorage : IPersist {
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT InitNew(IStorage* storage) = 0;
    virtual HRESULT Load(IStorage* storage) = 0;
    virtual HRESULT Save(IStorage* storage, BOOL sameAsLoad) = 0;
    virtual HRESULT SaveCompleted(IStorage* storage) = 0;
    virtual HRESULT HandsOffStorage() = 0;
};

struct IPersistPropertyBag : IPersist {
    virtual HRESULT InitNew() = 0;
    virtual HRESULT Load(IPropertyBag* bag, IErrorLog* log) = 0;
    virtual HRESULT Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) = 0;
};

struct CAUUID {
    ULONG cElems;
    GUID* pElems;
};

struct ISpecifyPropertyPages : IUnknown {
    virtual HRESULT GetPages(CAUUID* pages) = 0;
};

constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;

struct IObjectSafety : IUnknown {
    virtual HRESULT GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) = 0;
    virtual HRESULT SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) = 0;
};

// The task allocator: memory handed across the component boundary.
extern "C" void* CoTaskMemAlloc(size_t cb);
extern "C" void CoTaskMemFree(void* p);

// Stream and storage objects of the platform.
// A growable stream in memory (the platform's stream on global memory).
HRESULT CreateStreamOnHGlobal(void* reserved, BOOL deleteOnRelease, IStream** stream);
// A stream over a file; mode STGM_READ opens an existing file, STGM_CREATE|STGM_WRITE
// creates or truncates one. Missing files give STG_E_FILENOTFOUND.
HRESULT SHCreateStreamOnFileA(const char* path, DWORD mode, IStream** stream);
// A storage kept in memory, and one kept in a file (committed on Commit and on release).
HRESULT StgCreateMemoryStorage(IStorage** storage);
HRESULT StgCreateStorageFileA(const char* path, DWORD mode, IStorage** storage);
HRESULT StgOpenStorageFileA(const char* path, DWORD mode, IStorage** storage);
