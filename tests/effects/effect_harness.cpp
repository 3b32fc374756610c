#include "tests/effects/effect_harness.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "image/cpudispatch.h"
#include "tests/support/pictures.h"

namespace effect_test {

Picture::Picture(int w, int h, uint8_t b, uint8_t g, uint8_t r, uint8_t a)
    : width(w), height(h), bytes(static_cast<size_t>(w) * h * 4) {
    for (size_t i = 0; i < bytes.size(); i += 4) {
        bytes[i] = b;
        bytes[i + 1] = g;
        bytes[i + 2] = r;
        bytes[i + 3] = a;
    }
}

void Picture::Set(int x, int y, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    uint8_t* p = At(x, y);
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = a;
}

Picture Picture::Rows(int top, int rows) const {
    Picture part(width, rows);
    std::memcpy(part.bytes.data(), At(0, top), static_cast<size_t>(width) * rows * 4);
    return part;
}

void Picture::PutRows(int top, const Picture& other) {
    std::memcpy(At(0, top), other.bytes.data(), other.bytes.size());
}

namespace {

uint8_t Clamp255(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); }

}  // namespace

Picture MakeTestCard(int width, int height) {
    static const uint8_t bars[8][3] = {{255, 255, 255}, {0, 255, 255}, {255, 255, 0}, {0, 255, 0},
                                       {255, 0, 255},   {0, 0, 255},   {255, 0, 0},   {0, 0, 0}};
    Picture p(width, height);
    const double cx = width * 0.62, cy = height * 0.55, radius = std::max(2.0, std::min(width, height) * 0.2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t b, g, r;
            if (y < height / 2) {  // colour bars (B, G, R)
                const uint8_t* c = bars[std::min(7, x * 8 / std::max(1, width))];
                b = c[0], g = c[1], r = c[2];
            } else if (y < height * 3 / 4) {  // grey ramp with fine stripes on the right
                const uint8_t v = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
                const bool stripe = x > width * 3 / 4 && ((x / 2 + y) & 1);
                b = g = r = stripe ? static_cast<uint8_t>(255 - v) : v;
            } else {  // hue sweep
                const double t = static_cast<double>(x) / std::max(1, width);
                r = Clamp255(255 * std::fabs(std::fmod(t * 3 + 0.0, 2.0) - 1.0));
                g = Clamp255(255 * std::fabs(std::fmod(t * 3 + 0.66, 2.0) - 1.0));
                b = Clamp255(255 * std::fabs(std::fmod(t * 3 + 1.33, 2.0) - 1.0));
            }
            const double dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy < radius * radius) {  // an orange disk with a dark rim
                const bool rim = dx * dx + dy * dy > (radius - 2) * (radius - 2);
                b = rim ? 20 : 30, g = rim ? 20 : 140, r = rim ? 20 : 250;
            }
            p.Set(x, y, b, g, r);
        }
    }
    return p;
}

Picture MakeGradient(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.Set(x, y, static_cast<uint8_t>((x + y) * 255 / std::max(1, width + height - 2)),
                  static_cast<uint8_t>(y * 255 / std::max(1, height - 1)),
                  static_cast<uint8_t>(x * 255 / std::max(1, width - 1)));
    return p;
}

Picture MakeNoise(int width, int height, uint32_t seed, bool opaque) {
    Picture p(width, height);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t a = opaque ? 255 : testsupport::BiasedByte(rng);
            auto channel = [&] { return opaque ? testsupport::BiasedByte(rng) : static_cast<uint8_t>(rng() % (a + 1u)); };
            const uint8_t b = channel(), g = channel(), r = channel();
            p.Set(x, y, b, g, r, a);
        }
    }
    return p;
}

void PrintTo(const Picture& picture, std::ostream* os) {
    *os << picture.width << "x" << picture.height << " picture";
}

std::string FirstDifference(const Picture& actual, const Picture& expected) {
    if (actual.width != expected.width || actual.height != expected.height)
        return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) + " vs " +
               std::to_string(expected.width) + "x" + std::to_string(expected.height);
    return testsupport::FirstDifference(actual.bytes, expected.bytes, actual.width, actual.height);
}

Picture OutputFill(int width, int height) {
    Picture p(width, height);
    for (int x = 0; x < width; ++x) p.Set(x, 0, 0x5A, static_cast<uint8_t>(0xA0 + (x & 7)), 0x33, 0xC7);
    for (int y = 1; y < height; ++y) std::memcpy(p.At(0, y), p.At(0, 0), static_cast<size_t>(width) * 4);
    return p;
}

namespace {

// Surface memory laid out top-down or bottom-up; rows tightly packed.
struct SurfaceMemory {
    std::vector<uint8_t> block;
    int width = 0;
    int height = 0;
    bool bottomUp = false;

    SurfaceMemory(const Picture& content, bool rowsUpwards)
        : block(content.bytes.size()), width(content.width), height(content.height), bottomUp(rowsUpwards) {
        for (int y = 0; y < height; ++y) std::memcpy(Row(y), content.At(0, y), RowBytes());
    }
    size_t RowBytes() const { return static_cast<size_t>(width) * 4; }
    LONG Pitch() const { return bottomUp ? -static_cast<LONG>(RowBytes()) : static_cast<LONG>(RowBytes()); }
    uint8_t* Row(int y) { return block.data() + RowBytes() * static_cast<size_t>(bottomUp ? height - 1 - y : y); }
    Picture Read() {
        Picture p(width, height);
        for (int y = 0; y < height; ++y) std::memcpy(p.At(0, y), Row(y), RowBytes());
        return p;
    }
    HRESULT MakeSurface(DXSAMPLEFORMATENUM format, ComPtr<IDXSurface>& out) {
        // An empty picture still needs a non-null first byte.
        static uint8_t empty[4];
        uint8_t* first = block.empty() ? empty : Row(0);
        return CreateSurfaceOnMemory(first, width, height, Pitch(), format, out.ReleaseAndGetAddressOf());
    }
};

class CRefusingSurface : public ComObjectRoot, public IDXSurface {
public:
    CRefusingSurface(IDXSurface* inner, HRESULT lockResult, HRESULT formatResult)
        : m_inner(inner), m_lockResult(lockResult), m_formatResult(formatResult) {}
    static REFIID PrimaryInterfaceId() { return IID_IDXSurface; }
    HRESULT InternalQueryInterface(REFIID iid, void** object) {
        if (iid == IID_IDXSurface || iid == IID_IDXBaseObject) {
            *object = static_cast<IDXSurface*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    HRESULT GetGenerationId(ULONG* id) override { return m_inner->GetGenerationId(id); }
    HRESULT IncrementGenerationId(BOOL refresh) override { return m_inner->IncrementGenerationId(refresh); }
    HRESULT GetObjectSize(ULONG* size) override { return m_inner->GetObjectSize(size); }
    HRESULT GetPixelFormat(GUID* id, DXSAMPLEFORMATENUM* format) override {
        return FAILED(m_formatResult) ? m_formatResult : m_inner->GetPixelFormat(id, format);
    }
    HRESULT GetBounds(DXBNDS* bounds) override { return m_inner->GetBounds(bounds); }
    HRESULT LockSurface(const DXBNDS* bounds, ULONG timeOut, DWORD flags, REFIID iid, void** pointer,
                        ULONG* generationId) override {
        if (SUCCEEDED(m_lockResult)) return m_inner->LockSurface(bounds, timeOut, flags, iid, pointer, generationId);
        if (pointer) *pointer = nullptr;
        return m_lockResult;
    }

private:
    ComPtr<IDXSurface> m_inner;
    HRESULT m_lockResult, m_formatResult;
};

}  // namespace

HRESULT CreateRefusingSurface(IDXSurface* inner, HRESULT lockResult, IDXSurface** out, HRESULT formatResult) {
    return CreateComInstance<CRefusingSurface>(nullptr, IID_IDXSurface, reinterpret_cast<void**>(out), inner,
                                               lockResult, formatResult);
}

RenderResult RenderThrough(IDXTransform* transform, const Picture& input, const RenderOptions& options) {
    RenderResult result;
    const int outW = options.outputWidth >= 0 ? options.outputWidth : input.width;
    const int outH = options.outputHeight >= 0 ? options.outputHeight : input.height;
    const Picture before = options.outputBefore ? *options.outputBefore : OutputFill(outW, outH);
    EXPECT_EQ(before.width, outW);
    EXPECT_EQ(before.height, outH);

    SurfaceMemory inMemory(input, options.inputBottomUp);
    SurfaceMemory outMemory(before, options.outputBottomUp);
    ComPtr<IDXSurface> inSurface, outSurface;
    EXPECT_EQ(inMemory.MakeSurface(options.inputFormat, inSurface), S_OK);
    if (options.inPlace)
        outSurface = inSurface;
    else
        EXPECT_EQ(outMemory.MakeSurface(options.outputFormat, outSurface), S_OK);

    for (auto [surface, failure] : {std::pair{&inSurface, options.inputLockFailure}, {&outSurface, options.outputLockFailure}}) {
        ComPtr<IDXSurface> refusing;
        if (failure == S_OK) continue;
        EXPECT_EQ(CreateRefusingSurface(surface->Get(), failure, refusing.ReleaseAndGetAddressOf()), S_OK);
        *surface = refusing;
    }
    IUnknown* inputs[1] = {inSurface.Get()};
    IUnknown* outputs[1] = {outSurface.Get()};
    result.setup = transform->Setup(inputs, 1, outputs, 1, 0);
    if (SUCCEEDED(result.setup)) {
        result.execute = transform->Execute(options.requestId, options.clip, options.placement);
        // The transform lets go of the surfaces before their memory goes.
        EXPECT_EQ(transform->Setup(nullptr, 0, nullptr, 0, 0), S_OK);
    }
    result.output = options.inPlace ? inMemory.Read() : outMemory.Read();
    return result;
}

void SelectPrimitivesForThisProcessor() { ippStaticInit(); }

std::vector<BandRows> BandsOf(int width, int height, int processors) {
    int count = processors;
    if (count > 1) count = std::min({static_cast<int>((unsigned(width) * unsigned(height)) >> 12) + 1, 4, processors});
    std::vector<BandRows> bands;
    const int rows = height / count;
    for (int i = 0, y = 0; i < count; ++i, y += rows) bands.push_back({y, i + 1 == count ? height - y : rows});
    return bands;
}

int DarkPixelResponse(float scale, int delta) {
    const double v = static_cast<double>(scale) * 8 * delta;
    if (v <= 0) return 0;
    return std::min(255, static_cast<int>(v + 0.5));
}

Picture RgbRow(const std::vector<std::array<uint8_t, 3>>& rgb) {
    Picture p(static_cast<int>(rgb.size()), 1);
    for (size_t x = 0; x < rgb.size(); ++x) p.Set(static_cast<int>(x), 0, rgb[x][2], rgb[x][1], rgb[x][0]);
    return p;
}

Picture GreyRow(std::vector<int> levels) {
    if (levels.empty())
        for (int g = 0; g < 256; ++g) levels.push_back(g);
    std::vector<std::array<uint8_t, 3>> rgb;
    for (int g : levels) rgb.push_back({uint8_t(g), uint8_t(g), uint8_t(g)});
    return RgbRow(rgb);
}

void ExpectRgb(const Picture& out, int x, int red, int green, int blue) {
    const uint8_t* p = out.At(x, 0);
    EXPECT_EQ(p[2], red) << "pixel " << x;
    EXPECT_EQ(p[1], green) << "pixel " << x;
    EXPECT_EQ(p[0], blue) << "pixel " << x;
}

Picture DarkPixels(const std::vector<std::array<int, 3>>& deltas) {
    Picture p(3 * static_cast<int>(deltas.size()) + 2, 3, 255, 255, 255);
    for (size_t i = 0; i < deltas.size(); ++i)
        p.Set(1 + 3 * static_cast<int>(i), 1, static_cast<uint8_t>(255 - deltas[i][0]),
              static_cast<uint8_t>(255 - deltas[i][1]), static_cast<uint8_t>(255 - deltas[i][2]));
    return p;
}

std::array<int, 3> DarkeningsSummingTo(float scale, int low, int high) {
    int deltaGiving[256];  // the smallest darkening with that response, or -1
    std::fill(std::begin(deltaGiving), std::end(deltaGiving), -1);
    for (int d = 255; d >= 0; --d) deltaGiving[DarkPixelResponse(scale, d)] = d;
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const int rest = low - DarkPixelResponse(scale, a) - DarkPixelResponse(scale, b);
            for (int r = std::max(rest, 0); r <= std::min(rest + high - low, 255); ++r)
                if (deltaGiving[r] >= 0) return {a, b, deltaGiving[r]};
        }
    ADD_FAILURE() << "no darkenings sum to " << low << ".." << high;
    return {0, 0, 0};
}

}  // namespace effect_test
