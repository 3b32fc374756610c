#include "host/frei0r/tests/test_host_settings.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "host/common/effect_catalog.h"

namespace brushwerk::frei0r::testing {
namespace {

int Byte(float component) { return static_cast<int>(std::lround(component * 255.0f)); }

f0r_param_color_t ColourFromHex(const std::string& text) {
    unsigned r = 0, g = 0, b = 0;
    std::sscanf(text.c_str(), "#%02x%02x%02x", &r, &g, &b);
    return {r / 255.0f, g / 255.0f, b / 255.0f};
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

HostParameters ParametersFor(const std::string& effect, const EffectSettings& settings) {
    PluginLibrary plugin(effect);
    f0r_instance_t instance = plugin.construct(0, 0);
    if (!settings.preset.empty()) SetString(plugin, instance, 0, settings.preset.c_str());
    const common::EffectInfo& info = *common::FindEffect(effect);
    for (const auto& [name, value] : settings.fields) {
        const common::RecordField& field = *common::FindField(info, name);
        const int index = static_cast<int>(&field - info.fields.data()) + 1;
        if (field.kind == common::FieldKind::Colour) {
            f0r_param_color_t c = ColourFromHex(value);
            plugin.set_param_value(instance, &c, index);
        } else {
            SetDouble(plugin, instance, index, std::stod(value));
        }
    }
    const int processors = plugin.Info().num_params - 1;
    if (settings.processors) SetString(plugin, instance, processors, std::to_string(settings.processors).c_str());

    HostParameters out;
    const std::vector<f0r_param_info_t> params = plugin.Params();
    for (size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i);
        std::string ffmpegValue, meltValue;
        if (index == processors) {
            ffmpegValue = meltValue = GetString(plugin, instance, index);
        } else if (params[i].type == F0R_PARAM_STRING) {
            ffmpegValue = meltValue = settings.preset;
        } else if (params[i].type == F0R_PARAM_COLOR) {
            const f0r_param_color_t c = GetColour(plugin, instance, index);
            ffmpegValue = ExactText(c.r) + "/" + ExactText(c.g) + "/" + ExactText(c.b);
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%02x%02x%02xff", Byte(c.r), Byte(c.g), Byte(c.b));
            meltValue = hex;
        } else {
            ffmpegValue = meltValue = ExactText(GetDouble(plugin, instance, index));
        }
        out.ffmpegFilterParams += (i ? "|" : "") + ffmpegValue;
        if (params[i].type != F0R_PARAM_STRING || !settings.preset.empty())
            out.meltProperties.push_back(std::to_string(index) + "=" + meltValue);
    }
    plugin.destruct(instance);
    // A preset alone is sent alone, as a user would write it.
    if (settings.fields.empty() && !settings.processors && !settings.preset.empty())
        out = {settings.preset, {"0=" + settings.preset}};
    return out;
}

RenderRequest RequestFor(const std::string& effect, const EffectSettings& settings, unsigned width, unsigned height) {
    RenderRequest request;
    request.effect = effect;
    request.preset = settings.preset;
    for (const auto& [name, value] : settings.fields) request.sets.push_back(name + "=" + value);
    request.processors = settings.processors;
    request.width = width;
    request.height = height;
    return request;
}

std::vector<EffectSettings> SettingsCasesFor(const std::string& effect) {
    PluginLibrary plugin(effect);
    f0r_instance_t instance = plugin.construct(0, 0);
    // Preset names as the module has them: by number, read back.
    SetString(plugin, instance, 0, "1");
    const std::string second = GetString(plugin, instance, 0);
    std::string last;
    for (int i = 2; i < 64; ++i) {
        SetString(plugin, instance, 0, std::to_string(i).c_str());
        if (GetString(plugin, instance, 0) == last) break;
        last = GetString(plugin, instance, 0);
    }
    plugin.destruct(instance);

    const common::EffectInfo& info = *common::FindEffect(effect);
    EffectSettings overridden{Lower(last), {}, 3};
    for (const common::RecordField& field : info.fields) {
        if (field.kind == common::FieldKind::Number && overridden.fields.empty())
            overridden.fields.emplace_back(field.name, "0.3");
    }
    for (const common::RecordField& field : info.fields) {
        if (field.kind == common::FieldKind::Colour) {
            overridden.fields.emplace_back(field.name, "#336699");
            break;
        }
    }
    return {EffectSettings{}, EffectSettings{second, {}, 0}, overridden};
}

}  // namespace brushwerk::frei0r::testing
