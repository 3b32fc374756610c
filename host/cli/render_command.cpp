// `brushwerk render`: builds the record (state, preset, then --set), optionally a second
// keyframe, and renders every frame of the source into the sink.
#include <chrono>
#include <cstdio>
#include <thread>

#include "host/cli/cli_error.h"
#include "host/cli/commands.h"
#include "host/cli/checked_session.h"
#include "host/cli/frame_io.h"
#include "host/cli/progress.h"

namespace brushwerk::cli {
namespace {

const EffectInfo& EffectNamed(const std::string& name) {
    if (const EffectInfo* e = FindEffect(name)) return *e;
    std::string known;
    for (const EffectInfo& e : AllEffects()) known += (known.empty() ? "" : ", ") + std::string(e.shortName);
    throw CliError("unknown effect '" + name + "'; effects: " + known, kExitUsage);
}

void ApplyAll(const EffectInfo& effect, RecordBytes& record, const std::vector<std::string>& assignments,
              const char* option) {
    for (const std::string& a : assignments) {
        const std::string error = ApplyAssignment(effect, record, a);
        if (!error.empty()) throw CliError(std::string(option) + ": " + error, kExitUsage);
    }
}

// Points out numbers beyond the pages' 0..1, NaN and infinities included (the effects
// take them as they are).
void NoteIfOutsidePage(const RecordField& field, float v, std::ostream& messages) {
    if (!(v >= 0.0f && v <= 1.0f))
        messages << "brushwerk: note: " << field.name << " = " << FormatNumber(v)
                 << " lies outside 0..1, the range its page offers; the effect takes it as it is\n";
}

// Refuses malformed assignments before the module is even loaded, and notes numbers
// outside the pages' range.
void CheckAssignments(const RenderOptions& o, const EffectInfo& effect, std::ostream& messages) {
    RecordBytes scratch(effect.recordSize, 0);
    ApplyAll(effect, scratch, o.sets, "--set");
    ApplyAll(effect, scratch, o.toSets, "--to-set");
    for (const auto* list : {&o.sets, &o.toSets}) {
        for (const std::string& a : *list) {
            const RecordField* field = FindField(effect, a.substr(0, a.find('=')));
            if (field && field->kind == FieldKind::Number)
                NoteIfOutsidePage(*field, ParseNumber(a.substr(a.find('=') + 1)).value, messages);
        }
    }
}

unsigned ProcessorCount(unsigned requested) {
    if (requested) return requested;
    const unsigned machine = std::thread::hardware_concurrency();
    return machine ? machine : 1;
}

std::string RenderStatsLine(long frames, double wall, double inside) {
    char buf[200];
    const double outside = wall > inside ? wall - inside : 0.0;
    std::snprintf(buf, sizeof buf,
                  "stats: %ld frames in %.3f s (%.2f fps); inside Execute %.3f s (%.1f%%), outside %.3f s (%.1f%%)", frames,
                  wall, wall > 0 ? frames / wall : 0.0, inside, wall > 0 ? 100.0 * inside / wall : 0.0, outside,
                  wall > 0 ? 100.0 * outside / wall : 0.0);
    return buf;
}

// 0 at the first frame, 1 at the last.
double PositionOf(long index, long count) { return count > 1 ? double(index) / double(count - 1) : 0.0; }

}  // namespace

int RunRender(const RenderOptions& o, std::ostream& messages) {
    const EffectInfo& effect = EffectNamed(o.effect);
    CheckAssignments(o, effect, messages);

    // A range renders frames of a longer job: its frames keep their numbers and their
    // keyframe positions in that job.
    FrameIoSettings io{o.size, o.streamAlpha, o.frames, 0, o.start, o.jpegQuality};
    if (o.range) {
        io.frames = o.range->Count();
        io.skip = o.range->first - 1;
    }
    std::unique_ptr<FrameSource> source;
    std::unique_ptr<FrameSink> sink;
    if (!o.input.empty()) {
        sink = OpenFrameSink(o.output, io);
        source = OpenFrameSource(o.input, io, sink->TakesMany());
        if (source->IsSequence() && !sink->TakesMany())
            throw CliError("render: IN is a sequence or stream, so OUT must be a pattern such as out_%04d.png or -",
                           kExitUsage);
        if (o.Animated() && !sink->TakesMany())
            throw CliError("render: --to-preset / --to-set animate a sequence or stream; OUT must be a pattern or -",
                           kExitUsage);
        if (o.Animated() && source->KnownCount() == 0)
            throw CliError("render: animating a stream needs --frames N (the frame at which the second keyframe is reached)",
                           kExitUsage);
    }

    ModuleHost host(ModuleLocation{o.modulePath});
    CheckedSession fx(host, effect);
    if (!o.loadState.empty()) {
        fx.LoadStateFile(o.loadState);
        if (!o.preset)
            for (const RecordField& field : effect.fields)
                if (field.kind == FieldKind::Number) NoteIfOutsidePage(field, ReadF32(fx.Record(), field.offset), messages);
    }
    if (o.preset) fx.SelectPreset(fx.FindPreset(*o.preset));
    RecordBytes first = fx.Record();
    ApplyAll(effect, first, o.sets, "--set");
    RecordBytes second = first;
    if (o.toPreset) {
        fx.SelectPreset(fx.FindPreset(*o.toPreset));
        second = fx.Record();
    }
    ApplyAll(effect, second, o.toSets, "--to-set");
    fx.SetRecord(first);
    if (!o.saveState.empty()) {
        fx.SaveStateFile(o.saveState);
        messages << "saved " << effect.shortName << " state (" << effect.recordSize << " bytes) to " << o.saveState << "\n";
    }
    if (!source) return 0;

    fx.SetSite(ProcessorCount(o.processors), o.banding);
    if (o.Animated()) fx.SetKeyframes(first, second);

    FrameProgress progress(o.progress, o.quiet);
    const bool showProgress = source->IsSequence();
    const long total = o.range ? *o.frames : source->KnownCount();
    const long firstIndex = o.range ? o.range->first - 1 : 0;
    const auto started = std::chrono::steady_clock::now();
    long index = 0;
    Frame out;
    while (std::optional<Frame> in = source->Next()) {
        if (o.Animated()) fx.SetPosition(PositionOf(firstIndex + index, total));
        // The output buffer is kept from frame to frame while the size stays.
        if (out.image.width != in->image.width || out.image.height != in->image.height)
            out.image = MakeImage(in->image.width, in->image.height, sink->Alpha());
        out.number = in->number;
        fx.Render(in->image, out.image);
        sink->Write(out);
        source->GiveBack(std::move(in->image));
        ++index;
        if (showProgress) progress.Frame(index, source->KnownCount());
    }
    progress.Finish();
    // An empty stream gives nothing to render: a failure, as any input that holds no picture.
    if (index == 0 && source->IsSequence())
        throw CliError("no frames arrived: standard input was empty (expected raw frames of --size " +
                       std::to_string(o.size ? o.size->width : 0) + "x" + std::to_string(o.size ? o.size->height : 0) +
                       ")");
    if (o.stats) {
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        messages << RenderStatsLine(index, wall, fx.ExecuteSeconds()) << "\n";
    }
    return 0;
}

}  // namespace brushwerk::cli
