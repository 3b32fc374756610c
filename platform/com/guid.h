// GUID: the 128-bit identifier of classes, interfaces, services and categories.
// Parsed from and formatted to the registry form; formatting is lower case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/wintypes.h"

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using CATID = GUID;
using REFGUID = const GUID&;
using REFIID = const GUID&;
using REFCLSID = const GUID&;

constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
constexpr bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

namespace guid_detail {
constexpr int HexDigit(char c) {
    return (c >= '0' && c <= '9') ? c - '0'
         : (c >= 'a' && c <= 'f') ? c - 'a' + 10
         : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                  : -1;
}
// Parses "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", optionally in braces.
constexpr std::optional<GUID> Parse(std::string_view s) {
    if (s.size() == 38 && s.front() == '{' && s.back() == '}') s = s.substr(1, 36);
    if (s.size() != 36 || s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-')
        return std::nullopt;
    uint8_t bytes[16] = {};
    int n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) continue;
        int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[n++] = static_cast<uint8_t>(hi * 16 + lo);
        ++i;
    }
    GUID g{};
    g.Data1 = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
    g.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
    return g;
}
}  // namespace guid_detail

// A GUID from a literal; a malformed literal fails to compile when used in a constant.
consteval GUID MakeGuid(const char* text) {
    std::string_view s(text);
    auto g = guid_detail::Parse(s);
    if (!g) throw "malformed GUID literal";
    return *g;
}

constexpr GUID GUID_NULL{};
constexpr GUID IID_NULL{};

// "{xxxxxxxx-...}" in lower case.
std::string GuidToString(REFGUID g);
// Accepts the form with or without braces, any case.
std::optional<GUID> GuidFromString(std::string_view s);

// Every interface type names its identifier with QUILLET_INTERFACE_ID; __uuidof(I)
// then gives it, as the platform's compilers do. Use it at global scope.
template <class I>
struct InterfaceIdOf;
#define QUILLET_INTERFACE_ID(I, text)                     \
    struct I;                                             \
    inline constexpr GUID IID_##I = MakeGuid(text);       \
    template <>                                           \
    struct InterfaceIdOf<I> {                             \
        static constexpr const GUID& value = IID_##I;     \
    }
#define __uuidof(I) (InterfaceIdOf<I>::value)
