// One effect object driven as a host drives it: started from InitNew, handed a site
// whose task manager reports the wanted processor count, given its record through
// IPersistStreamInit::Load, and run over frei0r frames wrapped as host surfaces.
//
// Frames are B, G, R, A bytes with straight alpha (the plugins declare
// F0R_COLOR_MODEL_BGRA8888), which is exactly the host stand-in's straight sample
// format DXPF_ARGB32: the frames are wrapped without copying, and the surface locks
// premultiplies what the effect reads and un-premultiplies what it writes, as they do
// for the command line's straight frames.
//
// One renderer serves one thread at a time; the renderer pool hands them out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sdk/plugininterfaces.h"
#include "host/common/effect_catalog.h"
#include "host/frei0r/module_connection.h"

namespace brushwerk::frei0r {

using RecordBytes = std::vector<uint8_t>;

struct Preset {
    std::string name;
    RecordBytes record;
};

class EffectRenderer {
public:
    static HRESULT Create(const ModuleConnection& module, const common::EffectInfo& effect,
                          std::unique_ptr<EffectRenderer>* renderer);

    // Loads the record into the object when it differs from the one it holds.
    HRESULT UseRecord(const RecordBytes& record);
    // Hands the object a new site when the processor count changed.
    HRESULT UseProcessors(unsigned processors);

    // Renders one straight B, G, R, A frame of width x height, rows packed. The output
    // first receives the input's samples, so whatever the effect leaves unwritten (or a
    // frame it refuses) shows the input. in may equal out.
    HRESULT Render(const uint8_t* in, uint8_t* out, unsigned width, unsigned height);

    // Every preset's name and record, read through the object's own preset interface.
    HRESULT ReadPresets(std::vector<Preset>* presets);
    // The record the object holds now (IPersistStreamInit::Save).
    HRESULT ReadRecord(RecordBytes* record) const;

private:
    explicit EffectRenderer(const common::EffectInfo& effect) : m_effect(effect) {}

    const common::EffectInfo& m_effect;
    ComPtr<IUnknown> m_object;
    ComPtr<IStaticFilterPreset> m_presets;
    ComPtr<IPersistStreamInit> m_persist;
    ComPtr<IObjectWithSite> m_withSite;
    ComPtr<IDXTransform> m_transform;
    RecordBytes m_record;       // what the object holds
    unsigned m_processors = 0;  // what its site reports; 0 before the first site
    std::vector<uint8_t> m_inputCopy;  // the input, when the host hands one buffer for both
};

// The largest frame the bridge renders: the surfaces address rows with 32-bit pitches.
bool FrameSizeIsRenderable(unsigned width, unsigned height);

}  // namespace brushwerk::frei0r
