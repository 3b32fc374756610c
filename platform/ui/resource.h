// Module resources: string tables and typed binary resources ("REGISTRY" scripts,
// "TYPELIB"). A module hands its resource table to the platform when it is attached
// (RegisterModuleResources with its instance handle); LoadStringA and FindResourceA
// then answer for that handle, as the platform does from a module's resource section.
#pragma once

#include <cstddef>

#include "platform/com/wintypes.h"

struct ModuleStringResource {
    UINT id;
    const char* text;
};
struct ModuleBinaryResource {
    const char* type;  // "REGISTRY", "TYPELIB", ...
    UINT id;
    const void* data;
    size_t size;
};
struct ModuleResources {
    const ModuleStringResource* strings;
    size_t stringCount;
    const ModuleBinaryResource* binaries;
    size_t binaryCount;
};

extern "C" {
void RegisterModuleResources(HINSTANCE module, const ModuleResources* resources);
void UnregisterModuleResources(HINSTANCE module);
// Copies string id into buffer (at most capacity - 1 characters, then NUL) and returns
// its length; 0 when the string does not exist or the buffer is unusable.
int LoadStringA(HINSTANCE module, UINT id, char* buffer, int capacity);
// Finds a binary resource; null when absent. *size receives its size.
const void* LoadModuleResource(HINSTANCE module, const char* type, UINT id, size_t* size);
}
