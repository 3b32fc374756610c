// Record fields as frei0r values. A colour reference holds red in the low byte, green
// in the next, blue in the third; a frei0r colour is three floats in 0..1. Numbers are
// the record's single-precision floats, handed to hosts as doubles.
//
// Hosts may send anything: NaN or infinite components, numbers beyond single precision.
// Those are refused (the field keeps its value) rather than turned into values the
// effect never sees from its own page; colour components outside 0..1 are clamped.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/frei0r/frei0r_api.h"

namespace brushwerk::frei0r {

using RecordBytes = std::vector<uint8_t>;

// Nearest byte of a 0..1 component; nullopt for NaN or infinite components.
std::optional<uint32_t> ColourRefFromFrei0r(const f0r_param_color_t& colour);
f0r_param_color_t Frei0rFromColourRef(uint32_t ref);

// The single-precision value a host's double becomes; nullopt when it has none.
std::optional<float> RecordNumberFromDouble(double value);

uint32_t ReadU32(const RecordBytes& record, size_t offset);
void WriteU32(RecordBytes& record, size_t offset, uint32_t value);
float ReadF32(const RecordBytes& record, size_t offset);
void WriteF32(RecordBytes& record, size_t offset, float value);

}  // namespace brushwerk::frei0r
