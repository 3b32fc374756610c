// One effect object driven as our hosts drive it: started from InitNew; presets
// through IStaticFilterPreset; the record's bytes through IPersistStreamInit; keyframes
// through IDXTSfAutomation; a site whose task manager reports a processor count and
// whose banding service says whether bands are slices of one picture; and
// frames rendered through IDXTransform on surfaces over the host's own memory.
//
// The host makes the object (through the registry or a class object, as any host
// does) and hands its IUnknown over. Every operation answers with a result code and
// throws nothing; when one fails, FailedStep() says which of its steps did, so that
// each host words its own message. One session serves one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sdk/banding_service.h"
#include "sdk/effect_descriptor.h"
#include "sdk/plugininterfaces.h"

namespace brushwerk::common {

using RecordBytes = std::vector<uint8_t>;

// A picture in host memory: B, G, R, A bytes from the top row's first byte, rows
// `pitch` bytes apart, alpha straight or premultiplied.
struct FrameMemory {
    uint8_t* samples = nullptr;
    LONG width = 0;
    LONG height = 0;
    LONG pitch = 0;
    bool premultiplied = false;
};

// The step of an operation that failed.
enum class SessionStep {
    None,
    Interfaces,           // the object lacks a host interface it must have
    Start,                // InitNew
    CountPresets,
    SelectPreset,
    MakeStream,           // a memory stream for a record
    WriteStream,
    RewindStream,
    SaveRecord,           // IPersistStreamInit::Save into memory
    MeasureRecord,
    RecordSize,           // the object stored another size than its record's
    RewindRecord,
    ReadRecord,
    ShortRecord,          // the stream gave back fewer bytes than it holds
    LoadRecord,           // IPersistStreamInit::Load; also a record of the wrong size
    SaveState,            // IPersistStreamInit::Save into the host's stream
    MakeSite,
    HandSite,
    SetKeyframes,
    SwitchInterpolation,
    SetPosition,
    MakeSurface,
    LockOutput,
    Setup,
    Execute,
};

class EffectSession {
public:
    // effect: the published descriptor of the effect the object is; the session reads
    // its record's size from it.
    explicit EffectSession(const EffectDescriptor& effect) : m_effect(effect), m_recordSize(effect.recordSize) {}
    EffectSession(const EffectSession&) = delete;
    EffectSession& operator=(const EffectSession&) = delete;

    // Takes the host interfaces of object and starts it from InitNew (preset row 0).
    // Everything else needs a successful Start first.
    HRESULT Start(IUnknown* object);

    const EffectDescriptor& Effect() const { return m_effect; }
    SessionStep FailedStep() const { return m_failedStep; }
    // The size the object stored when ReadRecord failed at SessionStep::RecordSize.
    uint64_t StoredSize() const { return m_storedSize; }

    HRESULT PresetCount(ULONG* count);
    // The name of preset index; empty when the object names none.
    std::wstring PresetName(int index) const;
    HRESULT SelectPreset(int index);

    // The record the object holds now (IPersistStreamInit::Save, which also tells an open
    // page to read the record again). Quietly: through IDXTSfAutomation::SaveProps, which
    // tells nobody, for a host that watches the record while the page edits it.
    HRESULT ReadRecord(RecordBytes* record, bool quietly = false);
    // Loads record into the object (IPersistStreamInit::Load); E_INVALIDARG for a
    // record of another size. UseRecord loads only when the object is known to hold
    // something else.
    HRESULT LoadRecord(const RecordBytes& record);
    HRESULT UseRecord(const RecordBytes& record);
    // The stored state into the host's stream, clearing the object's dirty flag.
    HRESULT SaveState(IStream* stream);

    // Hands the object a new site whose task manager reports this many processors,
    // unless its site already reports that many, and tells the site the banding mode:
    // whole frame (bands are slices of one picture, so the processor count changes only
    // the speed) unless the host asks for per band (each band a picture of its own, as
    // stored projects were rendered).
    HRESULT UseSite(unsigned processors, QuilletBandingMode banding = QUILLET_BANDING_WHOLE_FRAME);

    // Animation between two records, each frame at its position in 0..1.
    HRESULT SetKeyframes(const RecordBytes& from, const RecordBytes& to);
    HRESULT SetPosition(double t);

    // Renders one frame; output must have input's size. The output first receives the
    // input's samples (converted to its alpha form), so whatever the effect leaves
    // unwritten, or a frame it refuses, shows the input. The two may be one memory.
    HRESULT Render(const FrameMemory& input, const FrameMemory& output);
    // Wall time spent inside Execute over all Render calls.
    double ExecuteSeconds() const { return m_executeSeconds; }

private:
    HRESULT Fail(SessionStep step, HRESULT hr);
    HRESULT StreamHolding(const RecordBytes& bytes, ComPtr<IStream>* stream);
    HRESULT FillOutput(const FrameMemory& input, const FrameMemory& output);
    void ConvertRows(const FrameMemory& from, const FrameMemory& to);

    const EffectDescriptor& m_effect;
    size_t m_recordSize;
    ComPtr<IStaticFilterPreset> m_presets;
    ComPtr<IPersistStreamInit> m_persist;
    ComPtr<IDXTSfAutomation> m_automation;
    ComPtr<IObjectWithSite> m_withSite;
    ComPtr<IDXTransform> m_transform;
    std::optional<RecordBytes> m_heldRecord;  // what the object is known to hold
    std::optional<unsigned> m_processors;     // what its site reports, once it has one
    ComPtr<IUnknown> m_site;
    ComPtr<IDXTaskManager> m_taskManager;     // the site's, which also shares out the conversions' rows
    ULONG m_workers = 1;
    std::vector<uint8_t> m_inputCopy;         // the input premultiplied, when it is straight or shares the output's memory
    double m_executeSeconds = 0.0;
    SessionStep m_failedStep = SessionStep::None;
    uint64_t m_storedSize = 0;
};

}  // namespace brushwerk::common
