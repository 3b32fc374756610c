// Shared pieces of the plug-in template and persistence tests: the module's string
// table made answerable for the effects' string module, effect objects created as a
// host creates them, a counting change sink, a page window on the test thread's
// message queue, memory streams and streams that fail.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "sdk/plugininterfaces.h"
#include "tests/effects/effect_harness.h"
#include "platform/com/kit/module.h"
#include "platform/com/object.h"
#include "platform/com/objidl.h"
#include "platform/ui/resource.h"
#include "platform/ui/winuser.h"
#include "resources/stringtable.h"
#include "tests/support/recording_window.h"

namespace template_test {

// Makes the module's string table answer for the handle the effects record as their
// string module, for the lifetime of the object.
class ModuleStrings {
public:
    explicit ModuleStrings(bool withStrings = true) : m_previous(ComModule::Instance()) {
        static const ModuleResources resources{g_moduleStringTable, g_moduleStringTableSize, nullptr, 0};
        ComModule::Init(Handle());
        if (withStrings)
            RegisterModuleResources(Handle(), &resources);
        else
            UnregisterModuleResources(Handle());
    }
    ~ModuleStrings() {
        UnregisterModuleResources(Handle());
        ComModule::Init(m_previous);
    }
    static HINSTANCE Handle() { return reinterpret_cast<HINSTANCE>(0x7e5f0001); }

private:
    HINSTANCE m_previous;
};

// Creates an effect (or a test subclass of one) alone, as a class factory does.
template <class Effect>
ComPtr<IUnknown> CreateEffect() {
    ComPtr<IUnknown> unknown;
    HRESULT hr = CreateComInstance<Effect>(nullptr, IID_IUnknown, unknown.ReleaseAndGetVoidAddress());
    EXPECT_EQ(hr, S_OK);
    return unknown;
}

template <class I>
ComPtr<I> Query(const ComPtr<IUnknown>& object) {
    ComPtr<I> result;
    EXPECT_EQ(object.As(&result), S_OK);
    return result;
}

template <class T>
ComPtr<ISfExchangeProps<T>> Exchange(const ComPtr<IUnknown>& object) {
    return Query<ISfExchangeProps<T>>(object);
}

template <class T>
T PropsOf(const ComPtr<IUnknown>& object) {
    T record;
    std::memset(&record, 0xEE, sizeof record);
    EXPECT_EQ(Exchange<T>(object)->GetProps(&record), S_OK);
    return record;
}

template <class T>
bool SameBytes(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof(T)) == 0; }

// A record whose every byte, padding included, is (seed + i) & 0xFF.
template <class T>
T PatternRecord(int seed) {
    T record;
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<unsigned char>((seed + static_cast<int>(i) * 7) & 0xFF);
    return record;
}

// A test's own object answering for interface I (and the interfaces in Also, which I
// derives from) alone.
template <class I, class... Also>
class TestObject : public ComObjectRoot, public I {
public:
    using Interface = I;
    static REFIID PrimaryInterfaceId() { return __uuidof(I); }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid != __uuidof(I) && ((iid != __uuidof(Also)) && ...)) return E_NOINTERFACE;
        *object = static_cast<I*>(this);
        return S_OK;
    }
};

// Creates a test object, handing out its interface and, in `raw`, the object itself.
template <class T>
ComPtr<typename T::Interface> MakeTestObject(T** raw) {
    ComPtr<typename T::Interface> object;
    EXPECT_EQ(CreateComInstance<T>(nullptr, __uuidof(typename T::Interface), object.ReleaseAndGetVoidAddress()), S_OK);
    *raw = static_cast<T*>(object.Get());
    return object;
}

// ---- the host's change sink ------------------------------------------------------------

class CountingChangeSink : public TestObject<ISfChangeSink> {
public:
    HRESULT OnChange() override {
        ++calls;
        return E_FAIL;  // the effect ignores the result
    }
    std::atomic<int> calls{0};
};

// ---- the page: a recording window on this thread's message queue -------------------

class PageWindow {
public:
    PageWindow() : m_hwnd(testsupport::MakeRecordingWindow(nullptr, 0, {0, 0, 10, 10}, 0)) {
        EXPECT_NE(m_hwnd, nullptr);
        testsupport::ForgetSeenMessages();  // what creating the window sent
    }
    ~PageWindow() { DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }

    // Dispatches the window's pending messages and counts the WM_COMMANDs with wParam
    // command (any other message it was sent or posted meanwhile counts as other).
    int TakeCommands(UINT command) {
        MSG msg{};
        while (PeekMessageA(&msg, m_hwnd, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        int count = 0;
        for (const auto& seen : testsupport::SeenBy(m_hwnd)) {
            if (seen.message == WM_COMMAND && seen.wParam == command && seen.lParam == 0) ++count;
            else ++m_other;
        }
        testsupport::ForgetSeenMessages();
        return count;
    }
    int OtherMessages() const { return m_other; }

private:
    HWND m_hwnd = nullptr;
    int m_other = 0;
};

// ---- streams ---------------------------------------------------------------------------

inline ComPtr<IStream> MemoryStream(const void* bytes = nullptr, size_t size = 0) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()), S_OK);
    if (size) {
        ULONG written = 0;
        EXPECT_EQ(stream->Write(bytes, static_cast<ULONG>(size), &written), S_OK);
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    }
    return stream;
}

template <class T>
ComPtr<IStream> StreamOf(const T& record) { return MemoryStream(&record, sizeof record); }

// Everything in the stream, from its start.
inline std::vector<unsigned char> StreamBytes(IStream* stream) {
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    std::vector<unsigned char> bytes;
    unsigned char chunk[64];
    for (;;) {
        ULONG read = 0;
        HRESULT hr = stream->Read(chunk, sizeof chunk, &read);
        bytes.insert(bytes.end(), chunk, chunk + read);
        if (FAILED(hr) || read == 0) break;
    }
    return bytes;
}

template <class T>
std::vector<unsigned char> BytesOf(const T& record) {
    const auto* p = reinterpret_cast<const unsigned char*>(&record);
    return {p, p + sizeof(T)};
}

// A stream whose reads and writes fail with a chosen code, counting the calls.
class FailingStream : public TestObject<IStream, ISequentialStream> {
public:
    HRESULT Read(void* buffer, ULONG cb, ULONG* read) override {
        ++reads;
        // A failing read may still have stored part of the record.
        std::memset(buffer, 0x5A, cb / 2);
        if (read) *read = cb / 2;
        return code;
    }
    HRESULT Write(const void*, ULONG, ULONG* written) override {
        ++writes;
        if (written) *written = 0;
        return code;
    }
    HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return code; }
    HRESULT SetSize(ULARGE_INTEGER) override { return code; }
    HRESULT Commit(DWORD) override { return code; }
    HRESULT Stat(STATSTG*, DWORD) override { return code; }

    HRESULT code = STG_E_READFAULT;
    int reads = 0;
    int writes = 0;
};

inline ComPtr<IStream> MakeFailingStream(HRESULT code, FailingStream** raw = nullptr) {
    FailingStream* failing = nullptr;
    ComPtr<IStream> stream = MakeTestObject(&failing);
    failing->code = code;
    if (raw) *raw = failing;
    return stream;
}

}  // namespace template_test
