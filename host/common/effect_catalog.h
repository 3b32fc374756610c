// The host's knowledge of the module's seven effects: how a user names them, their
// class identifiers and the published layout of each parameter record (field name,
// byte offset, colour or number, the label its property page shows), all read from
// the effects' published descriptors.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sdk/effects.h"

namespace brushwerk::common {

// The catalogue is the module's published descriptors (sdk/), seen from a host.
using ::FieldKind;
using RecordField = ::RecordFieldDescriptor;
using EffectInfo = ::EffectDescriptor;

// The seven effects in the order `list` shows them (by short name).
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
