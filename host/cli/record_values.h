// Reading and writing the fields of a stored parameter record, and the text forms a
// user types for them: colours as "#rrggbb" or "r,g,b", numbers as the record stores
// them (single precision, 0..1 on the pages).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/cli/effect_catalog.h"

namespace brushwerk::cli {

using RecordBytes = std::vector<uint8_t>;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Parse results carry an error text instead of throwing, so callers can name the field.
struct ColourParse {
    bool ok = false;
    Rgb value;
    std::string error;
};
struct NumberParse {
    bool ok = false;
    float value = 0.0f;
    std::string error;
};

ColourParse ParseColour(std::string_view text);
// Accepts a finite decimal number; the record keeps its nearest single-precision value.
NumberParse ParseNumber(std::string_view text);

// A colour reference holds red in the low byte, green next, blue in the third, top byte 0.
uint32_t ColourToRef(Rgb c);
Rgb RefToColour(uint32_t ref);

uint32_t ReadU32(const RecordBytes& record, size_t offset);
void WriteU32(RecordBytes& record, size_t offset, uint32_t value);
float ReadF32(const RecordBytes& record, size_t offset);
void WriteF32(RecordBytes& record, size_t offset, float value);

// "FIELD=VALUE" applied to a record of the effect; returns an error text, empty on success.
std::string ApplyAssignment(const EffectInfo& effect, RecordBytes& record, std::string_view assignment);

// The value of a field as the user would type it: "#rrggbb" or the shortest decimal
// that reads back to the same float.
std::string FormatField(const RecordBytes& record, const RecordField& field);
std::string FormatColour(Rgb c);
std::string FormatNumber(float v);

}  // namespace brushwerk::cli
