// The table versions of the hue/saturation/value conversions against the generic
// ones: every one of the 2^24 inputs of each direction (both conversions are
// per pixel, so this covers them completely), with the alpha bytes of the
// destination left alone, plus in-place calls, rows that overlap (steps below
// the row's length) and the smallest regions.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "image/cpudispatch.h"
#include "image/ippi.h"
#include "image/ippi_generic.h"
#include "pixel_test_support.h"

namespace {

using ConvertFn = decltype(&ippiRGBToHSV_8u_AC4R);

struct Direction {
    const char* name;
    ConvertFn generic;
    ConvertFn IppPrimitiveTable::*row;
};
const Direction kDirections[] = {
    {"RGB to HSV", &ipp_generic::RGBToHSV_8u_AC4R, &IppPrimitiveTable::rgbToHsv_8u_AC4R},
    {"HSV to RGB", &ipp_generic::HSVToRGB_8u_AC4R, &IppPrimitiveTable::hsvToRgb_8u_AC4R},
};

// The distinct non-generic versions of one direction among the runnable tables.
std::vector<std::pair<std::string, ConvertFn>> FastVersions(const Direction& d) {
    std::vector<std::pair<std::string, ConvertFn>> out;
    std::set<ConvertFn> seen{d.generic};
    for (const IppPrimitiveTable* t : ippRunnablePrimitiveTables())
        if (seen.insert(t->*d.row).second) out.emplace_back(t->name, t->*d.row);
    return out;
}

TEST(IppHsvFast, EveryInputOfBothDirectionsGivesTheGenericBytes) {
    // One call per first byte: a 256 x 256 picture of all second and third bytes,
    // with alpha bytes that must survive in the destination.
    constexpr int kSide = 256;
    std::vector<Ipp8u> src(kSide * kSide * 4);
    for (const Direction& d : kDirections) {
        const auto versions = FastVersions(d);
        EXPECT_FALSE(versions.empty()) << d.name << ": no faster version to prove";
        for (const auto& [name, fast] : versions) {
            size_t differing = 0;
            for (int first = 0; first < 256; ++first) {
                for (int second = 0; second < kSide; ++second)
                    for (int third = 0; third < kSide; ++third) {
                        Ipp8u* p = &src[(static_cast<size_t>(second) * kSide + third) * 4];
                        p[0] = static_cast<Ipp8u>(first), p[1] = static_cast<Ipp8u>(second);
                        p[2] = static_cast<Ipp8u>(third), p[3] = static_cast<Ipp8u>(second ^ third);
                    }
                auto viaFast = image_test::RandomBytes(src.size(), 70000 + first);
                auto viaGeneric = viaFast;
                ASSERT_EQ(fast(src.data(), kSide * 4, viaFast.data(), kSide * 4, {kSide, kSide}), ippStsNoErr);
                ASSERT_EQ(d.generic(src.data(), kSide * 4, viaGeneric.data(), kSide * 4, {kSide, kSide}), ippStsNoErr);
                if (viaFast != viaGeneric) {
                    for (size_t i = 0; i < viaFast.size(); ++i)
                        if (viaFast[i] != viaGeneric[i] && differing++ < 5)
                            ADD_FAILURE() << d.name << " " << name << ": input (" << first << ", "
                                          << (i / 4) / kSide << ", " << (i / 4) % kSide << ") byte " << i % 4
                                          << " gives " << int{viaFast[i]} << ", generic " << int{viaGeneric[i]};
                }
            }
            EXPECT_EQ(differing, 0u) << d.name << " " << name;
        }
    }
}

// Calls where each written pixel may be read later: in place, and rows that
// overlap because the steps are shorter than a row (down to 1 byte), with the
// destination behind or ahead of the source. Pixels go one at a time, each read
// before it is written, so the picture must match the generic one's.
TEST(IppHsvFast, InPlaceAndOverlappingRowsGiveTheGenericBytes) {
    struct Layout {
        int width, height, srcStep, dstStep, srcOffset, dstOffset;
    };
    const Layout layouts[] = {
        {17, 5, 17 * 4, 17 * 4, 0, 0},  // in place
        {9, 6, 1, 1, 0, 0},             // rows one byte apart
        {9, 6, 5, 3, 0, 2},             // destination ahead by two bytes
        {9, 6, 7, 7, 6, 0},             // destination behind
        {1, 1, 1, 1, 0, 0},             // one pixel
        {1, 40, 4, 4, 0, 1},            // a column, destination one byte on
        {33, 1, 1, 1, 3, 0},
    };
    for (const Direction& d : kDirections) {
        for (const auto& [name, fast] : FastVersions(d)) {
            for (size_t n = 0; n < std::size(layouts); ++n) {
                const Layout& l = layouts[n];
                const auto picture = image_test::RandomBytes(
                    static_cast<size_t>(l.height) * (l.width * 4 + 8) + 16, 71000 + static_cast<uint32_t>(n));
                auto viaFast = picture, viaGeneric = picture;
                auto call = [&](ConvertFn f, std::vector<Ipp8u>& buf) {
                    return f(buf.data() + l.srcOffset, l.srcStep, buf.data() + l.dstOffset, l.dstStep,
                             {l.width, l.height});
                };
                ASSERT_EQ(call(fast, viaFast), ippStsNoErr);
                ASSERT_EQ(call(d.generic, viaGeneric), ippStsNoErr);
                EXPECT_EQ(viaFast, viaGeneric) << d.name << " " << name << " layout " << n;
            }
        }
    }
}

// Separate blocks of exactly the bytes a call spans, with odd widths and padded
// steps: nothing beyond the region is touched (the sanitizer build watches the
// block ends), and padding bytes keep their values.
TEST(IppHsvFast, PaddedRegionsOfOddWidths) {
    for (const Direction& d : kDirections) {
        for (const auto& [name, fast] : FastVersions(d)) {
            for (int width : {1, 2, 3, 7, 31}) {
                const int height = 3, srcStep = width * 4 + 5, dstStep = width * 4 + 3;
                const auto src = image_test::RandomBytes(image_test::SpanBytes(height, srcStep, width * 4), 72000 + width);
                auto viaFast = image_test::RandomBytes(image_test::SpanBytes(height, dstStep, width * 4), 73000 + width);
                auto viaGeneric = viaFast;
                ASSERT_EQ(fast(src.data(), srcStep, viaFast.data(), dstStep, {width, height}), ippStsNoErr);
                ASSERT_EQ(d.generic(src.data(), srcStep, viaGeneric.data(), dstStep, {width, height}), ippStsNoErr);
                EXPECT_EQ(viaFast, viaGeneric) << d.name << " " << name << " width " << width;
            }
        }
    }
}

}  // namespace
