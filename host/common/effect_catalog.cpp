#include "host/common/effect_catalog.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace brushwerk::common {
namespace {

constexpr std::array<EffectInfo, std::size(kEffectDescriptors)> EffectsByShortName() {
    std::array<EffectInfo, std::size(kEffectDescriptors)> effects{};
    for (size_t i = 0; i < effects.size(); ++i) effects[i] = *kEffectDescriptors[i];
    std::sort(effects.begin(), effects.end(), [](const EffectInfo& a, const EffectInfo& b) {
        return std::string_view(a.shortName) < std::string_view(b.shortName);
    });
    return effects;
}
constexpr std::array<EffectInfo, std::size(kEffectDescriptors)> kEffects = EffectsByShortName();

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::span<const EffectInfo> AllEffects() { return kEffects; }

std::string NormaliseEffectName(std::string_view name) {
    std::string out;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (out.starts_with("quillet") && out.size() > 7) out.erase(0, 7);
    return out;
}

const EffectInfo* FindEffect(std::string_view name) {
    const std::string wanted = NormaliseEffectName(name);
    if (wanted.empty()) return nullptr;
    for (const EffectInfo& e : kEffects) {
        if (wanted == e.shortName || wanted == NormaliseEffectName(e.displayName) ||
            wanted == NormaliseEffectName(e.pageTitle))
            return &e;
    }
    // The module's sources call Metallic "metal".
    if (wanted == "metal") return FindEffect("metallic");
    return nullptr;
}

const RecordField* FindField(const EffectInfo& effect, std::string_view name) {
    for (const RecordField& f : effect.fields)
        if (EqualIgnoringCase(f.name, name)) return &f;
    return nullptr;
}

const char* FieldKindName(FieldKind kind) { return kind == FieldKind::Colour ? "colour" : "number"; }

}  // namespace brushwerk::common
