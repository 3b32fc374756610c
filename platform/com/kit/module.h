// The module object of a component module: its instance handle (the loader's handle,
// as DllMain received it), its full path, and its registry scripts.
#pragma once

#include <string>

#include "platform/com/oaidl.h"

namespace ComModule {
// Called from DllMain on process attach / detach.
void Init(HINSTANCE instance);
void Term();
HINSTANCE Instance();
// The module file's full path: the loader's name for the instance, or, when the code
// was linked into a program instead of loaded, the file that holds this code.
std::string Path();
// Runs the module's "REGISTRY" resource scriptId with %MODULE% = Path().
HRESULT UpdateRegistryFromResource(UINT scriptId, BOOL doRegister);
// The type information of guid in the module's own type library (its "TYPELIB"
// resource), read once per module instance and kept until Term.
HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info);
}  // namespace ComModule
