#include "host/frei0r/bridge_instance.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <thread>

#include "host/frei0r/host_string.h"
#include "host/frei0r/record_fields.h"

namespace brushwerk::frei0r {
namespace {

void PassThrough(const uint32_t* in, uint32_t* out, unsigned width, unsigned height) {
    if (in && out && in != out && FrameSizeIsRenderable(width, height))
        std::memmove(out, in, size_t(width) * height * 4);
}

}  // namespace

bool FrameSizeIsRenderable(unsigned width, unsigned height) {
    constexpr unsigned kLargestSide = std::numeric_limits<int32_t>::max() / 4;
    if (width > kLargestSide || height > kLargestSide) return false;
    return uint64_t(width) * height * 4 <= std::numeric_limits<size_t>::max() / 2;
}

unsigned MachineProcessors() {
    const unsigned machine = std::thread::hardware_concurrency();
    return machine ? machine : 1;
}

bool ProcessorsFromDouble(double value, unsigned* processors) {
    if (std::isnan(value)) return false;
    if (value < 0.5) {
        *processors = MachineProcessors();
    } else {
        *processors = value >= double(kMaxProcessors) ? kMaxProcessors : static_cast<unsigned>(std::lround(value));
    }
    if (*processors > kMaxProcessors) *processors = kMaxProcessors;
    return true;
}

bool ProcessorsFromText(const std::string& text, unsigned* processors) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return ProcessorsFromDouble(0.0, processors);
    const size_t last = text.find_last_not_of(" \t");
    double value = 0.0;
    const char* end = text.data() + last + 1;
    auto [stop, ec] = std::from_chars(text.data() + first, end, value);
    if (stop != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) return false;
    if (ec == std::errc::result_out_of_range) value = text[first] == '-' ? 0.0 : double(kMaxProcessors);
    return ProcessorsFromDouble(value, processors);
}

namespace {

// The processor count as the text GetParameter hands out; it lives as long as the plugin.
const char* CountText(unsigned count) {
    static const std::array<std::string, kMaxProcessors + 1> texts = [] {
        std::array<std::string, kMaxProcessors + 1> t;
        for (unsigned i = 0; i <= kMaxProcessors; ++i) t[i] = std::to_string(i);
        return t;
    }();
    return texts[std::min(count, kMaxProcessors)].c_str();
}

}  // namespace

BridgeInstance::BridgeInstance(const PluginContext& plugin, unsigned width, unsigned height)
    : m_plugin(plugin),
      m_width(width),
      m_height(height),
      m_pool(plugin),
      m_record(plugin.Presets().front().record),
      m_presetName(&plugin.Presets().front().name),
      m_requestedPreset(plugin.Presets().front().name),
      m_hostValues(static_cast<size_t>(plugin.Parameters().Count())),
      m_processors(std::min(MachineProcessors(), kMaxProcessors)) {
    for (int i = 0; i < plugin.Parameters().Count(); ++i) {
        const ParameterInfo& info = *plugin.Parameters().At(i);
        if (info.role != ParameterRole::Field) continue;
        std::array<double, 3>& held = m_hostValues[static_cast<size_t>(i)];
        if (info.field->kind == common::FieldKind::Colour) {
            const f0r_param_color_t c = Frei0rFromColourRef(ReadU32(m_record, info.field->offset));
            held = {c.r, c.g, c.b};
        } else {
            held = {ReadF32(m_record, info.field->offset), 0.0, 0.0};
        }
    }
}

std::unique_ptr<BridgeInstance> BridgeInstance::Create(const PluginContext& plugin, unsigned width, unsigned height) {
    if (!plugin.IsOpen() || plugin.Presets().empty()) return nullptr;
    std::unique_ptr<BridgeInstance> instance(new BridgeInstance(plugin, width, height));
    // The first effect object now: a module that cannot make one fails the construction,
    // not the first frame.
    std::unique_ptr<common::EffectSession> first = instance->m_pool.Take();
    if (!first) return nullptr;
    instance->m_pool.Give(std::move(first));
    return instance;
}

void BridgeInstance::ApplyPreset(const void* param) {
    std::string requested;
    if (!ReadHostString(param, &requested)) return;
    std::lock_guard lock(m_mutex);
    // Applied only when the string changes: hosts that set every parameter on every
    // frame (MLT) would otherwise undo the fields set after it.
    if (m_requestedPreset == requested) return;
    m_requestedPreset = requested;
    const int index = m_plugin.FindPreset(requested);
    if (index < 0) {
        // An empty string (ffmpeg's for a parameter left out) asks for nothing.
        if (requested.find_first_not_of(" \t") != std::string::npos)
            std::fprintf(stderr, "quillet_%s: unknown preset '%.80s' ignored; presets: %s\n", m_plugin.Effect().shortName,
                         requested.c_str(), m_plugin.PresetList().c_str());
        return;
    }
    const Preset& preset = m_plugin.Presets()[static_cast<size_t>(index)];
    m_record = preset.record;
    m_presetName = &preset.name;
}

void BridgeInstance::SetParameter(int index, const void* value) {
    const ParameterInfo* info = m_plugin.Parameters().At(index);
    if (!info || !value) return;
    switch (info->role) {
        case ParameterRole::Preset:
            ApplyPreset(value);
            return;
        case ParameterRole::Processors: {
            std::string text;
            unsigned processors = 0;
            if (!ReadHostString(value, &text) || !ProcessorsFromText(text, &processors)) return;
            std::lock_guard lock(m_mutex);
            m_processors = processors;
            return;
        }
        case ParameterRole::Banding: {
            const double on = *static_cast<const f0r_param_bool*>(value);
            if (std::isnan(on)) return;
            std::lock_guard lock(m_mutex);
            m_perBand = on >= 0.5;
            return;
        }
        case ParameterRole::Field:
            break;
    }
    const common::RecordField& field = *info->field;
    const bool colour = field.kind == common::FieldKind::Colour;
    const f0r_param_color_t c = colour ? *static_cast<const f0r_param_color_t*>(value) : f0r_param_color_t{};
    const std::array<double, 3> given =
        colour ? std::array<double, 3>{c.r, c.g, c.b}
               : std::array<double, 3>{*static_cast<const f0r_param_double*>(value), 0.0, 0.0};
    std::lock_guard lock(m_mutex);
    std::array<double, 3>& held = m_hostValues[static_cast<size_t>(index)];
    if (given == held) return;  // the host repeats itself: no change
    if (colour) {
        const std::optional<uint32_t> ref = ColourRefFromFrei0r(c);
        if (!ref) return;
        WriteU32(m_record, field.offset, *ref);
    } else {
        const std::optional<float> number = RecordNumberFromDouble(given[0]);
        if (!number) return;
        WriteF32(m_record, field.offset, *number);
    }
    held = given;
}

void BridgeInstance::GetParameter(int index, void* value) const {
    const ParameterInfo* info = m_plugin.Parameters().At(index);
    if (!info || !value) return;
    std::lock_guard lock(m_mutex);
    switch (info->role) {
        case ParameterRole::Preset:
            // The name lives as long as the plugin: the pointer stays valid for the host.
            *static_cast<f0r_param_string*>(value) = const_cast<char*>(m_presetName->c_str());
            return;
        case ParameterRole::Processors:
            *static_cast<f0r_param_string*>(value) = const_cast<char*>(CountText(m_processors));
            return;
        case ParameterRole::Banding:
            *static_cast<f0r_param_bool*>(value) = m_perBand ? 1.0 : 0.0;
            return;
        case ParameterRole::Field:
            break;
    }
    const common::RecordField& field = *info->field;
    if (field.kind == common::FieldKind::Colour)
        *static_cast<f0r_param_color_t*>(value) = Frei0rFromColourRef(ReadU32(m_record, field.offset));
    else
        *static_cast<f0r_param_double*>(value) = ReadF32(m_record, field.offset);
}

unsigned BridgeInstance::Processors() const {
    std::lock_guard lock(m_mutex);
    return m_processors;
}

bool BridgeInstance::PerBand() const {
    std::lock_guard lock(m_mutex);
    return m_perBand;
}

RecordBytes BridgeInstance::Record() const {
    std::lock_guard lock(m_mutex);
    return m_record;
}

void BridgeInstance::Update(const uint32_t* in, uint32_t* out) {
    if (!in || !out || m_width == 0 || m_height == 0) return;
    if (!FrameSizeIsRenderable(m_width, m_height)) return;
    RecordBytes record;
    unsigned processors = 0;
    QuilletBandingMode banding = QUILLET_BANDING_WHOLE_FRAME;
    {
        std::lock_guard lock(m_mutex);
        record = m_record;
        processors = m_processors;
        if (m_perBand) banding = QUILLET_BANDING_PER_BAND;
    }
    std::unique_ptr<common::EffectSession> session = m_pool.Take();
    if (!session) {
        PassThrough(in, out, m_width, m_height);
        return;
    }
    HRESULT hr = session->UseSite(processors, banding);
    if (SUCCEEDED(hr)) hr = session->UseRecord(record);
    if (SUCCEEDED(hr)) {
        // Frames are straight B, G, R, A words, rows packed: the surfaces' straight format,
        // wrapped without copying. A failing frame leaves the input in out (Render fills
        // it first).
        const LONG width = static_cast<LONG>(m_width), height = static_cast<LONG>(m_height), pitch = width * 4;
        // The session only reads the input; the const is dropped for the surface's sake.
        const common::FrameMemory input{reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(in)), width, height, pitch, false};
        const common::FrameMemory output{reinterpret_cast<uint8_t*>(out), width, height, pitch, false};
        session->Render(input, output);
    } else {
        PassThrough(in, out, m_width, m_height);
    }
    m_pool.Give(std::move(session));
}

}  // namespace brushwerk::frei0r
