#include "host/cli/cli_options.h"

#include <charconv>
#include <thread>

#include "host/cli/cli_error.h"

namespace brushwerk::cli {
namespace {

[[noreturn]] void Usage(const std::string& message) {
    throw CliError(message + "\n(brushwerk --help shows the usage)", kExitUsage);
}

// Walks the arguments, splitting "--name=value" and fetching the next word for values.
class ArgCursor {
public:
    explicit ArgCursor(const std::vector<std::string>& args, size_t first) : m_args(args), m_i(first) {}
    bool Done() const { return m_i >= m_args.size(); }
    // The next word; options come back without their "=value" part.
    std::string Next() {
        std::string word = m_args[m_i++];
        m_inline.reset();
        if (word.starts_with("--")) {
            size_t eq = word.find('=');
            if (eq != std::string::npos) {
                m_inline = word.substr(eq + 1);
                word.resize(eq);
            }
        }
        return word;
    }
    std::string Value(const std::string& option) {
        if (m_inline) {
            std::string v = *m_inline;
            m_inline.reset();
            return v;
        }
        if (Done()) Usage(option + " needs a value");
        return m_args[m_i++];
    }
    void NoValue(const std::string& option) const {
        if (m_inline) Usage(option + " takes no value");
    }

private:
    const std::vector<std::string>& m_args;
    size_t m_i;
    std::optional<std::string> m_inline;
};

long ParseInteger(const std::string& option, const std::string& text, long low, long high) {
    long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        Usage(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", not '" +
              text + "'");
    return v;
}

QuilletBandingMode ParseBanding(const std::string& text) {
    if (text == "whole-frame") return QUILLET_BANDING_WHOLE_FRAME;
    if (text == "per-band") return QUILLET_BANDING_PER_BAND;
    Usage("--banding is whole-frame or per-band, not '" + text + "'");
}

// "A-B": frames A to B, counted from 1.
FrameRange ParseRange(const std::string& text) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) Usage("--range needs FIRST-LAST such as 101-200, not '" + text + "'");
    FrameRange r;
    r.first = ParseInteger("--range", text.substr(0, dash), 1, 100000000);
    r.last = ParseInteger("--range", text.substr(dash + 1), 1, 100000000);
    if (r.last < r.first) Usage("--range " + text + " ends before it starts");
    return r;
}

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-' && word != "-"; }

ListOptions ParseList(ArgCursor& cur) {
    ListOptions o;
    while (!cur.Done()) {
        std::string w = cur.Next();
        if (w == "--json") cur.NoValue(w), o.json = true;
        else if (w == "--module") o.modulePath = cur.Value(w);
        else Usage("list: unknown argument '" + w + "'");
    }
    return o;
}

DemoOptions ParseDemo(ArgCursor& cur) {
    DemoOptions o;
    bool haveTarget = false;
    while (!cur.Done()) {
        std::string w = cur.Next();
        if (w == "--out") o.target = cur.Value(w), haveTarget = true;
        else if (w == "--processors") o.processors = unsigned(ParseInteger(w, cur.Value(w), 1, 64));
        else if (w == "--banding") o.banding = ParseBanding(cur.Value(w));
        else if (w == "--module") o.modulePath = cur.Value(w);
        else if (!IsOption(w) && !haveTarget) o.target = w, haveTarget = true;
        else Usage("demo: unknown argument '" + w + "'");
    }
    if (o.target.empty()) Usage("demo: the output name is empty");
    return o;
}

RegisterOptions ParseRegister(ArgCursor& cur, const std::string& command) {
    RegisterOptions o;
    while (!cur.Done()) {
        std::string w = cur.Next();
        if (w == "--module") o.modulePath = cur.Value(w);
        else Usage(command + ": unknown argument '" + w + "'");
    }
    return o;
}

RenderOptions ParseRender(ArgCursor& cur) {
    RenderOptions o;
    std::vector<std::string> positional;
    while (!cur.Done()) {
        std::string w = cur.Next();
        if (w == "--preset") o.preset = cur.Value(w);
        else if (w == "--set") o.sets.push_back(cur.Value(w));
        else if (w == "--to-preset") o.toPreset = cur.Value(w);
        else if (w == "--to-set") o.toSets.push_back(cur.Value(w));
        else if (w == "--processors") o.processors = unsigned(ParseInteger(w, cur.Value(w), 1, 64));
        else if (w == "--banding") o.banding = ParseBanding(cur.Value(w));
        else if (w == "--range") o.range = ParseRange(cur.Value(w));
        else if (w == "--size") {
            std::string v = cur.Value(w);
            bool tooLarge = false;
            o.size = ParseFrameSize(v, &tooLarge);
            if (tooLarge)
                throw CliError("--size " + v + " is too large: frames must fit in memory, so at most " +
                               std::to_string(kMaxImageSide) + " pixels a side and " + std::to_string(kMaxImagePixels) +
                               " in all (16384x16384)");
            if (!o.size) Usage("--size needs WIDTHxHEIGHT such as 1920x1080, not '" + v + "'");
        } else if (w == "--alpha") {
            std::string v = cur.Value(w);
            if (v == "straight") o.streamAlpha = AlphaForm::Straight;
            else if (v == "premultiplied") o.streamAlpha = AlphaForm::Premultiplied;
            else Usage("--alpha is straight or premultiplied, not '" + v + "'");
        } else if (w == "--frames") o.frames = ParseInteger(w, cur.Value(w), 1, 100000000);
        else if (w == "--start") o.start = ParseInteger(w, cur.Value(w), 0, 1000000000);
        else if (w == "--load-state") o.loadState = cur.Value(w);
        else if (w == "--save-state") o.saveState = cur.Value(w);
        else if (w == "--quality") o.jpegQuality = int(ParseInteger(w, cur.Value(w), 1, 100));
        else if (w == "--progress") cur.NoValue(w), o.progress = true;
        else if (w == "--quiet") cur.NoValue(w), o.quiet = true;
        else if (w == "--stats") cur.NoValue(w), o.stats = true;
        else if (w == "--module") o.modulePath = cur.Value(w);
        else if (IsOption(w)) Usage("render: unknown option '" + w + "'");
        else positional.push_back(w);
    }
    if (positional.empty()) Usage("render: name the effect (brushwerk list shows them)");
    o.effect = positional[0];
    if (positional.size() == 3) {
        o.input = positional[1];
        o.output = positional[2];
    } else if (positional.size() != 1 || o.saveState.empty()) {
        Usage("render: expected EFFECT IN OUT (or EFFECT --save-state FILE alone)");
    }
    if (o.input.empty() && (o.Animated() || o.frames)) Usage("render: animation needs IN and OUT");
    if (o.range && !o.frames) Usage("render: --range needs --frames N, the length of the whole job");
    if (o.range && o.range->last > *o.frames)
        Usage("render: --range ends at frame " + std::to_string(o.range->last) + " but the job has " +
              std::to_string(*o.frames) + " frames");
    return o;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    if (args.empty()) return cl;
    const std::string& command = args[0];
    ArgCursor cur(args, 1);
    if (command == "help" || command == "--help" || command == "-h") {
        cl.kind = CommandKind::Help;
    } else if (command == "--version") {
        cl.kind = CommandKind::Version;
    } else if (command == "list") {
        cl.kind = CommandKind::List;
        cl.list = ParseList(cur);
    } else if (command == "render") {
        cl.kind = CommandKind::Render;
        for (const std::string& a : args)
            if (a == "--help" || a == "-h") return CommandLine{};
        cl.render = ParseRender(cur);
    } else if (command == "demo") {
        cl.kind = CommandKind::Demo;
        cl.demo = ParseDemo(cur);
    } else if (command == "register" || command == "unregister") {
        cl.kind = command == "register" ? CommandKind::Register : CommandKind::Unregister;
        cl.registration = ParseRegister(cur, command);
    } else {
        Usage("unknown command '" + command + "'");
    }
    return cl;
}

std::string UsageText() {
    return R"(brushwerk: the Quillet Brushwerk video effects on pictures, sequences and raw video streams

Usage:
  brushwerk list [--json]
      The seven effects with their display names, record fields (name, colour or
      number, page label) and presets by index and name, as the module reports them.
  brushwerk render EFFECT [options] IN OUT
      Renders IN through EFFECT into OUT.
  brushwerk render EFFECT [--preset P] [--set F=V]... --save-state FILE
      Only writes the tuned record to FILE.
  brushwerk demo [FOLDER | SHEET.png]
      Renders a built-in test picture through every effect. Into FOLDER (default
      ./brushwerk-demo/): a contact sheet of the original and the seven effects at
      their first preset, the test picture, and each effect at its first three
      presets; prints what it wrote. With SHEET.png: the contact sheet alone.
      Takes --processors and --banding as render does.
  brushwerk studio [PICTURE | VIDEO] [--effect E] [--preset P] [--save-to PREFIX]
      A window showing the picture through an effect beside its page, rendered
      again at every change; saves the picture, its state and the render command.
      brushwerk studio --help tells more.
  brushwerk register | unregister
      Registers (or removes) the module's classes in the registry file, as a
      registration tool does. Rendering registers them by itself when needed.

EFFECT: airbrush, colorize, dreamglow, duochrome, linedrawing, metallic, pastelsketch,
or a display name such as "Dream Glow".

IN and OUT:
  picture.png / .jpg / .jpeg   PNG (8-bit grey, RGB, RGBA) and JPEG, straight alpha
  frame.bgra                   one raw premultiplied B,G,R,A frame, size from --size
  in_%04d.png                  a numbered sequence (printf pattern, one %d)
  -                            a stream of raw B,G,R,A frames on stdin / stdout
                               (needs --size; alpha as --alpha says)
  For a video: ffmpeg -i in.mp4 -f rawvideo -pix_fmt bgra - |
    brushwerk render dreamglow --size 1280x720 - - |
    ffmpeg -f rawvideo -pix_fmt bgra -s 1280x720 -r 25 -i - out.mp4

Options of render:
  --preset NAME|INDEX     start from a preset (else preset 0)
  --set FIELD=VALUE       set a record field after the preset; repeatable.
                          Colours as #rrggbb or r,g,b; numbers as the record
                          stores them (0..1 on the effect's page)
  --to-preset NAME|INDEX  second keyframe for a sequence or stream: the record
  --to-set FIELD=VALUE    animates from the first record to this one, each frame
                          rendered at its position (0 at the first frame, 1 at the
                          last). The second keyframe starts as a copy of the first
                          (or as --to-preset gives it); --to-set changes it
  --frames N              frames to render; a stream or sequence stops after N, a
                          still IN with a pattern OUT makes N frames. An animated
                          stream needs it to know where the last frame is
  --start N               first frame number of a sequence (default: the first of
                          0..4 that exists; 1 when writing from a stream or still)
  --range A-B             render only frames A to B (counted from 1) of the job of
                          --frames N: each frame at the keyframe position it has in
                          the whole job, output files numbered as the whole job
                          numbers them. A sequence IN is read from its frame A, a
                          stream IN holds just frames A to B, a still serves each.
                          Ranges rendered apart and joined equal the whole job
  --processors N          the processor count the host site reports (default: this
                          machine's). Frames are cut into up to 4 horizontal bands,
                          one per processor, rendered in parallel. With the default
                          banding N only changes the speed
  --banding whole-frame|per-band
                          whole-frame (default): each band is a slice of one
                          picture, so the output is the same for every N.
                          per-band: each band is rendered as a picture of its own,
                          as hosts that do not choose see it (stored projects): Air
                          Brush and Dream Glow size their blur by the band's height,
                          Colorize, Line Drawing and Pastel Sketch treat band edges
                          as picture edges, so the output depends on N
  --size WxH              size of raw frames (.bgra files and streams); at most
                          32768 a side and 268435456 pixels (16384x16384)
  --alpha straight|premultiplied
                          alpha of stream frames (default straight, as ffmpeg's bgra)
  --load-state FILE       start from a stored record (the effect's state bytes)
  --save-state FILE       store the first keyframe's record in FILE
  --quality Q             JPEG quality 1..100 (default 92)
  --progress              frame counter on stderr even when it is no terminal
                          (on a terminal it shows by itself: frames, frames per
                          second, time left)
  --quiet                 no frame counter
  --stats                 at the end, time spent inside the effect's Execute and
                          outside it (reading, converting, writing)

Common options:
  --module PATH           the effect module (default: $QUILLET_MODULE, the build
                          tree's, or libquillet_brushwerk.so beside the program)
  The registry file is $QUILLET_REGISTRY; when unset and the program runs from its
  build tree, <build>/brushwerk-registry.reg. The module is registered there on
  first use.

Outputs are written beside the target and renamed into place when complete: a
failure never leaves a partial file and never destroys an existing one.

Exit status: 0 success; 1 unreadable, corrupt, truncated or mismatched input, an
empty stream, or failed work;
2 bad command line, unknown effect, preset or field, malformed value.
)";
}

}  // namespace brushwerk::cli
