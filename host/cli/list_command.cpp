// `brushwerk list`: what the module offers, asked of the module itself: display names
// from its string table, presets (names and the records they give) through the
// preset interface; field layouts from the host's catalog of the published records.
#include <algorithm>
#include <string>
#include <vector>

#include "host/cli/commands.h"
#include "host/cli/checked_session.h"
#include "host/cli/text_output.h"

namespace brushwerk::cli {
namespace {

struct PresetReport {
    std::string name;
    RecordBytes record;
};

struct EffectReport {
    const EffectInfo* info;
    std::string displayName;
    std::vector<PresetReport> presets;
};

EffectReport Describe(const ModuleHost& host, const EffectInfo& effect) {
    EffectReport report{&effect, host.DisplayName(effect), {}};
    CheckedSession fx(host, effect);
    const std::vector<std::string> names = fx.PresetNames();
    for (size_t i = 0; i < names.size(); ++i) {
        fx.SelectPreset(static_cast<int>(i));
        report.presets.push_back({names[i], fx.Record()});
    }
    return report;
}

void WriteText(const std::vector<EffectReport>& reports, std::ostream& out) {
    for (const EffectReport& r : reports) {
        out << r.info->shortName << "  \"" << r.displayName << "\"  " << GuidToString(r.info->clsid) << "\n";
        out << "  record: " << r.info->recordSize << " bytes\n  fields:\n";
        for (const RecordField& f : r.info->fields) {
            std::string line = "    " + std::string(f.name);
            line.resize(std::max<size_t>(line.size() + 1, 16), ' ');
            line += FieldKindName(f.kind);
            line.resize(std::max<size_t>(line.size() + 1, 24), ' ');
            line += "\"" + std::string(f.label) + "\"";
            if (f.under) line += " under \"" + std::string(f.under) + "\"";
            out << line << "\n";
        }
        out << "  presets:\n";
        for (size_t i = 0; i < r.presets.size(); ++i) {
            std::string line = "    " + std::to_string(i);
            line.resize(std::max<size_t>(line.size() + 1, 8), ' ');
            out << line << "\"" << r.presets[i].name << "\"\n";
        }
        out << "\n";
    }
}

void WriteJson(const std::vector<EffectReport>& reports, std::ostream& out) {
    out << "{\"effects\": [";
    for (size_t e = 0; e < reports.size(); ++e) {
        const EffectReport& r = reports[e];
        out << (e ? ",\n  " : "\n  ") << "{\"name\": " << JsonString(r.info->shortName)
            << ", \"displayName\": " << JsonString(r.displayName) << ", \"summary\": " << JsonString(r.info->summary)
            << ", \"clsid\": " << JsonString(GuidToString(r.info->clsid))
            << ", \"recordSize\": " << r.info->recordSize << ",\n   \"fields\": [";
        for (size_t i = 0; i < r.info->fields.size(); ++i) {
            const RecordField& f = r.info->fields[i];
            out << (i ? ", " : "") << "{\"name\": " << JsonString(f.name) << ", \"kind\": " << JsonString(FieldKindName(f.kind))
                << ", \"label\": " << JsonString(f.label);
            if (f.under) out << ", \"under\": " << JsonString(f.under);
            out << ", \"offset\": " << f.offset << "}";
        }
        out << "],\n   \"presets\": [";
        for (size_t i = 0; i < r.presets.size(); ++i) {
            out << (i ? ",\n     " : "\n     ") << "{\"index\": " << i << ", \"name\": " << JsonString(r.presets[i].name)
                << ", \"values\": {";
            for (size_t k = 0; k < r.info->fields.size(); ++k) {
                const RecordField& f = r.info->fields[k];
                const std::string value = FormatField(r.presets[i].record, f);
                out << (k ? ", " : "") << JsonString(f.name) << ": "
                    << (f.kind == FieldKind::Colour ? JsonString(value) : value);
            }
            out << "}}";
        }
        out << "]}";
    }
    out << "\n]}\n";
}

}  // namespace

int RunList(const ListOptions& options, std::ostream& out) {
    ModuleHost host(ModuleLocation{options.modulePath});
    std::vector<EffectReport> reports;
    for (const EffectInfo& effect : AllEffects()) reports.push_back(Describe(host, effect));
    if (options.json)
        WriteJson(reports, out);
    else
        WriteText(reports, out);
    return 0;
}

}  // namespace brushwerk::cli
