// The primitive routines' rows of the processor tables (image/cpudispatch.h): the
// generic row is the reference, each distinct row of another runnable table a
// faster version. Rows without a faster version stay registered: their reference
// output still folds into the identity digest, so a change to them shows.
//
// Blocks hold exactly the bytes a call may touch, so the sanitizer build sees any
// byte beyond them; steps run from the minimum upwards and are negative in some
// cases (rows at decreasing addresses).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "host/sampleconvert.h"
#include "image/cpudispatch.h"
#include "tests/identity/registry.h"

namespace identity {
namespace {

// The distinct entries of a row over the tables this run may use (the generic table first).
template <class Fn>
Paths<Fn> VersionsOf(Fn IppPrimitiveTable::*row) {
    Paths<Fn> v{{ippGenericPrimitives().*row}};
    for (const IppPrimitiveTable* t : ippRunnablePrimitiveTables())
        v.Add(std::find(v.paths.begin(), v.paths.end(), t->*row) == v.paths.end(), t->*row, t->name);
    return v;
}

// A trial over a separate source block: invoke(fn, source, destination) -> status.
template <class Fn, class Invoke>
Trial BlockTrial(std::string label, const std::vector<Fn>& fns, std::vector<uint8_t> src, std::vector<uint8_t> dst,
                 Invoke invoke) {
    auto source = std::make_shared<std::vector<uint8_t>>(std::move(src));
    return Trial(std::move(label), std::move(dst),
                 [fns, source, invoke](size_t v, uint8_t* d) { return invoke(fns[v], source->data(), d); });
}

// A row: the routine's name, its column of the processor tables, the seeded cases
// (case n), a frame-sized case for the benchmark, and the reference outputs' digest.
template <class Fn>
Entry Row(const char* name, Fn IppPrimitiveTable::*column, int cases,
          std::type_identity_t<std::function<Trial(const std::vector<Fn>&, int n)>> draw,
          std::type_identity_t<std::function<Trial(const std::vector<Fn>&, int w, int h)>> frame, uint64_t digest) {
    const Paths<Fn> v = VersionsOf(column);
    Entry e{name, v.names, cases, [fns = v.paths, draw](int n) { return draw(fns, n); }, nullptr, digest};
    if (frame) e.frame = [fns = v.paths, frame](int w, int h) { return frame(fns, w, h); };
    return e;
}

int Step(Draw& d, int rowBytes, int slack) {
    const int step = rowBytes + d.Between(0, slack);
    return !d.AtEdge() && d.OneIn(4) ? -step : step;
}

std::string Size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

// ---- separable integer-kernel filters ---------------------------------------------------

using SeparableFn = decltype(IppPrimitiveTable::filterRow_8u_AC4R);

std::vector<Ipp32s> Tent(int a, int b) {
    std::vector<Ipp32s> k(static_cast<size_t>(a + b - 1));
    for (int i = 0; i < a + b - 1; ++i) k[i] = std::min({i + 1, a + b - 1 - i, a});
    return k;
}

// Tents of every kind (the running-sum path), tents with one cell off and other
// shapes (the generic path), and weights large enough for 64- and 128-bit sums.
std::vector<Ipp32s> SeparableKernel(Draw& d, int n) {
    if (n % 97 == 50) {
        const int lengths[] = {97, 271, 1081};
        const int K = lengths[(n / 97) % 3];
        return Tent((K + 1) / 2, K + 1 - (K + 1) / 2);
    }
    switch (n % 5) {
    case 0:
    case 1: {
        const int a = d.Between(1, 20);
        return Tent(a, a + (n % 2 ? 0 : d.AnyBetween(0, 3)));
    }
    case 2: {
        std::vector<Ipp32s> k = Tent(d.AnyBetween(1, 9), d.AnyBetween(9, 12));
        k[d.AnyBetween(0, static_cast<int>(k.size()) - 1)] += d.OneIn(2) ? 1 : -1;
        return k;
    }
    case 3: {
        std::vector<Ipp32s> k(static_cast<size_t>(d.Between(1, 9)));
        for (auto& w : k) w = d.Between(-3, 12);
        return k;
    }
    default: {
        std::vector<Ipp32s> k(static_cast<size_t>(d.Between(1, 5)));
        for (auto& w : k) w = static_cast<Ipp32s>(d.Next() >> d.AnyBetween(1, 16)) * (d.OneIn(3) ? -1 : 1);
        return k;
    }
    }
}

Trial SeparableCase(const std::vector<SeparableFn>& fns, bool column, Draw& d, int n, int w, int h,
                    std::vector<Ipp32s> kernel, int anchor, int divisor) {
    const int K = static_cast<int>(kernel.size());
    const int srcStep = Step(d, column ? w * 4 : (w + K - 1) * 4, 9);
    const Region src{column ? h + K - 1 : h, srcStep, column ? w * 4 : (w + K - 1) * 4};
    const Region dst{h, Step(d, w * 4, 9), w * 4};
    // The reads start K - 1 - anchor taps before the pointer passed.
    const ptrdiff_t lead = static_cast<ptrdiff_t>(K - 1 - anchor) * (column ? srcStep : 4);
    auto kern = std::make_shared<std::vector<Ipp32s>>(std::move(kernel));
    return BlockTrial(std::string(column ? "column" : "row") + " case " + std::to_string(n) + " " + Size(w, h) +
                          " K " + std::to_string(K) + " anchor " + std::to_string(anchor) + " divisor " +
                          std::to_string(divisor),
                      fns, d.Bytes(src.Bytes()), d.Bytes(dst.Bytes()),
                      [=](SeparableFn f, const uint8_t* s, uint8_t* out) {
                          return f(s + src.FirstRowOffset() + lead, src.step, out + dst.FirstRowOffset(), dst.step,
                                   {w, h}, kern->data(), K, anchor, divisor);
                      });
}

template <bool column>
Trial SeparableRandom(const std::vector<SeparableFn>& fns, int n) {
    Draw d(1000 + n, n < 12);
    std::vector<Ipp32s> kernel = SeparableKernel(d, n);
    const int K = static_cast<int>(kernel.size());
    const int anchors[] = {K / 2, 0, K - 1, -2, K + 1, d.AnyBetween(0, K - 1)};
    const int anchor = d.AtEdge() ? 0 : anchors[d.AnyBetween(0, 5)];
    long long sum = 0;
    for (Ipp32s v : kernel) sum += v;
    const int divisors[] = {sum == 0 || sum > INT32_MAX || sum < INT32_MIN ? 1 : static_cast<int>(sum), 1, 16, 7, -5,
                            1 << d.AnyBetween(1, 6), d.AnyBetween(2, 300)};
    const int divisor = d.AtEdge() ? 1 : divisors[d.AnyBetween(0, 6)];
    const int w = K > 100 ? 37 : d.Between(1, 70), h = K > 100 ? 9 : d.Between(1, 12);
    return SeparableCase(fns, column, d, n, w, h, std::move(kernel), anchor, divisor);
}

// A 33-tap tent, the blurs' kind of kernel, over a frame.
template <bool column>
Trial SeparableFrame(const std::vector<SeparableFn>& fns, int w, int h) {
    Draw d(7, true);
    std::vector<Ipp32s> kernel = Tent(17, 17);
    int sum = 0;
    for (Ipp32s v : kernel) sum += v;
    return SeparableCase(fns, column, d, 0, w, h, std::move(kernel), 16, sum);
}

// ---- the float-kernel filter ------------------------------------------------------------

using Filter32fFn = decltype(IppPrimitiveTable::filter32f_8u_C4R);

// Kernels whose sums sit on the output rule's edges: exact halves, 255.5 and
// beyond, just above 0, negative zero, NaN and infinities meeting zero bytes,
// cancellation in order.
const std::vector<std::vector<float>> kEdgeKernels = {
    {0.5f, 0, 0, 0, 0, 0, 0, 0, 0},
    {1.0f, 0.5f, 0, 0, 0, 0, 0, 0, 0},
    {1e-30f, 0, 0, 0, 0, 0, 0, 0, 0},
    {-0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f},
    {NAN, 1, 1, 1, 1, 1, 1, 1, 1},
    {INFINITY, 1, 1, 1, 1, 1, 1, 1, 1},
    {-INFINITY, 1, 1, 1, 1, 1, 1, 1, INFINITY},
    {1e8f, 1, -1e8f, 0, 0, 0, 0, 0, 0},
    {255.4f / 255.0f, 0, 0, 0, 0, 0, 0, 0, 0},
};

// Full-precision fractions whose sums round, integers, box averages that land on
// halves, scaled Laplacians, huge and subnormal weights, NaN and infinities.
std::vector<float> FloatKernel(Draw& d, int kind, IppiSize ks) {
    const int cells = ks.width * ks.height;
    std::vector<float> k(static_cast<size_t>(cells));
    auto fraction = [&] { return static_cast<float>(static_cast<int>(d.Next() % 3000001) - 1500000) / 1e6f; };
    const float wild[] = {1e30f, -1e30f, 1e-30f, std::numeric_limits<float>::denorm_min(), -0.0f, 1e8f, -1e8f,
                          3.0e38f, 0.1f, 255.4f / 255.0f};
    const float special[] = {NAN, INFINITY, -INFINITY};
    const float scale = static_cast<float>(d.Next() % 20300) / 1000.0f;
    for (auto& w : k) switch (kind) {
        case 0: w = fraction(); break;
        case 1: w = static_cast<float>(d.AnyBetween(-8, 8)); break;
        case 2: w = 1.0f / static_cast<float>(cells); break;
        case 3: w = scale; break;
        case 4: w = d.OneIn(3) ? fraction() : wild[d.AnyBetween(0, 9)]; break;
        default: w = d.OneIn(4) ? special[d.AnyBetween(0, 2)] : fraction(); break;
        }
    if (kind == 3) k[cells / 2] = -static_cast<float>(cells - 1) * scale;
    return k;
}

Trial Filter32fCase(const std::vector<Filter32fFn>& fns, Draw& d, std::string label, int w, int h, IppiSize ks,
                    IppiPoint anchor, std::vector<float> kernel) {
    const int srcStep = Step(d, (w + ks.width - 1) * 4, 9);
    const Region src{h + ks.height - 1, srcStep, (w + ks.width - 1) * 4};
    const Region dst{h, Step(d, w * 4, 9), w * 4};
    const ptrdiff_t lead = static_cast<ptrdiff_t>(ks.height - 1 - anchor.y) * srcStep + (ks.width - 1 - anchor.x) * 4;
    auto kern = std::make_shared<std::vector<float>>(std::move(kernel));
    return BlockTrial(std::move(label), fns, d.Bytes(src.Bytes()), d.Bytes(dst.Bytes()),
                      [=](Filter32fFn f, const uint8_t* s, uint8_t* out) {
                          return f(s + src.FirstRowOffset() + lead, src.step, out + dst.FirstRowOffset(), dst.step,
                                   {w, h}, kern->data(), ks, anchor);
                      });
}

// One buffer for source and destination: the generic routine then sees its own
// output pixel by pixel (in place, one row up, one pixel either way), or its own
// output as the weights of the next pixels (the kernel inside the destination).
Trial Filter32fOverlap(const std::vector<Filter32fFn>& fns, Draw& d, int n) {
    const int W = 23, H = 9, step = W * 4;
    struct Layout {
        int srcX, srcY, dstX, dstY;
    };
    const Layout layouts[] = {{1, 1, 1, 1}, {1, 2, 1, 1}, {2, 1, 1, 1}, {1, 1, 2, 1}};
    const Layout l = layouts[d.AnyBetween(0, 3)];
    const int kernelPixel = d.OneIn(2) ? -1 : d.AnyBetween(0, W * 3 - 3);
    std::vector<float> weights = FloatKernel(d, kernelPixel < 0 ? 0 : 2, {3, 3});
    std::vector<uint8_t> picture = d.Bytes(static_cast<size_t>(step) * H);
    if (kernelPixel >= 0) std::memcpy(picture.data() + kernelPixel * 4, weights.data(), sizeof(float) * 9);
    const std::string label = "float filter case " + std::to_string(n) + ", overlapping, kernel at pixel " +
                              std::to_string(kernelPixel);
    auto kern = std::make_shared<std::vector<float>>(std::move(weights));
    return Trial(label, std::move(picture), [=](size_t v, uint8_t* buf) {
        const float* k = kernelPixel < 0 ? kern->data() : reinterpret_cast<const float*>(buf + kernelPixel * 4);
        return fns[v](buf + l.srcY * step + l.srcX * 4, step, buf + l.dstY * step + l.dstX * 4, step,
                      {W - 3, H - 3}, k, {3, 3}, {1, 1});
    });
}

Trial Filter32fRandom(const std::vector<Filter32fFn>& fns, int n) {
    Draw d(50000 + 7 * n, n < 8);
    const std::string label = "float filter case " + std::to_string(n);
    const size_t edge = static_cast<size_t>(n - 8) / 2;
    if (n >= 8 && edge < kEdgeKernels.size()) {  // the edge kernels, as 3 x 3 and as 9 x 1
        const bool wide = n % 2 == 1;
        return Filter32fCase(fns, d, label, 11, 3, wide ? IppiSize{9, 1} : IppiSize{3, 3},
                             wide ? IppiPoint{4, 0} : IppiPoint{1, 1}, kEdgeKernels[edge]);
    }
    if (n % 16 == 15) return Filter32fOverlap(fns, d, n);
    const bool frame = n % 100 == 50;
    const IppiSize ks = n % 2 == 0 ? IppiSize{3, 3} : IppiSize{d.Between(1, 5), d.Between(1, 5)};
    const IppiPoint anchor = {d.Between(0, ks.width - 1), d.Between(0, ks.height - 1)};
    const int w = frame ? 321 : d.Between(1, 37), h = frame ? 23 : d.Between(1, 5);
    std::vector<float> kernel = FloatKernel(d, n % 6, ks);
    return Filter32fCase(fns, d, label + " " + Size(w, h) + " kernel " + Size(ks.width, ks.height), w, h, ks, anchor,
                         std::move(kernel));
}

Trial Filter32fFrame(const std::vector<Filter32fFn>& fns, int w, int h) {
    Draw d(9, true);
    std::vector<float> kernel = FloatKernel(d, 0, {3, 3});
    return Filter32fCase(fns, d, "frame", w, h, {3, 3}, {1, 1}, std::move(kernel));
}

// ---- the box filter, border copies and plain copies --------------------------------------

using LowpassFn = decltype(IppPrimitiveTable::filterLowpass_8u_C1R);

Trial LowpassCase(const std::vector<LowpassFn>& fns, Draw& d, int n, int w, int h) {
    const IppiMaskSize mask = n % 2 == 0 ? ippMskSize5x5 : ippMskSize3x3;
    const int r = mask == ippMskSize5x5 ? 2 : 1;
    const Region src{h + 2 * r, Step(d, w + 2 * r, 5), w + 2 * r};
    const Region dst{h, Step(d, w, 5), w};
    const ptrdiff_t lead = static_cast<ptrdiff_t>(r) * src.step + r;
    return BlockTrial("box filter case " + std::to_string(n) + " " + Size(w, h), fns, d.Bytes(src.Bytes()),
                      d.Bytes(dst.Bytes()), [=](LowpassFn f, const uint8_t* s, uint8_t* out) {
                          return f(s + src.FirstRowOffset() + lead, src.step, out + dst.FirstRowOffset(), dst.step,
                                   {w, h}, mask);
                      });
}

using BorderFn = decltype(IppPrimitiveTable::copyReplicateBorder_8u_C4R);

template <int px>
Trial BorderCase(const std::vector<BorderFn>& fns, Draw& d, int n, int w, int h) {
    const int L = d.Between(0, 4), T = d.Between(0, 3);
    const IppiSize to = {w + L + d.Between(0, 4), h + T + d.Between(0, 3)};
    const Region src{h, Step(d, w * px, 5), w * px};
    const Region dst{to.height, Step(d, to.width * px, 5), to.width * px};
    return BlockTrial("border case " + std::to_string(n) + " " + Size(w, h) + " into " + Size(to.width, to.height),
                      fns, d.Bytes(src.Bytes()), d.Bytes(dst.Bytes()),
                      [=](BorderFn f, const uint8_t* s, uint8_t* out) {
                          return f(s + src.FirstRowOffset(), src.step, {w, h}, out + dst.FirstRowOffset(), dst.step,
                                   to, T, L);
                      });
}

using CopyFn = decltype(IppPrimitiveTable::copy_8u_C4R);

// Whole pixels (4 to 4), one channel into a plane (4 to 1) or a plane into one
// channel (1 to 4).
template <int srcPx, int dstPx>
Trial CopyCase(const std::vector<CopyFn>& fns, Draw& d, int n, int w, int h) {
    const int channel = srcPx == dstPx ? 0 : d.Between(0, 3);
    const Region src{h, Step(d, w * srcPx, 7), w * srcPx};
    const Region dst{h, Step(d, w * dstPx, 7), w * dstPx};
    return BlockTrial("copy case " + std::to_string(n) + " " + Size(w, h) + " channel " + std::to_string(channel),
                      fns, d.Bytes(src.Bytes()), d.Bytes(dst.Bytes()),
                      [=](CopyFn f, const uint8_t* s, uint8_t* out) {
                          return f(s + src.FirstRowOffset() + (srcPx == 4 ? channel : 0), src.step,
                                   out + dst.FirstRowOffset() + (dstPx == 4 ? channel : 0), dst.step, {w, h});
                      });
}

// ---- the hue, saturation, value conversions ---------------------------------------------

using ConvertFn = decltype(IppPrimitiveTable::rgbToHsv_8u_AC4R);
constexpr int kEveryColourSlabs = 256;

// Slab `first`: a 256 x 256 picture of every second and third byte behind the first
// byte `first`, with alpha bytes the destination must keep; all slabs together are
// every input.
Trial ConvertSlab(const std::vector<ConvertFn>& fns, int first) {
    std::vector<uint8_t> src = Grid256([first](int third, int second, uint8_t* p) {
        p[0] = static_cast<uint8_t>(first), p[1] = static_cast<uint8_t>(second);
        p[2] = static_cast<uint8_t>(third), p[3] = static_cast<uint8_t>(second ^ third);
    });
    Draw d(70000 + first, false);
    std::vector<uint8_t> dst = d.Bytes(src.size());
    return BlockTrial("every colour with first byte " + std::to_string(first), fns, std::move(src), std::move(dst),
                      [](ConvertFn f, const uint8_t* s, uint8_t* out) {
                          return f(s, 256 * 4, out, 256 * 4, {256, 256});
                      });
}

// In place, and rows that overlap because the steps are shorter than a row (down
// to one byte), the destination behind or ahead of the source: each pixel is read
// before it is written, so the picture must match the generic one's.
Trial ConvertOverlap(const std::vector<ConvertFn>& fns, Draw& d, int n) {
    struct Layout {
        int width, height, srcStep, dstStep, srcOffset, dstOffset;
    };
    const Layout layouts[] = {{17, 5, 68, 68, 0, 0}, {9, 6, 1, 1, 0, 0}, {9, 6, 5, 3, 0, 2}, {9, 6, 7, 7, 6, 0},
                              {1, 1, 1, 1, 0, 0},    {1, 40, 4, 4, 0, 1}, {33, 1, 1, 1, 3, 0}};
    const Layout l = layouts[d.AnyBetween(0, 6)];
    return Trial("conversion case " + std::to_string(n) + ", overlapping " + Size(l.width, l.height),
                 d.Bytes(static_cast<size_t>(l.height) * (l.width * 4 + 8) + 16), [=](size_t v, uint8_t* buf) {
                     return fns[v](buf + l.srcOffset, l.srcStep, buf + l.dstOffset, l.dstStep, {l.width, l.height});
                 });
}

Trial ConvertCase(const std::vector<ConvertFn>& fns, Draw& d, int n, int w, int h) {
    const Region src{h, Step(d, w * 4, 7), w * 4};
    const Region dst{h, Step(d, w * 4, 7), w * 4};
    return BlockTrial("conversion case " + std::to_string(n) + " " + Size(w, h), fns, d.Bytes(src.Bytes()),
                      d.Bytes(dst.Bytes()), [=](ConvertFn f, const uint8_t* s, uint8_t* out) {
                          return f(s + src.FirstRowOffset(), src.step, out + dst.FirstRowOffset(), dst.step, {w, h});
                      });
}

Trial ConvertRandom(const std::vector<ConvertFn>& fns, int n) {
    if (n < kEveryColourSlabs) return ConvertSlab(fns, n);
    const int k = n - kEveryColourSlabs;
    Draw d(71000 + k, k < 4);
    if (k % 4 == 3) return ConvertOverlap(fns, d, n);
    return ConvertCase(fns, d, n, d.Between(1, 31), d.Between(1, 5));
}

Trial ConvertFrame(const std::vector<ConvertFn>& fns, int w, int h) {
    Draw d(3, true);
    return ConvertCase(fns, d, 0, w, h);
}

// Random cases of a routine whose draw needs only the region's size.
template <class Fn>
std::function<Trial(const std::vector<Fn>&, int)> Sized(uint32_t seed, int maxW, int maxH,
                                                        Trial (*make)(const std::vector<Fn>&, Draw&, int, int, int)) {
    return [=](const std::vector<Fn>& fns, int n) {
        Draw d(seed + n, n < 12);
        const int w = d.Between(1, maxW), h = d.Between(1, maxH);
        return make(fns, d, n, w, h);
    };
}

// ---- the host surfaces' sample conversion ------------------------------------------------

// Cases 0-2: every (colour, alpha) pair in each conversion; then rows of 0 to 40
// samples, opaque runs among them (every fourth row opaque but for one sample),
// converted into another row or in place.
Trial SampleRowCase(const std::vector<NamedSampleRowConverter>& versions, int n, int count) {
    const SampleConversion conversion = static_cast<SampleConversion>(n % 3);
    Draw d(12000 + n, n < 3);
    std::vector<uint8_t> src(static_cast<size_t>(count) * 4);
    const int lone = n >= 3 && n % 4 == 3 && count > 0 ? d.AnyBetween(0, count - 1) : -1;
    for (int i = 0; i < count; ++i) {
        const bool every = n < 3;
        src[i * 4] = every ? static_cast<uint8_t>(i) : d.Byte();
        src[i * 4 + 1] = every ? static_cast<uint8_t>(255 - i) : d.Byte();
        src[i * 4 + 2] = every ? static_cast<uint8_t>(i * 7) : d.Byte();
        src[i * 4 + 3] = every ? static_cast<uint8_t>(i >> 8) : (d.OneIn(2) ? 255 : d.Byte());
        if (lone >= 0) src[i * 4 + 3] = i == lone ? static_cast<uint8_t>(d.AnyBetween(0, 254)) : 255;
    }
    const bool inPlace = n >= 3 && d.OneIn(3);
    auto source = std::make_shared<std::vector<uint8_t>>(std::move(src));
    std::vector<uint8_t> initial = inPlace ? *source : d.Bytes(source->size());
    return Trial("sample row case " + std::to_string(n) + (inPlace ? " in place" : ""), std::move(initial),
                 [=](size_t v, uint8_t* out) {
                     const auto* from = reinterpret_cast<const DXSAMPLE*>(inPlace ? out : source->data());
                     versions[v].convert(from, reinterpret_cast<DXSAMPLE*>(out), static_cast<size_t>(count), conversion);
                     return 0;
                 });
}

Entry SampleRowEntry() {
    const std::vector<NamedSampleRowConverter> versions = RunnableSampleRowConverters();
    Entry e{"Sample row conversion", {}, 300, nullptr, nullptr, 0xfa4780a2aba4e49eull};
    for (const auto& v : versions) e.versions.push_back(v.name);
    e.draw = [versions](int n) { return SampleRowCase(versions, n, n < 3 ? 65536 : Draw(n, false).AnyBetween(0, 40)); };
    // A frame's samples as one row, unpremultiplied (the costlier way).
    e.frame = [versions](int w, int h) { return SampleRowCase(versions, 5, w * h); };
    return e;
}

}  // namespace

// One row per routine of the processor tables (see Row). A new routine is a new row;
// a new faster version of a routine is a new table in image/cpudispatch and needs no row.
void AddPrimitiveEntries(std::vector<Entry>& e) {
    using T = IppPrimitiveTable;
    e.insert(e.end(), {
        Row("FilterRow_8u_AC4R", &T::filterRow_8u_AC4R, 600, SeparableRandom<false>, SeparableFrame<false>, 0x2057d59b7dda06beull),
        Row("FilterColumn_8u_AC4R", &T::filterColumn_8u_AC4R, 600, SeparableRandom<true>, SeparableFrame<true>, 0x80bc7528d20a8cb3ull),
        Row("Filter32f_8u_C4R", &T::filter32f_8u_C4R, 600, Filter32fRandom, Filter32fFrame, 0xa06e1b90ae24e0e8ull),
        Row("FilterLowpass_8u_C1R", &T::filterLowpass_8u_C1R, 150, Sized(4000, 30, 12, LowpassCase), nullptr, 0xaa3722e46a8a87ebull),
        Row("CopyReplicateBorder_8u_C4R", &T::copyReplicateBorder_8u_C4R, 100, Sized(8004, 20, 8, BorderCase<4>), nullptr, 0xac8dedca741327cdull),
        Row("CopyReplicateBorder_8u_C1R", &T::copyReplicateBorder_8u_C1R, 100, Sized(8001, 20, 8, BorderCase<1>), nullptr, 0xd88b83ca929fe7a4ull),
        Row("Copy_8u_C4R", &T::copy_8u_C4R, 100, Sized(9044, 20, 8, CopyCase<4, 4>), nullptr, 0xcf128835ece5b0b3ull),
        Row("Copy_8u_C4C1R", &T::copy_8u_C4C1R, 100, Sized(9041, 20, 8, CopyCase<4, 1>), nullptr, 0x407517b889a26f89ull),
        Row("Copy_8u_C1C4R", &T::copy_8u_C1C4R, 100, Sized(9014, 20, 8, CopyCase<1, 4>), nullptr, 0x8604fded8d0ae0a0ull),
        Row("RGBToHSV_8u_AC4R", &T::rgbToHsv_8u_AC4R, kEveryColourSlabs + 64, ConvertRandom, ConvertFrame, 0xbbc23b94799141d0ull),
        Row("HSVToRGB_8u_AC4R", &T::hsvToRgb_8u_AC4R, kEveryColourSlabs + 64, ConvertRandom, ConvertFrame, 0xd030dffc2717cb0eull),
    });
    // The host surfaces' conversion, whose versions are the host's own.
    e.push_back(SampleRowEntry());
}

}  // namespace identity
