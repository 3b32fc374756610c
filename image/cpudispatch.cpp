// Processor selection: a pointer to one constant table of routines, swapped
// atomically so that a late ippStaticInit() never races a routine in flight.
// Each table is the generic one with faster versions in some rows; every faster
// version gives the generic bytes for every input (image/ippi_fast.h), so the
// choice changes speed only. The row and column filters take the running-sum
// path for tent kernels (image/filter_rowcol_fast.h) and the generic one for any
// other; the box filter and the copies are fast in their generic form and stay
// generic in every table.
#include "image/cpudispatch.h"

#include <atomic>

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

// The generic table with the float-kernel filter, the tent path of the separable
// filters and the conversions replaced.
constexpr IppPrimitiveTable WithFastRows(const char* name, decltype(&ippiFilter32f_8u_C4R) filter32f) {
    IppPrimitiveTable t = kGenericTable;
    t.name = name;
    t.filter32f_8u_C4R = filter32f;
    t.filterRow_8u_AC4R = &ipp_fast::FilterRow_8u_AC4R_Tent;
    t.filterColumn_8u_AC4R = &ipp_fast::FilterColumn_8u_AC4R_Tent;
    t.rgbToHsv_8u_AC4R = &ipp_fast::RGBToHSV_8u_AC4R_Tables;
    t.hsvToRgb_8u_AC4R = &ipp_fast::HSVToRGB_8u_AC4R_Tables;
    return t;
}

#if defined(__x86_64__) || defined(__i386__)
constexpr IppPrimitiveTable kSse2Table = WithFastRows("sse2", &ipp_fast::Filter32f_8u_C4R_Sse2);
constexpr IppPrimitiveTable kAvx2Table = WithFastRows("avx2", &ipp_fast::Filter32f_8u_C4R_Avx2);

bool HasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}

bool HasAvx2AndFma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

std::atomic<const IppPrimitiveTable*> g_activeTable{&kGenericTable};

}  // namespace

std::vector<const IppPrimitiveTable*> ippRunnablePrimitiveTables() {
    std::vector<const IppPrimitiveTable*> tables{&kGenericTable};
#if defined(__x86_64__) || defined(__i386__)
    if (HasSse2()) tables.push_back(&kSse2Table);
    if (HasAvx2AndFma()) tables.push_back(&kAvx2Table);
#endif
    return tables;
}

IppStatus ippStaticInit() {
    const IppPrimitiveTable* best = &kGenericTable;
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2AndFma())
        best = &kAvx2Table;
    else if (HasSse2())
        best = &kSse2Table;
#endif
    g_activeTable.store(best, std::memory_order_release);
    return ippStsNoErr;
}

const IppPrimitiveTable& ippActivePrimitives() { return *g_activeTable.load(std::memory_order_acquire); }

const IppPrimitiveTable& ippGenericPrimitives() { return kGenericTable; }
