// One set of effect settings expressed three ways: as the brushwerk program's options,
// as ffmpeg's positional filter_params and as MLT's indexed properties. The parameter
// values come from a live plugin instance given the same settings, so each host
// receives every field exactly as the record holds it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/frei0r/tests/test_support.h"

namespace brushwerk::frei0r::testing {

struct EffectSettings {
    std::string preset;                                        // as the host sends it; empty: none
    std::vector<std::pair<std::string, std::string>> fields;   // record field name, "#rrggbb" or number
    unsigned processors = 0;                                   // 0: the default (the machine's)
};

struct HostParameters {
    std::string ffmpegFilterParams;      // "preset|v1|...|processors"
    std::vector<std::string> meltProperties;  // "0=preset", "1=...", ...
};

// The values a plugin instance holds after these settings, in the hosts' text forms.
HostParameters ParametersFor(const std::string& effect, const EffectSettings& settings);

// The same settings as a brushwerk render request over width x height frames.
RenderRequest RequestFor(const std::string& effect, const EffectSettings& settings, unsigned width, unsigned height);

// The settings every host test runs per effect: the defaults, a second preset named
// exactly and sent alone, and the last preset named loosely with a number and a
// colour field overridden and three processors.
std::vector<EffectSettings> SettingsCasesFor(const std::string& effect);

}  // namespace brushwerk::frei0r::testing
