#include "host/frei0r/record_fields.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace brushwerk::frei0r {
namespace {

uint32_t ComponentByte(float v) {
    const double clamped = v < 0.0f ? 0.0 : (v > 1.0f ? 1.0 : double(v));
    return static_cast<uint32_t>(std::lround(clamped * 255.0));
}

}  // namespace

std::optional<uint32_t> ColourRefFromFrei0r(const f0r_param_color_t& colour) {
    if (!std::isfinite(colour.r) || !std::isfinite(colour.g) || !std::isfinite(colour.b)) return std::nullopt;
    return ComponentByte(colour.r) | (ComponentByte(colour.g) << 8) | (ComponentByte(colour.b) << 16);
}

f0r_param_color_t Frei0rFromColourRef(uint32_t ref) {
    return {static_cast<float>(ref & 0xFF) / 255.0f, static_cast<float>((ref >> 8) & 0xFF) / 255.0f,
            static_cast<float>((ref >> 16) & 0xFF) / 255.0f};
}

std::optional<float> RecordNumberFromDouble(double value) {
    if (!std::isfinite(value) || std::fabs(value) > double(std::numeric_limits<float>::max())) return std::nullopt;
    return static_cast<float>(value);
}

uint32_t ReadU32(const RecordBytes& record, size_t offset) {
    uint32_t v = 0;
    if (offset + 4 <= record.size()) std::memcpy(&v, record.data() + offset, 4);
    return v;
}

void WriteU32(RecordBytes& record, size_t offset, uint32_t value) {
    if (offset + 4 <= record.size()) std::memcpy(record.data() + offset, &value, 4);
}

float ReadF32(const RecordBytes& record, size_t offset) {
    float v = 0.0f;
    if (offset + 4 <= record.size()) std::memcpy(&v, record.data() + offset, 4);
    return v;
}

void WriteF32(RecordBytes& record, size_t offset, float value) {
    if (offset + 4 <= record.size()) std::memcpy(record.data() + offset, &value, 4);
}

}  // namespace brushwerk::frei0r
