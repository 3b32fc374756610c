// Drives a real effect object the way a host does: created as a class factory
// creates it, sited on the host stand-in's site (task manager with a chosen
// processor count), handed input and output surfaces in Setup, then Execute. The
// surfaces lie over memory the harness owns, so a test can choose their sample
// format, row order (top-down or bottom-up), what the output held before the frame,
// and one surface as both input and output; it gets back the output surface's bytes.
//
// Pictures are drawn in code (test card, gradients, noise) and hold raw surface
// bytes: B, G, R, A per pixel, rows top-down.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "effects/airbrush.h"
#include "effects/colorize.h"
#include "effects/dreamglow.h"
#include "effects/duochrome.h"
#include "effects/linedrawing.h"
#include "effects/metal.h"
#include "effects/pastelsketch.h"
#include "framework/dropper.h"
#include "sdk/plugininterfaces.h"
#include "host/site.h"
#include "host/surface.h"
#include "transform/dtbase.h"
#include "platform/com/object.h"
#include "platform/dx/dxtrans.h"

namespace effect_test {

// ---- pictures ---------------------------------------------------------------------------

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;  // width * height * 4, B G R A, rows top-down, no padding

    Picture() = default;
    Picture(int w, int h, uint8_t b = 0, uint8_t g = 0, uint8_t r = 0, uint8_t a = 255);

    uint8_t* At(int x, int y) { return bytes.data() + (static_cast<size_t>(y) * width + x) * 4; }
    const uint8_t* At(int x, int y) const { return bytes.data() + (static_cast<size_t>(y) * width + x) * 4; }
    void Set(int x, int y, uint8_t b, uint8_t g, uint8_t r, uint8_t a = 255);
    // Rows [top, top + rows) as a picture of their own.
    Picture Rows(int top, int rows) const;
    // Copies other into this picture with other's row 0 at row `top`.
    void PutRows(int top, const Picture& other);

    friend bool operator==(const Picture& a, const Picture& b) {
        return a.width == b.width && a.height == b.height && a.bytes == b.bytes;
    }
};

// Failure messages name the size only; FirstDifference says where pictures differ.
void PrintTo(const Picture& picture, std::ostream* os);

// Colour bars, ramps, a disk, fine stripes and a few saturated patches; opaque.
Picture MakeTestCard(int width, int height);
// Smooth diagonal ramps of the three channels; opaque.
Picture MakeGradient(int width, int height);
// Seeded noise. Opaque, or premultiplied with random alpha (every channel <= alpha).
Picture MakeNoise(int width, int height, uint32_t seed, bool opaque = true);

// Where two pictures first differ, for failure messages ("" when equal).
std::string FirstDifference(const Picture& actual, const Picture& expected);

// ---- rendering --------------------------------------------------------------------------

struct RenderOptions {
    DXSAMPLEFORMATENUM inputFormat = DXPF_PMARGB32;
    DXSAMPLEFORMATENUM outputFormat = DXPF_PMARGB32;
    bool inputBottomUp = false;   // rows at decreasing addresses (negative pitch)
    bool outputBottomUp = false;
    bool inPlace = false;         // the input surface is also the output surface
    // The output surface's bytes before the frame; by default a fixed pattern that no
    // effect produces by chance (see OutputFill). Must match the output size.
    const Picture* outputBefore = nullptr;
    int outputWidth = -1;  // -1: the input's size
    int outputHeight = -1;
    const DXBNDS* clip = nullptr;
    const DXVEC* placement = nullptr;
    const GUID* requestId = nullptr;
    // Non-zero: LockSurface of that surface fails with this code (reads and writes).
    HRESULT inputLockFailure = S_OK;
    HRESULT outputLockFailure = S_OK;
};

struct RenderResult {
    HRESULT setup = E_FAIL;
    HRESULT execute = E_FAIL;
    Picture output;  // the output surface's bytes after the frame (or after a failed one)
};

// A surface that answers like `inner` but whose LockSurface fails with `lockResult` and
// GetPixelFormat with `formatResult` (S_OK: passed on to `inner`).
HRESULT CreateRefusingSurface(IDXSurface* inner, HRESULT lockResult, IDXSurface** out, HRESULT formatResult = S_OK);

// The default bytes of the output surface before a frame.
Picture OutputFill(int width, int height);

// Sets up surfaces over harness memory, runs one Execute, releases the surfaces.
RenderResult RenderThrough(IDXTransform* transform, const Picture& input, const RenderOptions& options);

// Selects the processor-specific primitives, as loading the module does.
void SelectPrimitivesForThisProcessor();

// An effect object of class Effect with record type T, sited on a host site whose
// task manager has `processors` workers (bands: one per 4096 pixels, at most 4 and at
// most the processors).
template <class Effect, class T>
class EffectRig {
public:
    explicit EffectRig(ULONG processors = 1) {
        SelectPrimitivesForThisProcessor();  // as loading the module does
        EXPECT_EQ(CreateComInstance<Effect>(nullptr, IID_IUnknown, m_unknown.ReleaseAndGetVoidAddress()), S_OK);
        EXPECT_EQ(m_unknown.As(&m_transform), S_OK);
        EXPECT_EQ(m_unknown.As(&m_exchange), S_OK);
        ComPtr<IObjectWithSite> withSite;
        EXPECT_EQ(m_unknown.As(&withSite), S_OK);
        EXPECT_EQ(CreateHostSite(processors, m_site.ReleaseAndGetAddressOf()), S_OK);
        if (withSite) {
            EXPECT_EQ(withSite->SetSite(m_site.Get()), S_OK);
        }
    }

    HRESULT SetProps(const T& record) { return m_exchange->SetProps(&record); }
    T GetProps() {
        T record{};
        EXPECT_EQ(m_exchange->GetProps(&record), S_OK);
        return record;
    }

    RenderResult Render(const Picture& input, const RenderOptions& options = {}) {
        return RenderThrough(m_transform.Get(), input, options);
    }
    // Sets the record, renders, and expects both steps to succeed.
    Picture RenderWith(const T& record, const Picture& input, const RenderOptions& options = {}) {
        EXPECT_EQ(SetProps(record), S_OK);
        RenderResult r = Render(input, options);
        EXPECT_EQ(r.setup, S_OK);
        EXPECT_EQ(r.execute, S_OK);
        return std::move(r.output);
    }

    IDXTransform* Transform() const { return m_transform.Get(); }
    IUnknown* Unknown() const { return m_unknown.Get(); }
    // What a band is from the next frame on; per band until changed.
    void SetBanding(QuilletBandingMode banding) { EXPECT_EQ(SetHostSiteBanding(m_site.Get(), banding), S_OK); }

private:
    ComPtr<IUnknown> m_unknown;
    ComPtr<IDXTransform> m_transform;
    ComPtr<ISfExchangeProps<T>> m_exchange;
    ComPtr<IUnknown> m_site;
};

// Sets the module-wide eyedropper flag for its lifetime.
class DropperActive {
public:
    DropperActive() { g_bDropperActive.store(1, std::memory_order_relaxed); }
    ~DropperActive() { g_bDropperActive.store(0, std::memory_order_relaxed); }
    DropperActive(const DropperActive&) = delete;
    DropperActive& operator=(const DropperActive&) = delete;
};

// Luminance with the effects' weights (they add up to 255).
inline int Luminance(const uint8_t* bgra) { return (76 * bgra[2] + 149 * bgra[1] + 30 * bgra[0]) >> 8; }

// One opaque row of the given colours (red, green, blue).
Picture RgbRow(const std::vector<std::array<uint8_t, 3>>& rgb);
// One opaque row of the given grey levels, or of all 256 in order.
Picture GreyRow(std::vector<int> levels = {});
// Expects pixel x of row 0 to hold the given red, green and blue.
void ExpectRgb(const Picture& out, int x, int red, int green, int blue);

// ---- bands ------------------------------------------------------------------------------

struct BandRows {
    int top;
    int rows;
};

// The bands Execute makes of a width x height frame with `processors` workers: one per
// 4096 pixels, at most 4 and at most the processors; the last takes the remainder.
std::vector<BandRows> BandsOf(int width, int height, int processors);

// Applies `renderBand(inputRows, outputRowsBefore)` to each band of the frame.
template <class RenderBand>
Picture ByBands(const Picture& input, const Picture& before, int processors, RenderBand renderBand) {
    Picture out = before;
    for (const BandRows& b : BandsOf(input.width, input.height, processors))
        out.PutRows(b.top, renderBand(input.Rows(b.top, b.rows), before.Rows(b.top, b.rows)));
    return out;
}

// The edge filter's byte for a pixel `delta` darker than its eight equal neighbours:
// the kernel scale times 8 * delta, rounded, within 0..255.
int DarkPixelResponse(float scale, int delta);
// White, three rows high, with pixel (1 + 3 i, 1) darkened by deltas[i] (blue, green,
// red), so that no two darkened pixels share a neighbourhood.
Picture DarkPixels(const std::vector<std::array<int, 3>>& deltas);
// Darkenings (blue, green, red) whose three responses at `scale` add up to a sum
// within [low, high].
std::array<int, 3> DarkeningsSummingTo(float scale, int low, int high);

// ---- the seven effects, for typed tests ------------------------------------------------

template <class Effect, class Record, const EffectDescriptor& D>
struct Subject {
    using Class = Effect;
    using Props = Record;
    static const EffectDescriptor& Descriptor() { return D; }
    static const Record& Preset(int row) { return static_cast<const Record*>(D.presets)[row]; }
    static int PresetCount() { return D.presetCount; }
};
using AirBrushSubject = Subject<CAirBrush, tAIR_BRUSH_PROPS, kAirBrush>;
using ColorizeSubject = Subject<CColorize, tCOLORIZE_PROPS, kColorize>;
using DreamGlowSubject = Subject<CDreamGlow, tDREAM_GLOW_PROPS, kDreamGlow>;
using DuoChromeSubject = Subject<CDuoChrome, tDUOCHROME_PROPS, kDuoChrome>;
using LineDrawingSubject = Subject<CLineDrawing, tLINE_DRAWING_PROPS, kLineDrawing>;
using MetallicSubject = Subject<CMetal, tMETALLIC_PROPS, kMetallic>;
using PastelSketchSubject = Subject<CPastelSketch, tPASTEL_SKETCHPROPS, kPastelSketch>;
using SevenEffects = ::testing::Types<AirBrushSubject, ColorizeSubject, DreamGlowSubject, DuoChromeSubject,
                                      LineDrawingSubject, MetallicSubject, PastelSketchSubject>;

}  // namespace effect_test
