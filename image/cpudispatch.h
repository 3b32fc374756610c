// Processor selection for the primitive routines. ippStaticInit() runs once when
// the module is loaded (from DllMain) and chooses, per routine, the fastest
// version this processor supports; every version gives the bytes of the generic
// one.
#pragma once

#include <vector>

#include "image/ippi.h"

// One implementation of each routine. The public routines check their arguments
// and then call through the selected table.
struct IppPrimitiveTable {
    const char* name;
    decltype(&ippiFilterRow_8u_AC4R) filterRow_8u_AC4R;
    decltype(&ippiFilterColumn_8u_AC4R) filterColumn_8u_AC4R;
    decltype(&ippiFilterLowpass_8u_C1R) filterLowpass_8u_C1R;
    decltype(&ippiFilter32f_8u_C4R) filter32f_8u_C4R;
    decltype(&ippiCopyReplicateBorder_8u_C4R) copyReplicateBorder_8u_C4R;
    decltype(&ippiCopyReplicateBorder_8u_C1R) copyReplicateBorder_8u_C1R;
    decltype(&ippiCopy_8u_C4R) copy_8u_C4R;
    decltype(&ippiCopy_8u_C4C1R) copy_8u_C4C1R;
    decltype(&ippiCopy_8u_C1C4R) copy_8u_C1C4R;
    decltype(&ippiRGBToHSV_8u_AC4R) rgbToHsv_8u_AC4R;
    decltype(&ippiHSVToRGB_8u_AC4R) hsvToRgb_8u_AC4R;
};

// The levels of faster versions a run may use. The environment variable
// QUILLET_DISABLE lists levels to switch off, separated by commas or spaces:
// "avx2", "avx512", "sse2" (the vector filters) and "tables" (every table and running-sum
// version, the effects' own tables included), so that the generic versions can
// be run and proven at any time.
struct IppLevels {
    bool avx2 = true, avx512 = true, sse2 = true, tables = true;
};
IppLevels ippLevelsAllowedByEnvironment();

// Chooses the implementations for this processor and the levels the environment
// allows. Safe to call more than once; returns ippStsNoErr.
IppStatus ippStaticInit();

// Whether the table versions are in use (true until ippStaticInit says otherwise);
// the effects consult it where they choose between their tables and their rule.
bool ippTablesEnabled();

// Whether AVX2 versions may run (the processor has AVX2 and FMA and the environment
// leaves the level on; false until ippStaticInit says otherwise); for the effects'
// own vector paths.
bool ippAvx2Enabled();

// The same for SSE2 (the processor has it and the environment leaves the level on).
bool ippSse2Enabled();

// The same for AVX-512 (foundation): the processor has it and the environment leaves
// both "avx512" and "avx2" on, so that switching AVX2 off also switches off every
// wider path.
bool ippAvx512Enabled();

// AVX-512 with its byte and word instructions (BW), and with the byte permutes too (BW
// and VBMI, for the table lookups by byte): ippAvx512Enabled() and the processor has them.
bool ippAvx512BwEnabled();
bool ippAvx512VbmiEnabled();

// The table the public routines call through (the generic one before ippStaticInit).
const IppPrimitiveTable& ippActivePrimitives();

// The generic table, the reference for tests of faster versions.
const IppPrimitiveTable& ippGenericPrimitives();

// Every table this processor can run and the environment allows, the generic one
// first and the one ippStaticInit() selects last; the identity harness compares
// each with the generic one.
std::vector<const IppPrimitiveTable*> ippRunnablePrimitiveTables();
