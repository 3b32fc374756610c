// Registration of the module's classes and of its type library.
//
// An effect registers through the transform base: its registry script, then the
// image-transform category. A page only runs its script. The server-wide operations
// walk the object map in order and stop at the first failing class.
#pragma once

#include "platform/com/guid.h"
#include "sdk/effect_descriptor.h"

// The operations behind an entry's register operation.
HRESULT UpdateEffectRegistry(REFCLSID clsid, UINT scriptId, BOOL doRegister);
HRESULT UpdatePageRegistry(UINT scriptId, BOOL doRegister);

// The per-class operations the object map stores (they take only the register flag).
template <const EffectDescriptor& Effect>
HRESULT UpdateEffectRegistryFor(BOOL doRegister) {
    return UpdateEffectRegistry(Effect.clsid, Effect.scriptId, doRegister);
}
template <const EffectDescriptor& Effect>
HRESULT UpdatePageRegistryFor(BOOL doRegister) {
    return UpdatePageRegistry(Effect.pageScriptId, doRegister);
}

struct ObjectMapEntry;
// Registers or removes the categories of an entry's category map (none when it has none).
HRESULT RegisterClassCategories(const ObjectMapEntry& entry, BOOL doRegister);

// The type library carried as the module's "TYPELIB" resource 1.
HRESULT RegisterModuleTypeLibrary();
HRESULT UnregisterModuleTypeLibrary();

// DllRegisterServer: every class in map order with its categories, stopping at the
// first failure (classes before it stay registered), then the type library.
HRESULT RegisterServer();
// DllUnregisterServer: every class in map order, stopping at the first failure, then
// the type library.
HRESULT UnregisterServer();
