// Type-library registration: the TypeLib and Interface keys of one library, written
// or removed in one registry transaction.
#include "platform/com/typelib.h"

#include <cstdio>
#include <string>

#include "platform/com/registry_store.h"

namespace {

using quillet::reg::Key;
using quillet::reg::KeyPath;
using quillet::reg::Root;
using quillet::reg::Store;
using quillet::reg::Tree;

constexpr GUID kDispatchProxyStub = MakeGuid("00020424-0000-0000-C000-000000000046");

// "<major>.<minor>" in hexadecimal, as the platform writes library versions.
std::string VersionText(const TypeLibDescription& lib) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%x.%x", static_cast<unsigned>(lib.majorVersion),
                  static_cast<unsigned>(lib.minorVersion));
    return buf;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SetText(Key& key, const char* name, const std::string& text) { return key.SetValue(name, REG_SZ, text); }

bool ValidDescription(const TypeLibDescription* lib) {
    return lib && (lib->interfaceCount == 0 || lib->interfaces);
}

}  // namespace

HRESULT RegisterTypeLib(const TypeLibDescription* lib, const char* modulePath) {
    if (!ValidDescription(lib) || !modulePath || !*modulePath) return E_INVALIDARG;
    const std::string libid = GuidToString(lib->libid);
    const std::string version = VersionText(*lib);
    const std::string path = modulePath;
    LSTATUS status = Store::Instance().Write([&](Tree& tree, bool& changed) {
        KeyPath versionPath{"TypeLib", libid, version};
        bool created = false;
        Key& versionKey = tree.Create(Root::ClassesRoot, versionPath, &created);
        changed |= created;
        changed |= SetText(versionKey, "", lib->helpString ? lib->helpString : "");
        Key& win32 = versionKey.AddChild("0", &created).AddChild("win32", &created);
        changed |= created;
        changed |= SetText(win32, "", path);
        changed |= SetText(versionKey.AddChild("FLAGS", &created), "", "0");
        changed |= created;
        changed |= SetText(versionKey.AddChild("HELPDIR", &created), "", FolderOf(path));
        changed |= created;

        for (size_t i = 0; i < lib->interfaceCount; ++i) {
            const TypeLibInterface& itf = lib->interfaces[i];
            Key& key = tree.Create(Root::ClassesRoot, KeyPath{"Interface", GuidToString(itf.iid)}, &created);
            changed |= created;
            changed |= SetText(key, "", itf.name ? itf.name : "");
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

HRESULT UnRegisterTypeLib(const TypeLibDescription* lib) {
    if (!ValidDescription(lib)) return E_INVALIDARG;
    const std::string libid = GuidToString(lib->libid);
    LSTATUS status = Store::Instance().Write([&](Tree& tree, bool& changed) {
        changed |= tree.DeleteTree(Root::ClassesRoot, KeyPath{"TypeLib", libid, VersionText(*lib)});
        // The library's key goes once no other version of it is registered.
        if (Key* libKey = tree.Find(Root::ClassesRoot, KeyPath{"TypeLib", libid});
            libKey && libKey->ChildCount() == 0)
            changed |= tree.DeleteTree(Root::ClassesRoot, KeyPath{"TypeLib", libid});

        for (size_t i = 0; i < lib->interfaceCount; ++i) {
            KeyPath itfPath{"Interface", GuidToString(lib->interfaces[i].iid)};
            const Key* typeLib = tree.Find(Root::ClassesRoot, KeyPath{itfPath[0], itfPath[1], "TypeLib"});
            const quillet::reg::Value* owner = typeLib ? typeLib->FindValue("") : nullptr;
            // Leave an interface that another library has registered since.
            if (owner && owner->type == REG_SZ && !quillet::reg::NamesEqual(owner->data, libid)) continue;
            changed |= tree.DeleteTree(Root::ClassesRoot, itfPath);
        }
        return ERROR_SUCCESS;
    });
    return HRESULT_FROM_WIN32(status);
}
