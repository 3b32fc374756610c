// Processor selection: a pointer to one constant table of routines, swapped
// atomically so that a late ippStaticInit() never races a routine in flight.
// Each table is the generic one with faster versions in some rows; every faster
// version gives the generic bytes for every input (image/ippi_fast.h), so the
// choice changes speed only. The row and column filters take the running-sum
// path for tent kernels (image/filter_rowcol_fast.h) and the generic one for any
// other; the tables with SSE2 take its box filter; the copies are fast in their
// generic form and stay generic in every table. QUILLET_DISABLE switches levels off: a level off picks
// the next table down the chain, never a different result.
#include "image/cpudispatch.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

#include "image/filter_rowcol_fast.h"
#include "image/ippi_fast.h"
#include "image/ippi_generic.h"

namespace {

constexpr IppPrimitiveTable kGenericTable = {
    "generic",
    &ipp_generic::FilterRow_8u_AC4R,
    &ipp_generic::FilterColumn_8u_AC4R,
    &ipp_generic::FilterLowpass_8u_C1R,
    &ipp_generic::Filter32f_8u_C4R,
    &ipp_generic::CopyReplicateBorder_8u_C4R,
    &ipp_generic::CopyReplicateBorder_8u_C1R,
    &ipp_generic::Copy_8u_C4R,
    &ipp_generic::Copy_8u_C4C1R,
    &ipp_generic::Copy_8u_C1C4R,
    &ipp_generic::RGBToHSV_8u_AC4R,
    &ipp_generic::HSVToRGB_8u_AC4R,
};

// The generic table with the float-kernel filter replaced, and with the tent path
// of the separable filters and the table conversions when `tables` is set.
constexpr IppPrimitiveTable Compose(const char* name, decltype(&ippiFilter32f_8u_C4R) filter32f, bool tables,
                                    decltype(&ippiFilterLowpass_8u_C1R) lowpass = &ipp_generic::FilterLowpass_8u_C1R) {
    IppPrimitiveTable t = kGenericTable;
    t.name = name;
    t.filter32f_8u_C4R = filter32f;
    t.filterLowpass_8u_C1R = lowpass;
    if (tables) {
        t.filterRow_8u_AC4R = &ipp_fast::FilterRow_8u_AC4R_Tent;
        t.filterColumn_8u_AC4R = &ipp_fast::FilterColumn_8u_AC4R_Tent;
        t.rgbToHsv_8u_AC4R = &ipp_fast::RGBToHSV_8u_AC4R_Tables;
        t.hsvToRgb_8u_AC4R = &ipp_fast::HSVToRGB_8u_AC4R_Tables;
    }
    return t;
}

constexpr IppPrimitiveTable kTablesTable = Compose("tables", &ipp_generic::Filter32f_8u_C4R, true);

#if defined(__x86_64__) || defined(__i386__)
constexpr IppPrimitiveTable kSse2Table = Compose("sse2", &ipp_fast::Filter32f_8u_C4R_Sse2, true,
                                              &ipp_fast::FilterLowpass_8u_C1R_Sse2);
constexpr IppPrimitiveTable kAvx2Table = Compose("avx2", &ipp_fast::Filter32f_8u_C4R_Avx2, true,
                                              &ipp_fast::FilterLowpass_8u_C1R_Avx2);
constexpr IppPrimitiveTable kSse2OnlyTable = Compose("sse2 without tables", &ipp_fast::Filter32f_8u_C4R_Sse2, false,
                                              &ipp_fast::FilterLowpass_8u_C1R_Sse2);
constexpr IppPrimitiveTable kAvx2OnlyTable = Compose("avx2 without tables", &ipp_fast::Filter32f_8u_C4R_Avx2, false,
                                              &ipp_fast::FilterLowpass_8u_C1R_Avx2);
constexpr IppPrimitiveTable kAvx512Table = Compose("avx512", &ipp_fast::Filter32f_8u_C4R_Avx2, true,
                                                &ipp_fast::FilterLowpass_8u_C1R_Avx512);
constexpr IppPrimitiveTable kAvx512OnlyTable = Compose("avx512 without tables", &ipp_fast::Filter32f_8u_C4R_Avx2, false,
                                                    &ipp_fast::FilterLowpass_8u_C1R_Avx512);

bool HasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}

bool HasAvx2AndFma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

bool HasAvx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f");
}

bool HasAvx512Bw() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}

bool HasAvx512Vbmi() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
}
#endif

std::atomic<const IppPrimitiveTable*> g_activeTable{&kGenericTable};
std::atomic<bool> g_tablesEnabled{true};
std::atomic<bool> g_avx2Enabled{false};
std::atomic<bool> g_sse2Enabled{false};
std::atomic<bool> g_avx512Enabled{false};
std::atomic<bool> g_avx512BwEnabled{false};
std::atomic<bool> g_avx512VbmiEnabled{false};

}  // namespace

IppLevels ippLevelsAllowedByEnvironment() {
    IppLevels levels;
    const char* value = std::getenv("QUILLET_DISABLE");
    std::string_view rest = value ? value : "";
    while (!rest.empty()) {
        const size_t end = rest.find_first_of(", ");
        const std::string_view word = rest.substr(0, end);
        if (word == "avx2") levels.avx2 = false;
        if (word == "avx512") levels.avx512 = false;
        if (word == "sse2") levels.sse2 = false;
        if (word == "tables") levels.tables = false;
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return levels;
}

std::vector<const IppPrimitiveTable*> ippRunnablePrimitiveTables() {
    const IppLevels levels = ippLevelsAllowedByEnvironment();
    std::vector<const IppPrimitiveTable*> tables{&kGenericTable};
    if (levels.tables) tables.push_back(&kTablesTable);
#if defined(__x86_64__) || defined(__i386__)
    if (levels.sse2 && HasSse2()) tables.push_back(levels.tables ? &kSse2Table : &kSse2OnlyTable);
    if (levels.avx2 && HasAvx2AndFma()) tables.push_back(levels.tables ? &kAvx2Table : &kAvx2OnlyTable);
    if (levels.avx2 && levels.avx512 && HasAvx2AndFma() && HasAvx512Bw())
        tables.push_back(levels.tables ? &kAvx512Table : &kAvx512OnlyTable);
#endif
    return tables;
}

IppStatus ippStaticInit() {
    const IppLevels levels = ippLevelsAllowedByEnvironment();
    g_tablesEnabled.store(levels.tables, std::memory_order_relaxed);
#if defined(__x86_64__) || defined(__i386__)
    g_avx2Enabled.store(levels.avx2 && HasAvx2AndFma(), std::memory_order_relaxed);
    g_sse2Enabled.store(levels.sse2 && HasSse2(), std::memory_order_relaxed);
    g_avx512Enabled.store(levels.avx2 && levels.avx512 && HasAvx2AndFma() && HasAvx512(), std::memory_order_relaxed);
    g_avx512BwEnabled.store(g_avx512Enabled.load(std::memory_order_relaxed) && HasAvx512Bw(), std::memory_order_relaxed);
    g_avx512VbmiEnabled.store(g_avx512Enabled.load(std::memory_order_relaxed) && HasAvx512Vbmi(),
                              std::memory_order_relaxed);
#endif
    g_activeTable.store(ippRunnablePrimitiveTables().back(), std::memory_order_release);
    return ippStsNoErr;
}

bool ippTablesEnabled() { return g_tablesEnabled.load(std::memory_order_relaxed); }

bool ippAvx2Enabled() { return g_avx2Enabled.load(std::memory_order_relaxed); }

bool ippSse2Enabled() { return g_sse2Enabled.load(std::memory_order_relaxed); }

bool ippAvx512Enabled() { return g_avx512Enabled.load(std::memory_order_relaxed); }

bool ippAvx512BwEnabled() { return g_avx512BwEnabled.load(std::memory_order_relaxed); }

bool ippAvx512VbmiEnabled() { return g_avx512VbmiEnabled.load(std::memory_order_relaxed); }

const IppPrimitiveTable& ippActivePrimitives() { return *g_activeTable.load(std::memory_order_acquire); }

const IppPrimitiveTable& ippGenericPrimitives() { return kGenericTable; }
