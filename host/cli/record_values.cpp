#include "host/cli/record_values.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace brushwerk::cli {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool ParseByte(std::string_view s, uint8_t* out) {
    s = Trim(s);
    if (s.empty()) return false;
    unsigned v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 10);
    if (ec != std::errc() || end != s.data() + s.size() || v > 255) return false;
    *out = static_cast<uint8_t>(v);
    return true;
}

}  // namespace

ColourParse ParseColour(std::string_view text) {
    ColourParse result;
    std::string_view s = Trim(text);
    if (s.starts_with('#')) {
        s.remove_prefix(1);
        unsigned v = 0;
        auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
        if (s.size() != 6 || ec != std::errc() || end != s.data() + s.size()) {
            result.error = "bad colour '" + std::string(text) + "': expected #rrggbb with six hex digits";
            return result;
        }
        result.value = {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
        result.ok = true;
        return result;
    }
    size_t c1 = s.find(','), c2 = c1 == std::string_view::npos ? c1 : s.find(',', c1 + 1);
    if (c1 != std::string_view::npos && c2 != std::string_view::npos && s.find(',', c2 + 1) == std::string_view::npos &&
        ParseByte(s.substr(0, c1), &result.value.r) && ParseByte(s.substr(c1 + 1, c2 - c1 - 1), &result.value.g) &&
        ParseByte(s.substr(c2 + 1), &result.value.b)) {
        result.ok = true;
        return result;
    }
    result.error = "bad colour '" + std::string(text) + "': expected #rrggbb or r,g,b with each part 0..255";
    return result;
}

NumberParse ParseNumber(std::string_view text) {
    NumberParse result;
    std::string_view s = Trim(text);
    double v = 0.0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    const bool whole = !s.empty() && end == s.data() + s.size();
    if (whole && (ec == std::errc::result_out_of_range || (ec == std::errc() && std::fabs(v) > 3.4e38))) {
        result.error = "number '" + std::string(text) +
                       "' is out of range: a field holds -3.4e38 .. 3.4e38 (its page offers 0..1)";
        return result;
    }
    if (!whole || ec != std::errc() || std::isnan(v)) {
        result.error = "bad number '" + std::string(text) + "': expected a decimal number such as 0.35";
        return result;
    }
    result.value = static_cast<float>(v);
    result.ok = true;
    return result;
}

uint32_t ColourToRef(Rgb c) { return uint32_t(c.r) | (uint32_t(c.g) << 8) | (uint32_t(c.b) << 16); }
Rgb RefToColour(uint32_t ref) {
    return {static_cast<uint8_t>(ref), static_cast<uint8_t>(ref >> 8), static_cast<uint8_t>(ref >> 16)};
}

// Records are little-endian; assemble bytes explicitly so the host reads them the same everywhere.
uint32_t ReadU32(const RecordBytes& record, size_t offset) {
    return uint32_t(record.at(offset)) | (uint32_t(record.at(offset + 1)) << 8) |
           (uint32_t(record.at(offset + 2)) << 16) | (uint32_t(record.at(offset + 3)) << 24);
}
void WriteU32(RecordBytes& record, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) record.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}
float ReadF32(const RecordBytes& record, size_t offset) {
    uint32_t bits = ReadU32(record, offset);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
void WriteF32(RecordBytes& record, size_t offset, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    WriteU32(record, offset, bits);
}

std::string ApplyAssignment(const EffectInfo& effect, RecordBytes& record, std::string_view assignment) {
    size_t eq = assignment.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return "bad --set '" + std::string(assignment) + "': expected FIELD=VALUE";
    std::string_view name = Trim(assignment.substr(0, eq));
    std::string_view value = assignment.substr(eq + 1);
    const RecordField* field = FindField(effect, name);
    if (!field) {
        std::string known;
        for (const RecordField& f : effect.fields) known += (known.empty() ? "" : ", ") + std::string(f.name);
        return "unknown field '" + std::string(name) + "' for " + effect.shortName + "; fields: " + known;
    }
    if (record.size() != effect.recordSize) return "internal: record of wrong size";
    if (field->kind == FieldKind::Colour) {
        ColourParse c = ParseColour(value);
        if (!c.ok) return std::string(field->name) + ": " + c.error;
        WriteU32(record, field->offset, ColourToRef(c.value));
    } else {
        NumberParse n = ParseNumber(value);
        if (!n.ok) return std::string(field->name) + ": " + n.error;
        WriteF32(record, field->offset, n.value);
    }
    return {};
}

std::string FormatColour(Rgb c) {
    static const char* hex = "0123456789abcdef";
    std::string s = "#";
    for (uint8_t b : {c.r, c.g, c.b}) {
        s += hex[b >> 4];
        s += hex[b & 15];
    }
    return s;
}

std::string FormatNumber(float v) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    if (ec != std::errc()) return "?";
    return std::string(buf, end);
}

std::string FormatField(const RecordBytes& record, const RecordField& field) {
    if (field.kind == FieldKind::Colour) return FormatColour(RefToColour(ReadU32(record, field.offset)));
    return FormatNumber(ReadF32(record, field.offset));
}

}  // namespace brushwerk::cli
