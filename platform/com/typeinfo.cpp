// ITypeLib and ITypeInfo over a library read from a module's resource: the library's
// attributes and documentation, each type's attributes, functions and names, and
// Invoke, which calls a property's get or put function on an object's interface.
//
// An interface's functions are its properties in order, each with its get function and
// then, when writable, its put function; they follow the base interface's functions in
// the virtual table (IDispatch's seven for the first interface), as the interface's
// declaration lays them out.
#include <atomic>
#include <cmath>
#include <cwctype>
#include <memory>
#include <utility>

#include "platform/com/typelib_data.h"

namespace quillet::tlb {
namespace {

// The base of an interface derived from IDispatch: not described in this library.
constexpr HREFTYPE kDispatchRef = 0xFFFFFFFFu;

BSTR MakeBstr(const std::string& text) {
    std::wstring wide(text.begin(), text.end());  // the library's text is ASCII
    return SysAllocString(wide.c_str());
}

bool SameName(const wchar_t* a, const std::string& b) {
    size_t i = 0;
    for (; a[i] && i < b.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
    return !a[i] && i == b.size();
}

void Document(const std::string& name, const std::string& help, BSTR* outName, BSTR* doc, DWORD* context,
              BSTR* file) {
    if (outName) *outName = MakeBstr(name);
    if (doc) *doc = help.empty() ? nullptr : MakeBstr(help);
    if (context) *context = 0;
    if (file) *file = nullptr;
}

// The value v converted to the property type vt.
HRESULT Coerce(const VARIANT& v, VARTYPE vt, VARIANT* out) {
    out->vt = vt;
    double value;
    switch (v.vt) {
    case VT_I4: value = v.lVal; break;
    case VT_R4: value = v.fltVal; break;
    case VT_R8: value = v.dblVal; break;
    default: return DISP_E_TYPEMISMATCH;
    }
    if (vt == VT_R4) {
        if (std::isfinite(value) && std::fabs(value) > 3.4028234663852886e38) return DISP_E_OVERFLOW;
        out->fltVal = static_cast<float>(value);
        return S_OK;
    }
    const double rounded = std::nearbyint(value);  // halves to even, as the platform converts
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return DISP_E_OVERFLOW;
    out->lVal = static_cast<LONG>(rounded);
    return S_OK;
}

// Calls virtual function number slot of the interface at instance, with one argument:
// the property's value for a put, a pointer to receive it for a get. A member function
// receives its object as a hidden first argument, as a free function receives its first
// parameter, so the table entry is called as one.
HRESULT CallSlot(void* instance, size_t slot, bool put, VARIANT* value) {
    void* entry = (*static_cast<void***>(instance))[slot];
    if (put && value->vt == VT_I4) return reinterpret_cast<HRESULT (*)(void*, LONG)>(entry)(instance, value->lVal);
    if (put) return reinterpret_cast<HRESULT (*)(void*, float)>(entry)(instance, value->fltVal);
    if (value->vt == VT_I4) return reinterpret_cast<HRESULT (*)(void*, LONG*)>(entry)(instance, &value->lVal);
    return reinterpret_cast<HRESULT (*)(void*, float*)>(entry)(instance, &value->fltVal);
}

class TypeLibObject;

class TypeInfoObject final : public ITypeInfo {
public:
    TypeInfoObject(TypeLibObject* lib, const Library& data, size_t index);
    ~TypeInfoObject();

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_ITypeInfo) return E_NOINTERFACE;
        *object = static_cast<ITypeInfo*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetTypeAttr(TYPEATTR** attr) override {
        if (!attr) return E_INVALIDARG;
        const bool itf = Self().kind != TKIND_COCLASS;
        *attr = new TYPEATTR{Self().guid, 0, Self().kind, static_cast<WORD>(FunctionCount(m_index)), 0,
                             static_cast<WORD>(itf ? 1 : 0),
                             static_cast<WORD>(itf ? SlotsThrough(m_index) * sizeof(void*) : 0), Self().flags, 0, 0};
        return S_OK;
    }
    void ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }

    HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) override {
        if (!desc) return E_INVALIDARG;
        *desc = nullptr;
        if (index >= FunctionCount(m_index)) return TYPE_E_ELEMENTNOTFOUND;
        auto [property, put] = FunctionAt(m_index, index);
        auto* block = new FuncDescBlock{};
        block->param.tdesc.vt = property->vt;
        block->desc = FUNCDESC{property->id, put ? &block->param : nullptr, FUNC_DISPATCH,
                               put ? INVOKE_PROPERTYPUT : INVOKE_PROPERTYGET, static_cast<short>(put ? 1 : 0),
                               static_cast<short>((SlotsBefore(m_index) + index) * sizeof(void*)),
                               ELEMDESC{TYPEDESC{put ? VT_VOID : property->vt}}, 0};
        *desc = &block->desc;
        return S_OK;
    }
    void ReleaseFuncDesc(FUNCDESC* desc) override { delete reinterpret_cast<FuncDescBlock*>(desc); }

    HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) override {
        if (!ref) return E_INVALIDARG;
        if (Self().kind == TKIND_COCLASS || index != 0) return TYPE_E_ELEMENTNOTFOUND;
        *ref = Self().base == kDispatchBase ? kDispatchRef : static_cast<HREFTYPE>(Self().base);
        return S_OK;
    }
    HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) override;

    HRESULT GetIDsOfNames(const wchar_t* const* names, UINT count, MEMBERID* ids) override {
        if (count == 0) return S_OK;
        if (!names || !ids) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = MEMBERID_NIL;
        if (!names[0]) return DISP_E_UNKNOWNNAME;
        auto [owner, property] = FindProperty([&](const Property& p) { return SameName(names[0], p.name); });
        if (!property) return DISP_E_UNKNOWNNAME;
        ids[0] = property->id;
        return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;  // properties have no named parameters
    }

    HRESULT Invoke(void* instance, MEMBERID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argError) override {
        if (!instance) return E_INVALIDARG;
        auto [owner, property] = FindProperty([&](const Property& p) { return p.id == id; });
        if (!property) return DISP_E_MEMBERNOTFOUND;
        const UINT args = params ? params->cArgs : 0;
        const UINT named = params ? params->cNamedArgs : 0;
        if (args > 0 && !params->rgvarg) return E_INVALIDARG;
        VARIANT value{};
        value.vt = property->vt;
        const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        if (put) {
            if (!property->writable) return DISP_E_MEMBERNOTFOUND;
            if (args != 1) return DISP_E_BADPARAMCOUNT;
            if (named > 1 || (named == 1 && (!params->rgdispidNamedArgs ||
                                             params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)))
                return DISP_E_PARAMNOTFOUND;
            if (HRESULT hr = Coerce(params->rgvarg[0], property->vt, &value); FAILED(hr)) {
                if (argError) *argError = 0;
                return hr;
            }
        } else if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
            if (args != 0) return DISP_E_BADPARAMCOUNT;
            if (named != 0) return DISP_E_PARAMNOTFOUND;
        } else {
            return DISP_E_MEMBERNOTFOUND;
        }
        HRESULT hr = CallSlot(instance, SlotOf(owner, *property, put), put, &value);
        if (FAILED(hr)) {
            // A failing member is reported as an exception carrying its code.
            if (exception) *exception = EXCEPINFO{0, 0, nullptr, nullptr, nullptr, 0, nullptr, nullptr, hr};
            return DISP_E_EXCEPTION;
        }
        if (!put && result) *result = value;
        return S_OK;
    }

    HRESULT GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context, BSTR* file) override {
        if (id == MEMBERID_NIL) {
            Document(Self().name, Self().help, name, doc, context, file);
            return S_OK;
        }
        auto [owner, property] = FindProperty([&](const Property& p) { return p.id == id; });
        if (!property) return TYPE_E_ELEMENTNOTFOUND;
        Document(property->name, {}, name, doc, context, file);
        return S_OK;
    }

private:
    struct FuncDescBlock {
        FUNCDESC desc;  // first, so that the block is found from it
        ELEMDESC param;
    };

    const Type& Self() const { return m_data.types[m_index]; }
    const Type& At(int index) const { return m_data.types[static_cast<size_t>(index)]; }

    size_t FunctionCount(int index) const {
        size_t n = 0;
        for (const Property& p : At(index).properties) n += p.writable ? 2 : 1;
        return n;
    }
    size_t SlotsBefore(int index) const {
        const int base = At(index).base;
        return base == kDispatchBase ? kDispatchSlots : SlotsThrough(base);
    }
    size_t SlotsThrough(int index) const { return SlotsBefore(index) + FunctionCount(index); }
    std::pair<const Property*, bool> FunctionAt(int index, size_t function) const {
        for (const Property& p : At(index).properties) {
            if (function == 0) return {&p, false};
            if (p.writable && function == 1) return {&p, true};
            function -= p.writable ? 2 : 1;
        }
        return {nullptr, false};
    }
    // Searches this interface, then its bases; gives the declaring interface too.
    template <class Match>
    std::pair<int, const Property*> FindProperty(Match match) const {
        if (Self().kind == TKIND_COCLASS) return {m_index, nullptr};
        for (int i = m_index; i != kDispatchBase; i = At(i).base)
            for (const Property& p : At(i).properties)
                if (match(p)) return {i, &p};
        return {m_index, nullptr};
    }
    size_t SlotOf(int owner, const Property& property, bool put) const {
        size_t slot = SlotsBefore(owner);
        for (const Property& p : At(owner).properties) {
            if (&p == &property) return slot + (put ? 1 : 0);
            slot += p.writable ? 2 : 1;
        }
        return slot;
    }

    std::atomic<ULONG> m_refs{1};
    TypeLibObject* m_lib;  // held: the library outlives its type infos
    const Library& m_data;
    int m_index;
};

class TypeLibObject final : public ITypeLib {
public:
    explicit TypeLibObject(Library lib) : m_data(std::move(lib)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_ITypeLib) return E_NOINTERFACE;
        *object = static_cast<ITypeLib*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        ULONG left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    UINT GetTypeInfoCount() override { return static_cast<UINT>(m_data.types.size()); }
    HRESULT GetTypeInfo(UINT index, ITypeInfo** info) override {
        if (!info) return E_INVALIDARG;
        *info = nullptr;
        if (index >= m_data.types.size()) return TYPE_E_ELEMENTNOTFOUND;
        *info = new TypeInfoObject(this, m_data, index);
        return S_OK;
    }
    HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) override {
        if (!info) return E_INVALIDARG;
        *info = nullptr;
        for (size_t i = 0; i < m_data.types.size(); ++i)
            if (m_data.types[i].guid == guid) return GetTypeInfo(static_cast<UINT>(i), info);
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT GetLibAttr(TLIBATTR** attr) override {
        if (!attr) return E_INVALIDARG;
        *attr = new TLIBATTR{m_data.libid, 0, SYS_WIN32, m_data.major, m_data.minor, 0};
        return S_OK;
    }
    void ReleaseTLibAttr(TLIBATTR* attr) override { delete attr; }
    HRESULT GetDocumentation(INT index, BSTR* name, BSTR* doc, DWORD* context, BSTR* file) override {
        if (index == -1) {
            Document(m_data.name, m_data.help, name, doc, context, file);
            return S_OK;
        }
        if (index < 0 || static_cast<size_t>(index) >= m_data.types.size()) return TYPE_E_ELEMENTNOTFOUND;
        const Type& type = m_data.types[static_cast<size_t>(index)];
        Document(type.name, type.help, name, doc, context, file);
        return S_OK;
    }

private:
    std::atomic<ULONG> m_refs{1};
    const Library m_data;
};

TypeInfoObject::TypeInfoObject(TypeLibObject* lib, const Library& data, size_t index)
    : m_lib(lib), m_data(data), m_index(static_cast<int>(index)) {
    m_lib->AddRef();
}
TypeInfoObject::~TypeInfoObject() { m_lib->Release(); }

HRESULT TypeInfoObject::GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) {
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    // IDispatch is described by the platform's standard library, which is not carried.
    if (ref == kDispatchRef) return TYPE_E_ELEMENTNOTFOUND;
    return m_lib->GetTypeInfo(ref, info);
}

}  // namespace

ITypeLib* CreateTypeLibObject(Library lib) { return new TypeLibObject(std::move(lib)); }

}  // namespace quillet::tlb
