// Writes Kdenlive's effect description for each plugin of the bridge into the folder
// given as the only argument (quillet_<effect>.xml), from the effects' descriptors: the
// record fields under the names the plugins give them, colours as colours, numbers
// animated on the pages' 0..100 scale, defaults from preset row 0 (a new effect's
// state). Run by the build, so the descriptions follow the descriptors.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "host/common/effect_catalog.h"
#include "host/frei0r/parameter_table.h"

namespace {

using brushwerk::common::EffectInfo;
using brushwerk::common::RecordField;

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

// The field's value in preset row 0, as Kdenlive reads a default.
std::string DefaultOf(const EffectInfo& effect, const RecordField& field) {
    const auto* row = static_cast<const unsigned char*>(effect.presets) + field.offset;
    char text[32];
    if (field.kind == FieldKind::Colour) {
        uint32_t ref = 0;
        std::memcpy(&ref, row, sizeof ref);
        std::snprintf(text, sizeof text, "0x%02x%02x%02xff", ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
    } else {
        float value = 0.0f;
        std::memcpy(&value, row, sizeof value);
        std::snprintf(text, sizeof text, "%g", double(value));
    }
    return text;
}

std::string Description(const EffectInfo& effect) {
    std::string summary = effect.summary;
    if (!summary.empty()) summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    const std::string plugin = std::string("frei0r.quillet_") + effect.shortName;
    std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE kpartgui>\n";
    xml += "<effect LC_NUMERIC=\"C\" tag=\"" + plugin + "\" id=\"" + plugin + "\" type=\"video\">\n";
    xml += "    <name>" + Escaped(effect.displayName) + "</name>\n";
    xml += "    <description>" + Escaped(summary) + " (Quillet Brushwerk)</description>\n";
    xml += "    <author>Quillet</author>\n";
    for (const RecordField& field : effect.fields) {
        const std::string name = Escaped(brushwerk::frei0r::ParameterNameOf(field));
        if (field.kind == FieldKind::Colour)
            xml += "    <parameter type=\"color\" name=\"" + name + "\" default=\"" + DefaultOf(effect, field) + "\">\n";
        else
            xml += "    <parameter type=\"animated\" name=\"" + name + "\" default=\"" + DefaultOf(effect, field) +
                   "\" min=\"0\" max=\"100\" factor=\"100\" decimals=\"1\">\n";
        xml += "        <name>" + name + "</name>\n    </parameter>\n";
    }
    xml += "</effect>\n";
    return xml;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT_FOLDER\n";
        return 2;
    }
    for (const EffectInfo& effect : brushwerk::common::AllEffects()) {
        const std::string path = std::string(argv[1]) + "/quillet_" + effect.shortName + ".xml";
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << Description(effect);
        if (!out.flush()) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
