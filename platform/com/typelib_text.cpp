// The "TYPELIB" resource text (format in typelib.h): written from a module's
// description, read back by LoadTypeLib. The reader trusts nothing: a record with the
// wrong number of fields, a bad identifier or number, an unknown base or type, or a
// property before any interface makes the whole library malformed.
#include <charconv>
#include <cstring>

#include "platform/com/typelib.h"
#include "platform/com/typelib_data.h"

namespace {

constexpr std::string_view kHeader = "QuilletTypeLib 1";
constexpr WORD kInterfaceFlags = TYPEFLAG_FDISPATCHABLE;
constexpr WORD kDualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

// Printable ASCII only: no tab or line break can split a record.
bool PlainText(const char* text, bool mayBeEmpty) {
    if (!text) return mayBeEmpty;
    if (!*text && !mayBeEmpty) return false;
    for (const char* c = text; *c; ++c)
        if (*c < 0x20 || *c > 0x7E) return false;
    return true;
}

const char* TypeWord(VARTYPE vt) { return vt == VT_I4 ? "long" : vt == VT_R4 ? "float" : nullptr; }

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

template <class Int>
bool ParseNumber(std::string_view text, Int* value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseVersion(std::string_view text, WORD* major, WORD* minor) {
    size_t dot = text.find('.');
    return dot != std::string_view::npos && ParseNumber(text.substr(0, dot), major) &&
           ParseNumber(text.substr(dot + 1), minor);
}

bool ValidField(std::string_view field) {
    for (char c : field)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

int FindInterface(const quillet::tlb::Library& lib, std::string_view name) {
    for (size_t i = 0; i < lib.types.size(); ++i)
        if (lib.types[i].kind != TKIND_COCLASS && lib.types[i].name == name) return static_cast<int>(i);
    return -2;
}

// One record into lib; false when it is malformed.
bool ReadRecord(const std::vector<std::string_view>& f, quillet::tlb::Library& lib) {
    using quillet::tlb::Property;
    using quillet::tlb::Type;
    for (std::string_view field : f)
        if (!ValidField(field)) return false;
    if (f[0] == "interface" && f.size() == 6 && !f[2].empty() && (f[5] == "dual" || f[5] == "-")) {
        auto iid = GuidFromString(f[1]);
        int base = f[4] == "IDispatch" ? quillet::tlb::kDispatchBase : FindInterface(lib, f[4]);
        if (!iid || base < quillet::tlb::kDispatchBase) return false;
        const bool dual = f[5] == "dual";
        lib.types.push_back(Type{dual ? TKIND_DISPATCH : TKIND_INTERFACE, *iid, std::string(f[2]), std::string(f[3]),
                                 dual ? kDualFlags : kInterfaceFlags, base, {}});
        return true;
    }
    if (f[0] == "property" && f.size() == 5 && !f[4].empty() && !lib.types.empty() &&
        lib.types.back().kind != TKIND_COCLASS) {
        Property p{std::string(f[4]), 0, f[2] == "long" ? VT_I4 : VT_R4, f[3] == "get put"};
        if (!ParseNumber(f[1], &p.id) || (f[2] != "long" && f[2] != "float") || (f[3] != "get" && !p.writable))
            return false;
        lib.types.back().properties.push_back(std::move(p));
        return true;
    }
    if (f[0] == "coclass" && f.size() == 4 && !f[2].empty()) {
        auto clsid = GuidFromString(f[1]);
        if (!clsid) return false;
        lib.types.push_back(Type{TKIND_COCLASS, *clsid, std::string(f[2]), std::string(f[3]), TYPEFLAG_FCANCREATE,
                                 quillet::tlb::kDispatchBase, {}});
        return true;
    }
    return false;
}

}  // namespace

std::string TypeLibResourceText(const TypeLibDescription& lib) {
    if (!PlainText(lib.name, false) || !PlainText(lib.helpString, true)) return {};
    std::string text(kHeader);
    text += "\nlibrary\t" + GuidToString(lib.libid) + "\t" + std::to_string(lib.majorVersion) + "." +
            std::to_string(lib.minorVersion) + "\t" + lib.name + "\t" + (lib.helpString ? lib.helpString : "");
    for (size_t i = 0; i < lib.interfaceCount; ++i) {
        const TypeLibInterface& itf = lib.interfaces[i];
        if (!PlainText(itf.name, false) || !PlainText(itf.helpString, true) || !PlainText(itf.baseName, false))
            return {};
        text += "\ninterface\t" + GuidToString(itf.iid) + "\t" + itf.name + "\t" +
                (itf.helpString ? itf.helpString : "") + "\t" + itf.baseName + "\t" + (itf.dual ? "dual" : "-");
        for (size_t p = 0; p < itf.propertyCount; ++p) {
            const TypeLibProperty& prop = itf.properties[p];
            if (!PlainText(prop.name, false) || !TypeWord(prop.type)) return {};
            text += "\nproperty\t" + std::to_string(prop.dispid) + "\t" + TypeWord(prop.type) + "\t" +
                    (prop.writable ? "get put" : "get") + "\t" + prop.name;
        }
    }
    for (size_t i = 0; i < lib.classCount; ++i) {
        const TypeLibClass& cls = lib.classes[i];
        if (!PlainText(cls.name, false) || !PlainText(cls.helpString, true)) return {};
        text += "\ncoclass\t" + GuidToString(cls.clsid) + "\t" + cls.name + "\t" +
                (cls.helpString ? cls.helpString : "");
    }
    // Read back as a check: an interface naming an unknown base is refused here.
    return quillet::tlb::ParseLibrary(text) ? text + "\n" : std::string();
}

namespace quillet::tlb {

std::optional<Library> ParseLibrary(std::string_view text) {
    std::vector<std::string_view> lines = Split(text, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.size() < 2 || lines[0] != kHeader) return std::nullopt;
    std::vector<std::string_view> head = Split(lines[1], '\t');
    Library lib{};
    if (head.size() != 5 || head[0] != "library" || head[3].empty() || !ValidField(head[3]) || !ValidField(head[4]))
        return std::nullopt;
    auto libid = GuidFromString(head[1]);
    if (!libid || !ParseVersion(head[2], &lib.major, &lib.minor)) return std::nullopt;
    lib.libid = *libid;
    lib.name = head[3];
    lib.help = head[4];
    for (size_t i = 2; i < lines.size(); ++i)
        if (!ReadRecord(Split(lines[i], '\t'), lib)) return std::nullopt;
    return lib;
}

}  // namespace quillet::tlb
