// Processor selection: a pointer to one constant table of routines, swapped
// atomically so that a late ippStaticInit() never races a routine in flight.
// Only the generic table exists so far; faster tables for SSE2/AVX2 will be
// chosen here from the processor's features, each proven identical to it.
#include "image/cpudispatch.h"

#include <atomic>

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

std::atomic<const IppPrimitiveTable*> g_activeTable{&kGenericTable};

const IppPrimitiveTable& SelectForThisProcessor() { return kGenericTable; }

}  // namespace

IppStatus ippStaticInit() {
    g_activeTable.store(&SelectForThisProcessor(), std::memory_order_release);
    return ippStsNoErr;
}

const IppPrimitiveTable& ippActivePrimitives() { return *g_activeTable.load(std::memory_order_acquire); }

const IppPrimitiveTable& ippGenericPrimitives() { return kGenericTable; }
