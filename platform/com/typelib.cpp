// Type-library registration: the TypeLib and Interface keys of one library, written
// or removed in one registry transaction.
#include "platform/com/typelib.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/registry_store.h"

namespace {

using quillet::reg::Key;
using quillet::reg::KeyPath;
using quillet::reg::Root;
using quillet::reg::Store;
using quillet::reg::Tree;

constexpr GUID kDispatchProxyStub = MakeGuid("00020424-0000-0000-C000-000000000046");

// "<major>.<minor>" in hexadecimal, as the platform writes library versions.
std::string VersionText(WORD major, WORD minor) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%x.%x", unsigned(major), unsigned(minor));
    return buf;
}

bool SetText(Key& key, const char* name, const std::string& text) { return key.SetValue(name, REG_SZ, text); }

// The library's texts are ASCII.
std::string Narrow(BSTR text) {
    std::string narrow;
    for (UINT i = 0; i < SysStringLen(text); ++i) narrow.push_back(static_cast<char>(text[i]));
    SysFreeString(text);
    return narrow;
}

// The interfaces of lib, with their names.
std::vector<std::pair<std::string, std::string>> Interfaces(ITypeLib* lib) {
    std::vector<std::pair<std::string, std::string>> found;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (FAILED(lib->GetTypeInfo(i, info.ReleaseAndGetAddressOf())) || FAILED(info->GetTypeAttr(&attr))) continue;
        if (attr->typekind == TKIND_INTERFACE || attr->typekind == TKIND_DISPATCH) {
            BSTR name = nullptr;
            info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
            found.emplace_back(GuidToString(attr->guid), Narrow(name));
        }
        info->ReleaseTypeAttr(attr);
    }
    return found;
}

}  // namespace

extern "C" HRESULT RegisterTypeLib(ITypeLib* lib, const char* fullPath, const char* helpDir) {
    if (!lib || !fullPath || !*fullPath) return E_INVALIDARG;
    TLIBATTR* attr = nullptr;
    if (HRESULT hr = lib->GetLibAttr(&attr); FAILED(hr)) return hr;
    const std::string libid = GuidToString(attr->guid);
    const std::string version = VersionText(attr->wMajorVerNum, attr->wMinorVerNum);
    lib->ReleaseTLibAttr(attr);
    BSTR helpText = nullptr;
    lib->GetDocumentation(-1, nullptr, &helpText, nullptr, nullptr);
    const std::string help = Narrow(helpText);
    const auto interfaces = Interfaces(lib);
    const std::string path = fullPath;

    LSTATUS status = Store::Instance().Write([&](Tree& tree, bool& changed) {
        bool created = false;
        Key& versionKey = tree.Create(Root::ClassesRoot, KeyPath{"TypeLib", libid, version}, &created);
        changed |= created;
        changed |= SetText(versionKey, "", help);
        Key& win32 = versionKey.AddChild("0", &created).AddChild("win32", &created);
        changed |= created;
        changed |= SetText(win32, "", path);
        changed |= SetText(versionKey.AddChild("FLAGS", &created), "", "0");
        changed |= created;
        if (helpDir) {
            changed |= SetText(versionKey.AddChild("HELPDIR", &created), "", helpDir);
            changed |= created;
        }
        for (const auto& [iid, name] : interfaces) {
            Key& key = tree.Create(Root::ClassesRoot, KeyPath{"Interface", iid}, &created);
            changed |= created;
            changed |= SetText(key, "", name);
            changed |= SetText(key.AddChild("ProxyStubClsid32", &created), "", GuidToString(kDispatchProxyStub));
            changed |= created;
            Key& typeLib = key.AddChild("TypeLib", &created);
            changed |= created;
            changed |= SetText(typeLib, "", libid);
            changed |= SetText(typeLib, "Version", version);
        }
        return ERROR_SUCCESS;
    });
    return HRESULT_FROM_WIN32(status);
}

extern "C" HRESULT UnRegisterTypeLib(REFGUID libidGuid, WORD major, WORD minor, LCID, SYSKIND) {
    const std::string libid = GuidToString(libidGuid);
    const std::string version = VersionText(major, minor);
    LSTATUS status = Store::Instance().Write([&](Tree& tree, bool& changed) {
        changed |= tree.DeleteTree(Root::ClassesRoot, KeyPath{"TypeLib", libid, version});
        // The library's key goes once no other version of it is registered.
        if (Key* libKey = tree.Find(Root::ClassesRoot, KeyPath{"TypeLib", libid}); libKey && libKey->ChildCount() == 0)
            changed |= tree.DeleteTree(Root::ClassesRoot, KeyPath{"TypeLib", libid});

        // Interfaces that another library or version has registered since stay.
        std::vector<std::string> owned;
        if (const Key* interfaces = tree.Find(Root::ClassesRoot, KeyPath{"Interface"}))
            interfaces->ForEachChild([&](const Key& itf) {
                const Key* typeLib = itf.Child("TypeLib");
                const quillet::reg::Value* owner = typeLib ? typeLib->FindValue("") : nullptr;
                const quillet::reg::Value* ownerVersion = typeLib ? typeLib->FindValue("Version") : nullptr;
                if (owner && owner->type == REG_SZ && quillet::reg::NamesEqual(owner->data, libid) && ownerVersion &&
                    ownerVersion->type == REG_SZ && quillet::reg::NamesEqual(ownerVersion->data, version))
                    owned.push_back(itf.Name());
            });
        for (const std::string& iid : owned) changed |= tree.DeleteTree(Root::ClassesRoot, KeyPath{"Interface", iid});
        return ERROR_SUCCESS;
    });
    return HRESULT_FROM_WIN32(status);
}
