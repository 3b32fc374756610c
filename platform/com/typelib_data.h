// A type library in memory, as read from a module's "TYPELIB" resource. Internal to
// the platform: clients see it through ITypeLib and ITypeInfo.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/oaidl.h"

namespace quillet::tlb {

struct Property {
    std::string name;
    MEMBERID id;
    VARTYPE vt;
    bool writable;
};

// An interface (TKIND_DISPATCH when dual, else TKIND_INTERFACE) or a class.
struct Type {
    TYPEKIND kind;
    GUID guid;
    std::string name;
    std::string help;
    WORD flags;
    int base;  // index of the base interface in the library; kDispatchBase for IDispatch
    std::vector<Property> properties;
};
inline constexpr int kDispatchBase = -1;
// IUnknown's three functions and IDispatch's four come before an interface's own.
inline constexpr int kDispatchSlots = 7;

struct Library {
    GUID libid;
    WORD major;
    WORD minor;
    std::string name;
    std::string help;
    std::vector<Type> types;
};

// Null when the text is not a well-formed library.
std::optional<Library> ParseLibrary(std::string_view text);

// A new library object holding lib (one reference).
ITypeLib* CreateTypeLibObject(Library lib);

}  // namespace quillet::tlb
