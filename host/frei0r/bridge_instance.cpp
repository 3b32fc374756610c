#include "host/frei0r/bridge_instance.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

BridgeInstance::BridgeInstance(const PluginContext& plugin, unsigned width, unsigned height)
    : m_plugin(plugin),
      m_width(width),
      m_height(height),
      m_pool(plugin),
      m_record(plugin.Presets().front().record),
      m_presetName(&plugin.Presets().front().name),
      m_requestedPreset(plugin.Presets().front().name),
      m_processors(std::min(MachineProcessors(), kMaxProcessors)) {}

std::unique_ptr<BridgeInstance> BridgeInstance::Create(const PluginContext& plugin, unsigned width, unsigned height) {
    if (!plugin.IsOpen() || plugin.Presets().empty()) return nullptr;
    std::unique_ptr<BridgeInstance> instance(new BridgeInstance(plugin, width, height));
    // The first effect object now: a module that cannot make one fails the construction,
    // not the first frame.
    std::unique_ptr<EffectRenderer> first = instance->m_pool.Take();
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
    if (index < 0) return;
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
            unsigned processors = 0;
            if (!ProcessorsFromDouble(*static_cast<const f0r_param_double*>(value), &processors)) return;
            std::lock_guard lock(m_mutex);
            m_processors = processors;
            return;
        }
        case ParameterRole::Field:
            break;
    }
    const common::RecordField& field = *info->field;
    if (field.kind == common::FieldKind::Colour) {
        const std::optional<uint32_t> ref = ColourRefFromFrei0r(*static_cast<const f0r_param_color_t*>(value));
        if (!ref) return;
        std::lock_guard lock(m_mutex);
        WriteU32(m_record, field.offset, *ref);
    } else {
        const std::optional<float> number = RecordNumberFromDouble(*static_cast<const f0r_param_double*>(value));
        if (!number) return;
        std::lock_guard lock(m_mutex);
        WriteF32(m_record, field.offset, *number);
    }
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
            *static_cast<f0r_param_double*>(value) = m_processors;
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

RecordBytes BridgeInstance::Record() const {
    std::lock_guard lock(m_mutex);
    return m_record;
}

void BridgeInstance::Update(const uint32_t* in, uint32_t* out) {
    if (!in || !out || m_width == 0 || m_height == 0) return;
    if (!FrameSizeIsRenderable(m_width, m_height)) return;
    RecordBytes record;
    unsigned processors = 0;
    {
        std::lock_guard lock(m_mutex);
        record = m_record;
        processors = m_processors;
    }
    std::unique_ptr<EffectRenderer> renderer = m_pool.Take();
    if (!renderer) {
        PassThrough(in, out, m_width, m_height);
        return;
    }
    HRESULT hr = renderer->UseProcessors(processors);
    if (SUCCEEDED(hr)) hr = renderer->UseRecord(record);
    if (SUCCEEDED(hr)) {
        // A failing frame leaves the input in out (Render fills it first).
        renderer->Render(reinterpret_cast<const uint8_t*>(in), reinterpret_cast<uint8_t*>(out), m_width, m_height);
    } else {
        PassThrough(in, out, m_width, m_height);
    }
    m_pool.Give(std::move(renderer));
}

}  // namespace brushwerk::frei0r
