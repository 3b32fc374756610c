#include "host/frei0r/parameter_table.h"

#include "host/frei0r/frei0r_api.h"

namespace brushwerk::frei0r {

std::string ParameterNameOf(const common::RecordField& field) {
    return field.under ? std::string(field.under) + " " + field.label : std::string(field.label);
}

ParameterTable::ParameterTable(const common::EffectInfo& effect) {
    m_parameters.push_back({ParameterRole::Preset, F0R_PARAM_STRING, "preset",
                            "Preset by name (or number): sets every field; fields set after it override it", nullptr});
    for (const common::RecordField& field : effect.fields) {
        const bool colour = field.kind == common::FieldKind::Colour;
        std::string explanation = std::string("Record field ") + field.name +
                                  (colour ? " (colour)" : " (0..1; the effect's page shows it x 100)");
        m_parameters.push_back({ParameterRole::Field, colour ? F0R_PARAM_COLOR : F0R_PARAM_DOUBLE,
                                ParameterNameOf(field), std::move(explanation), &field});
    }
    m_parameters.push_back({ParameterRole::Processors, F0R_PARAM_STRING, "processors",
                            "Processor count the effect sees, as text such as \"2\" (0 or empty: this machine's); "
                            "frames are cut into up to 4 bands, one per processor, rendered in parallel",
                            nullptr});
    m_parameters.push_back({ParameterRole::Banding, F0R_PARAM_BOOL, "per-band",
                            "Off (default): bands are slices of one picture, the same for every processor count. "
                            "On: each band is a picture of its own, as stored projects were rendered, and the "
                            "result depends on the processor count",
                            nullptr});
}

const ParameterInfo* ParameterTable::At(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &m_parameters[static_cast<size_t>(index)];
}

}  // namespace brushwerk::frei0r
