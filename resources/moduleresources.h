// The module's resources: the string table, the registry scripts ("REGISTRY" 101 and
// 105 to 119), the dialogs ("DIALOG"), the skin ("BITMAP" and "CURSOR") and the type
// library ("TYPELIB" 1), gathered into the one table that DllMain hands to the platform.
#pragma once

#include <span>
#include <string_view>

#include "platform/com/typelib.h"
#include "platform/ui/resource.h"

inline constexpr UINT kTypeLibResourceId = 1;
inline constexpr const char* kRegistryResourceType = "REGISTRY";
inline constexpr const char* kTypeLibResourceType = "TYPELIB";

// The registry scripts as "REGISTRY" resources, in resource-id order.
std::span<const ModuleBinaryResource> RegistryScriptResources();
// The text of script id; empty when the module carries no such script.
std::string_view RegistryScriptText(UINT id);

// The dialog templates as "DIALOG" resources: the options dialog (115) and the pages (107 to 113).
std::span<const ModuleBinaryResource> DialogResources();

// The controls' bitmaps and the eyedropper cursor.
std::span<const ModuleBinaryResource> SkinResources();

// The library MAINLib, and the "TYPELIB" resource that describes it.
const TypeLibDescription& MainTypeLibrary();
std::string_view MainTypeLibraryResource();

// Everything the module carries, as one table.
const ModuleResources& BrushwerkModuleResources();
