#include "module/classobjects.h"

#include <array>
#include <mutex>

#include "module/objectmap.h"

namespace {

std::mutex g_classObjectLock;
// One slot per map entry, in map order; each holds the cache's reference.
std::array<IUnknown*, kObjectMapSize> g_classObjects{};

size_t IndexOf(const ObjectMapEntry* entry) { return static_cast<size_t>(entry - ObjectMap().data()); }

}  // namespace

HRESULT GetModuleClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const ObjectMapEntry* entry = FindObjectMapEntry(clsid);
    if (!entry || !entry->createInstance || !entry->createClassObject) return CLASS_E_CLASSNOTAVAILABLE;

    std::lock_guard<std::mutex> guard(g_classObjectLock);
    IUnknown*& slot = g_classObjects[IndexOf(entry)];
    if (!slot) {
        HRESULT hr = entry->createClassObject(entry->createInstance, IID_IUnknown, reinterpret_cast<void**>(&slot));
        if (FAILED(hr)) {
            slot = nullptr;
            return hr;
        }
    }
    return slot->QueryInterface(iid, object);
}

void ReleaseModuleClassObjects() {
    std::array<IUnknown*, kObjectMapSize> held{};
    {
        std::lock_guard<std::mutex> guard(g_classObjectLock);
        held.swap(g_classObjects);
    }
    // Released outside the lock: a factory's teardown must not call back into a held lock.
    for (IUnknown* p : held)
        if (p) p->Release();
}

void RunObjectMainHooks(bool starting) {
    for (const ObjectMapEntry& entry : ObjectMap())
        if (entry.objectMain) entry.objectMain(starting);
}
