// What describes one effect, written once per effect (sdk/<effect>.h) and read by
// everything that names it: the object map and its registration, the registry
// scripts, the type library, the string table, the pages' control bindings, and the
// hosts (their catalogue, the frei0r parameters, the Kdenlive descriptions).
#pragma once

#include <cstddef>
#include <span>
#include <type_traits>

#include "platform/com/guid.h"
#include "platform/com/wintypes.h"

enum class FieldKind {
    Colour,  // colour reference (u32: red in the low byte, green next, blue third)
    Number,  // single-precision float, 0..1 on the page
};

// One field of an effect's record as its page edits it.
struct RecordFieldDescriptor {
    const char* name;   // the record's field name
    size_t offset;      // byte offset in the stored record
    FieldKind kind;
    const char* label;  // the caption of the page control that edits it
    const char* under;  // the page group the control stands under, or null
    UINT controlItem;   // page item of its knob (number) or swatch (colour)
    UINT entryItem;     // page item of the knob's edit box or the swatch's dropper
};

struct EffectDescriptor {
    const char* shortName;       // "airbrush": how hosts and users name it
    const char* className;       // "AirBrush": its class in the type library
    const char* pageClassName;   // "AirBrushPP"
    const char* displayName;     // "Quillet Air Brush"
    UINT displayNameStringId;    // where the string table holds the display name
    const char* pageTitle;       // "Air Brush", the page's title item
    const char* summary;         // what it does, in a few words, for hosts' listings
    CLSID clsid;
    CLSID pageClsid;
    const char* progId;                    // "Main.Plugin.1"
    const char* versionIndependentProgId;  // "Main.Plugin"
    const char* pageProgId;                // "Main.PluginPP.1"
    const char* pageVersionIndependentProgId;
    UINT scriptId;      // "REGISTRY" resource of the effect
    UINT pageScriptId;  // "REGISTRY" resource of the page
    GUID scriptTypeLib; // the 'TypeLib' value the effect's script writes
    DWORD effectCode;   // what the plug-in extension reports
    size_t recordSize;
    const void* presets;       // presetCount records of recordSize bytes; row 0 is a new effect's state
    int presetCount;
    UINT firstPresetStringId;  // row i is named by string firstPresetStringId + i
    UINT dialogId;             // the page's dialog template
    UINT helpContext;          // the page's help topic
    std::span<const RecordFieldDescriptor> fields;  // in record order, flag and padding left out
};

// All effects share their program identifiers, and so do all pages.
inline constexpr const char* kEffectProgId = "Main.Plugin.1";
inline constexpr const char* kEffectVersionIndependentProgId = "Main.Plugin";
inline constexpr const char* kPageProgId = "Main.PluginPP.1";
inline constexpr const char* kPageVersionIndependentProgId = "Main.PluginPP";

template <class T>
consteval FieldKind FieldKindOf() {
    static_assert(std::is_same_v<T, COLORREF> || std::is_same_v<T, float>, "a page edits colours and floats only");
    return std::is_same_v<T, COLORREF> ? FieldKind::Colour : FieldKind::Number;
}

// A field whose name, offset and kind come from the record type itself.
#define BRUSHWERK_RECORD_FIELD(Record, member, label, under, controlItem, entryItem)                                \
    RecordFieldDescriptor {                                                                                        \
        #member, offsetof(Record, member), FieldKindOf<decltype(Record::member)>(), label, under, controlItem, entryItem \
    }

// Fields in record order, each inside the record and clear of the one before; no page
// item bound twice.
consteval bool FieldsFitRecord(const EffectDescriptor& d) {
    size_t next = 0;
    for (size_t i = 0; i < d.fields.size(); ++i) {
        const RecordFieldDescriptor& f = d.fields[i];
        if (f.offset < next || f.offset + 4 > d.recordSize) return false;
        next = f.offset + 4;
        for (size_t j = 0; j < i; ++j) {
            const RecordFieldDescriptor& g = d.fields[j];
            if (f.controlItem == g.controlItem || f.controlItem == g.entryItem || f.entryItem == g.controlItem ||
                f.entryItem == g.entryItem)
                return false;
        }
    }
    // The preset table's address is not compared here: under the sanitizers an address
    // is not a constant expression.
    return d.presetCount >= 1;
}
