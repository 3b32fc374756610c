// The host's knowledge of the module's seven effects: how a user names them, their
// class identifiers and the published layout of each parameter record (field name,
// byte offset, colour or number, the label its property page shows).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/com/guid.h"

namespace brushwerk::common {

enum class FieldKind { Colour, Number };

struct RecordField {
    const char* name;     // the record's field name, as --set takes it
    size_t offset;        // byte offset in the stored record
    FieldKind kind;       // colour reference (u32, red in the low byte) or f32
    const char* label;    // the label of the page control that edits it
    const char* under;    // the page group the control sits under, or null
};

struct EffectInfo {
    const char* shortName;    // "airbrush"
    const char* displayName;  // "Quillet Air Brush", used when the module names none
    const char* pageTitle;    // "Air Brush"
    const char* summary;      // what the effect does, in a few words
    CLSID clsid;
    UINT displayNameStringId; // the module's string table holds the display name here
    size_t recordSize;        // bytes of the stored record
    std::span<const RecordField> fields;
};

// The seven effects in the order `list` shows them.
std::span<const EffectInfo> AllEffects();

// Finds an effect by short name or display name, ignoring case, blanks and the
// "Quillet" prefix ("Duo Chrome", "duochrome" and "Quillet DuoChrome" are one effect).
const EffectInfo* FindEffect(std::string_view name);

// Finds a field of an effect's record by name, ignoring case.
const RecordField* FindField(const EffectInfo& effect, std::string_view name);

// Lower case letters and digits only, without a leading "quillet": the form names are compared in.
std::string NormaliseEffectName(std::string_view name);

const char* FieldKindName(FieldKind kind);

}  // namespace brushwerk::common
