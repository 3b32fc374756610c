// One frei0r instance: the frame size it was made for, the parameter record the
// host's parameters describe, the preset and processor count, and the effect objects
// that render it.
//
// Parameters and frames may arrive from different threads; the record is copied under
// a lock at the start of every frame, so a frame never sees half a change. Nothing
// here reads the time argument of f0r_update: hosts disagree on its unit.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/frei0r/plugin_context.h"
#include "host/frei0r/session_pool.h"

namespace brushwerk::frei0r {

class BridgeInstance {
public:
    // Null when the module cannot make an effect object. Any size is accepted, 0 x 0
    // included (hosts probe with it); frames of a size that cannot be rendered are
    // passed through.
    static std::unique_ptr<BridgeInstance> Create(const PluginContext& plugin, unsigned width, unsigned height);

    // Out-of-range indexes, null values and values the field cannot hold are ignored. A
    // field is written only when the host's value differs from the one it gave before
    // (at first: what it could read, preset row 0), so hosts that send every stored
    // value again after the preset (GStreamer at start) leave the preset in force.
    void SetParameter(int index, const void* value);
    void GetParameter(int index, void* value) const;

    // Renders in into out (both width x height straight B, G, R, A words). When the
    // effect cannot render, out receives the input unchanged.
    void Update(const uint32_t* in, uint32_t* out);

    unsigned Processors() const;
    bool PerBand() const;
    RecordBytes Record() const;

private:
    BridgeInstance(const PluginContext& plugin, unsigned width, unsigned height);
    // param: the host's string parameter (see host_string.h).
    void ApplyPreset(const void* param);

    const PluginContext& m_plugin;
    const unsigned m_width;
    const unsigned m_height;
    SessionPool m_pool;

    mutable std::mutex m_mutex;       // guards the fields below
    RecordBytes m_record;
    const std::string* m_presetName;  // the last preset applied (a name the plugin keeps)
    std::string m_requestedPreset;    // the last preset string the host sent
    std::vector<std::array<double, 3>> m_hostValues;  // per index: the number, or r, g, b, the host last gave
    unsigned m_processors;
    bool m_perBand = false;           // the "per-band" parameter
};

// The largest frame the bridge renders: the surfaces address rows with 32-bit pitches.
bool FrameSizeIsRenderable(unsigned width, unsigned height);

// The machine's processor count, at least 1.
unsigned MachineProcessors();
// A host's processor value: NaN is refused; below 0.5 means the machine's; else rounded,
// at most kMaxProcessors (frames have at most 4 bands, so more changes nothing).
constexpr unsigned kMaxProcessors = 16;
bool ProcessorsFromDouble(double value, unsigned* processors);
// The same from the parameter's text (a string, so that every host can set any count:
// GStreamer bounds doubles to 0..1). Blank text means the machine's; text that is no
// number is refused.
bool ProcessorsFromText(const std::string& text, unsigned* processors);

}  // namespace brushwerk::frei0r
