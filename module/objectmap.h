// The module's object map: one constant entry per class, in the order in which the
// module registers them. The map is the one place that names every class.
#pragma once

#include <span>

#include "module/classfactory.h"
#include "sdk/effect_descriptor.h"

// Registers (TRUE) or unregisters (FALSE) one class.
using RegistryUpdater = HRESULT (*)(BOOL doRegister);
// Makes the class object for an instance creator (the cached class factory).
using ClassObjectCreator = HRESULT (*)(InstanceCreator creator, REFIID iid, void** object);
// One implemented or required category of a class.
struct CategoryMapEntry {
    bool required;
    const CATID* catid;
};
// The categories a class registers beside its script, ending with a null catid.
using CategoryMapGetter = const CategoryMapEntry* (*)();
using DescriptionGetter = const char* (*)();
// Told when the module starts (true) and stops (false).
using ObjectMainHook = void (*)(bool starting);

enum class ObjectKind { Effect, Page };

struct ObjectMapEntry {
    const CLSID* clsid;
    RegistryUpdater updateRegistry;
    ClassObjectCreator createClassObject;
    // Null while the class is not part of the module: its class object is then not
    // available, though the class is still registered.
    InstanceCreator createInstance;
    DescriptionGetter description;    // null for every class
    CategoryMapGetter categoryMap;    // null for every class
    ObjectMainHook objectMain;
    // What the table's registration rows say of the class, for diagnostics and checks.
    ObjectKind kind;
    UINT scriptId;
    const char* displayName;
    // The effect the class belongs to (a page belongs to its effect).
    const EffectDescriptor* descriptor;
};

inline constexpr size_t kObjectMapSize = 14;

// The fourteen entries, in map order.
std::span<const ObjectMapEntry> ObjectMap();
// The entry for clsid, or null.
const ObjectMapEntry* FindObjectMapEntry(REFCLSID clsid);
