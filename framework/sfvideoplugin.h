// CSFVideoPlugin<T>: the part of every effect object that owns its parameter record
// T and exposes it to the host and to the property page: named presets, the plug-in
// information block, keyframe interpolation and record streaming, whole-record
// exchange with the page, and the record as the object's stored state.
//
// Locking: m_csProps (recursive) guards m_props, the two keys, m_frameProps, the
// page window and the change sink; it is held only for record copies. The page is
// told by a posted WM_COMMAND, which never waits, so posting under the lock is safe.
//
// Frames: each band of a frame calls TakeFrameSnapshot() at its start and then reads
// only its own copy (FrameProps()). The copy lives in a per-thread slot, so bands of
// one frame running on several threads never overwrite each other's record.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <type_traits>

#include "sdk/plugininterfaces.h"
#include "platform/com/objidl.h"
#include "platform/ui/resource.h"
#include "platform/ui/winuser.h"

namespace sfvideoplugin_detail {
// Each plug-in object gets a number of its own, so that a thread's snapshot slot can
// tell whose record it holds (addresses are reused after an object dies).
uint64_t NextPluginSerial();
// Converts ANSI text to wide characters (the current locale's multibyte conversion;
// bytes it cannot convert are taken as Latin-1) into at most capacity characters,
// the terminator included. Returns the number of characters before the terminator.
size_t AnsiToWide(const char* text, wchar_t* out, size_t capacity);
}  // namespace sfvideoplugin_detail

// Result codes for a record that could not be moved whole: the stream reported
// success but ended (or accepted fewer bytes) before sizeof(T) bytes.
constexpr HRESULT kRecordReadFault = STG_E_READFAULT;
constexpr HRESULT kRecordWriteFault = STG_E_WRITEFAULT;

// Longest preset name loaded from the string table, terminator included.
constexpr int kPresetNameBufferSize = 260;

template <class T>
class CSFVideoPlugin : public IStaticFilterPreset,
                       public ISfVideoPluginExtension,
                       public IDXTSfAutomation,
                       public ISfExchangeProps<T>,
                       public IPersistStreamInit {
    static_assert(std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>,
                  "a parameter record is copied and stored as plain bytes");

public:
    using Props = T;

    CSFVideoPlugin(const T* presetTable, HINSTANCE stringModule, UINT firstPresetStringId, int presetCount,
                   const CLSID* clsid)
        : m_pPresetTable(presetTable),
          m_nFirstPresetStringId(firstPresetStringId),
          m_nPresetCount(presetCount < 0 ? 0 : presetCount),
          m_hStringModule(stringModule),
          m_pClsid(clsid),
          m_serial(sfvideoplugin_detail::NextPluginSerial()) {
        std::memset(&m_info, 0, sizeof m_info);
        m_info.version = 2;
        m_info.unit = 1.0;
        m_info.requiredInputs = 1;
        m_info.maxInputs = 1;
        m_info.effectCode = 0;
        std::memset(&m_props, 0, sizeof m_props);
        if (m_nPresetCount >= 1) ApplyPreset(0);
        // Keys start as the constructed record, so interpolating before any
        // SetKeyframes shows that record rather than zeros.
        CopyProps(&m_keyFrom, &m_props);
        CopyProps(&m_keyTo, &m_props);
        CopyProps(&m_frameProps, &m_props);
    }
    CSFVideoPlugin(const CSFVideoPlugin&) = delete;
    CSFVideoPlugin& operator=(const CSFVideoPlugin&) = delete;

    // ---- IStaticFilterPreset ----------------------------------------------------------

    HRESULT GetPresetCount(ULONG* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<ULONG>(m_nPresetCount);
        return S_OK;
    }

    // The name is always terminated; a capacity below the name's length truncates it.
    HRESULT GetPresetName(int index, wchar_t* name, ULONG capacity) override {
        if (index < 0 || index >= m_nPresetCount) return E_INVALIDARG;
        if (!name) return E_POINTER;
        if (capacity == 0) return E_INVALIDARG;
        char text[kPresetNameBufferSize] = {};
        int length = LoadStringA(m_hStringModule, m_nFirstPresetStringId + static_cast<UINT>(index), text,
                                 kPresetNameBufferSize);
        if (length <= 0 || text[0] == '\0') {
            name[0] = L'\0';
            return E_FAIL;
        }
        sfvideoplugin_detail::AnsiToWide(text, name, capacity);
        return S_OK;
    }

    HRESULT SelectPreset(int index) override {
        if (index < 0 || index >= m_nPresetCount) return E_INVALIDARG;
        HRESULT hr;
        {
            std::lock_guard lock(m_csProps);
            hr = ApplyPreset(index);
        }
        NotifyPage();
        NotifyChangeSink();
        return hr;
    }

    // ---- template operations (virtual, overridable by an effect) ------------------------

    // Row index of the preset table into m_props. Callers check the range; an index
    // outside the table is refused here too rather than read past it.
    virtual HRESULT ApplyPreset(int index) {
        if (!m_pPresetTable || index < 0 || index >= m_nPresetCount) return E_INVALIDARG;
        return CopyProps(&m_props, &m_pPresetTable[index]);
    }

    // Reads exactly sizeof(T) bytes. The record is replaced only when all of them
    // arrived: a failing or short stream leaves it as it was.
    virtual HRESULT ReadProps(IStream* stream, T* record) {
        if (!stream || !record) return E_POINTER;
        T incoming;
        std::memset(&incoming, 0, sizeof incoming);
        ULONG read = 0;
        HRESULT hr = stream->Read(&incoming, static_cast<ULONG>(sizeof(T)), &read);
        if (FAILED(hr)) return hr;
        if (read != sizeof(T)) return kRecordReadFault;
        return CopyProps(record, &incoming);
    }

    // Writes exactly sizeof(T) bytes, padding included.
    virtual HRESULT WriteProps(IStream* stream, const T* record) {
        if (!stream || !record) return E_POINTER;
        ULONG written = 0;
        HRESULT hr = stream->Write(record, static_cast<ULONG>(sizeof(T)), &written);
        if (FAILED(hr)) return hr;
        if (written != sizeof(T)) return kRecordWriteFault;
        return S_OK;
    }

    virtual HRESULT CopyProps(T* dst, const T* src) {
        if (!dst || !src) return E_POINTER;
        if (dst != src) std::memcpy(dst, src, sizeof(T));
        return S_OK;
    }

    // Supplied by each effect: numeric fields go from a at t = 0 to b at t = 1.
    virtual HRESULT InterpolateProps(T* out, const T* a, const T* b, double t) = 0;

    // ---- ISfVideoPluginExtension --------------------------------------------------------

    HRESULT GetPluginInfo(void* buffer, ULONG size) override {
        if (!buffer) return E_POINTER;
        std::memcpy(buffer, &m_info, std::min<size_t>(size, sizeof m_info));
        return S_OK;
    }

    HRESULT SetUnitValue(double v) override {
        m_dUnitValue.store(v > 1.0 ? 1.0 : v >= 0.0 ? v : 0.0);  // NaN counts as 0
        return S_OK;
    }

    // ---- IDXTSfAutomation -----------------------------------------------------------

    HRESULT SetInterpolate(BOOL on) override {
        m_bInterpolate.store(on);
        return S_OK;
    }

    HRESULT SaveProps(IStream* stream) override {
        std::lock_guard lock(m_csProps);
        return WriteProps(stream, &m_props);
    }

    HRESULT LoadProps(IStream* stream) override {
        std::lock_guard lock(m_csProps);
        HRESULT hr = ReadProps(stream, &m_props);
        if (FAILED(hr)) ApplyPreset(0);
        NotifyPage();
        m_bDirty.store(TRUE);
        return hr;
    }

    HRESULT InterpolateStreams(IStream* out, IStream* a, IStream* b, double t) override {
        T from, to, result;
        std::memset(&from, 0, sizeof from);
        std::memset(&to, 0, sizeof to);
        std::memset(&result, 0, sizeof result);
        HRESULT hr = ReadProps(a, &from);
        if (SUCCEEDED(hr)) hr = ReadProps(b, &to);
        if (SUCCEEDED(hr)) hr = InterpolateProps(&result, &from, &to, t);
        if (SUCCEEDED(hr)) hr = WriteProps(out, &result);
        return hr;
    }

    HRESULT SetKeyframes(IStream* a, IStream* b) override {
        std::lock_guard lock(m_csProps);
        HRESULT hr = ReadProps(a, &m_keyFrom);
        if (SUCCEEDED(hr)) hr = ReadProps(b, &m_keyTo);
        if (FAILED(hr)) {
            ApplyPreset(0);
            CopyProps(&m_keyFrom, &m_props);
            CopyProps(&m_keyTo, &m_props);
        }
        return hr;
    }

    HRESULT SetPosition(double t) override {
        m_dPosition.store(t);
        return S_OK;
    }

    HRESULT SetChangeSink(ISfChangeSink* sink) override {
        ComPtr<ISfChangeSink> previous(sink);
        {
            std::lock_guard lock(m_csProps);
            m_pChangeSink.Swap(previous);
        }
        return S_OK;  // the previous sink is released here, outside the lock
    }

    // ---- ISfExchangeProps<T> ----------------------------------------------------------

    HRESULT GetProps(T* record) override {
        if (!record) return E_FAIL;
        std::lock_guard lock(m_csProps);
        return CopyProps(record, &m_props);
    }

    HRESULT SetProps(const T* record) override {
        if (!record) return E_FAIL;
        HRESULT hr;
        {
            std::lock_guard lock(m_csProps);
            hr = CopyProps(&m_props, record);
            m_bDirty.store(TRUE);
        }
        NotifyChangeSink();
        return hr;
    }

    HRESULT SetNotifyWindow(HWND page, UINT command) override {
        std::lock_guard lock(m_csProps);
        m_hNotifyWnd = page;
        m_nNotifyCommand = command;
        return S_OK;
    }

    // ---- IPersistStreamInit -------------------------------------------------------------

    HRESULT GetClassID(CLSID* id) override {
        if (!id) return E_POINTER;
        if (!m_pClsid) return E_FAIL;
        *id = *m_pClsid;
        return S_OK;
    }

    HRESULT IsDirty() override { return m_bDirty.load() ? S_OK : S_FALSE; }

    HRESULT Load(IStream* stream) override {
        std::lock_guard lock(m_csProps);
        HRESULT hr = ReadProps(stream, &m_props);
        m_bDirty.store(TRUE);
        if (SUCCEEDED(hr)) {
            NotifyPage();
            NotifyChangeSink();
        }
        return hr;
    }

    HRESULT Save(IStream* stream, BOOL clearDirty) override {
        std::lock_guard lock(m_csProps);
        HRESULT hr = WriteProps(stream, &m_props);
        if (SUCCEEDED(hr)) {
            m_bDirty.store(clearDirty ? FALSE : TRUE);
            NotifyPage();
        }
        return hr;
    }

    HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
        if (!size) return E_INVALIDARG;
        size->QuadPart = sizeof(T);
        return S_OK;
    }

    HRESULT InitNew() override {
        {
            std::lock_guard lock(m_csProps);
            ApplyPreset(0);
            m_bDirty.store(TRUE);
        }
        NotifyPage();
        NotifyChangeSink();
        return S_OK;
    }

    // ---- for the frame routine --------------------------------------------------------

    // Takes this band's record under the lock: interpolated between the keys when
    // interpolation is on, else the current record. The copy is kept in this thread's
    // slot (read it with FrameProps()) and also returned.
    T TakeFrameSnapshot() {
        T snapshot;
        {
            std::lock_guard lock(m_csProps);
            if (m_bInterpolate.load())
                InterpolateProps(&m_frameProps, &m_keyFrom, &m_keyTo, m_dPosition.load());
            else
                CopyProps(&m_frameProps, &m_props);
            std::memcpy(&snapshot, &m_frameProps, sizeof(T));
        }
        FrameSlot& slot = ThreadFrameSlot();
        slot.owner = m_serial;
        std::memcpy(&slot.props, &snapshot, sizeof(T));
        return snapshot;
    }

    // The record of the band running on this thread. A band that did not take its
    // snapshot yet gets one taken now, never another object's or a changing record.
    const T& FrameProps() {
        FrameSlot& slot = ThreadFrameSlot();
        if (slot.owner != m_serial) TakeFrameSnapshot();
        return slot.props;
    }

protected:
    // The effect's constructor completes the information block.
    void SetPluginInfo(uint32_t requiredInputs, uint32_t maxInputs, uint32_t effectCode) {
        m_info.requiredInputs = requiredInputs;
        m_info.maxInputs = maxInputs;
        m_info.effectCode = effectCode;
    }

    const CLSID* ClassIdPointer() const { return m_pClsid; }
    double UnitValue() const { return m_dUnitValue.load(); }

    // Posts WM_COMMAND(m_nNotifyCommand) to the page window, when there is one.
    void NotifyPage() {
        HWND window;
        UINT command;
        {
            std::lock_guard lock(m_csProps);
            window = m_hNotifyWnd;
            command = m_nNotifyCommand;
        }
        if (window) PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
    }

    // Tells the host's change sink, when there is one; its result is ignored.
    void NotifyChangeSink() {
        ComPtr<ISfChangeSink> sink;
        {
            std::lock_guard lock(m_csProps);
            sink = m_pChangeSink;
        }
        if (sink) sink->OnChange();
    }

private:
    struct FrameSlot {
        uint64_t owner = 0;
        T props{};
    };
    static FrameSlot& ThreadFrameSlot() {
        static thread_local FrameSlot slot;
        return slot;
    }

protected:
    const T* m_pPresetTable;
    UINT m_nFirstPresetStringId;
    int m_nPresetCount;
    HINSTANCE m_hStringModule;
    PluginInfoBlock m_info;
    std::atomic<double> m_dUnitValue{1.0};
    const CLSID* m_pClsid;
    ComPtr<ISfChangeSink> m_pChangeSink;
    std::atomic<BOOL> m_bInterpolate{FALSE};
    std::atomic<double> m_dPosition{0.0};
    T m_keyFrom;
    T m_keyTo;
    HWND m_hNotifyWnd = nullptr;
    UINT m_nNotifyCommand = 0;
    std::atomic<BOOL> m_bDirty{FALSE};
    mutable std::recursive_mutex m_csProps;
    T m_props;
    T m_frameProps;

private:
    const uint64_t m_serial;
};
