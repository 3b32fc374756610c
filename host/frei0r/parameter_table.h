// The frei0r parameters of one effect, in index order:
//   0        "preset"      string: a preset row by name (or index), applied when it changes
//   1 .. n   the record's fields, named by their page labels: colours as frei0r colours,
//            numbers as frei0r doubles in the record's own units (0..1 on the page)
//   n + 1    "processors"  string: the processor count the effect's site reports, which
//            sets how many bands a frame is cut into ("0" or empty: this machine's); text
//            rather than a double because GStreamer bounds doubles to 0..1
//   n + 2    "per-band"    bool: off (default) renders each band as a slice of one
//            picture, the same for every processor count; on renders each band as a
//            picture of its own, as hosts that do not choose see it
// The preset comes first so that hosts which set parameters in index order (ffmpeg's
// filter_params) apply it before the fields that override it.
#pragma once

#include <string>
#include <vector>

#include "host/common/effect_catalog.h"

namespace brushwerk::frei0r {

enum class ParameterRole { Preset, Field, Processors, Banding };

struct ParameterInfo {
    ParameterRole role;
    int type;                                  // F0R_PARAM_*
    std::string name;
    std::string explanation;
    const common::RecordField* field = nullptr;  // for ParameterRole::Field
};

class ParameterTable {
public:
    explicit ParameterTable(const common::EffectInfo& effect);

    int Count() const { return static_cast<int>(m_parameters.size()); }
    // Null for an index outside [0, Count()).
    const ParameterInfo* At(int index) const;

private:
    std::vector<ParameterInfo> m_parameters;
};

// The name a record field goes by: its page label, preceded by the group it sits under
// when the label alone repeats ("Color 1 Strength").
std::string ParameterNameOf(const common::RecordField& field);

}  // namespace brushwerk::frei0r
