// CBandViews: the two 4-channel CImageBuffer views a frame routine works on, IN over
// the read lock's samples and OUT over the write lock's. OUT is W x H; IN is W x
// (H + the rows the input region holds before and after the band's own).
//
// Attach makes row 0 of a view the row at the lowest address, so a bottom-up region
// (negative pitch) is seen upside down. That is harmless while both views are turned
// the same way, but an input and an output of different row order would come out
// mirrored, and an input that shares memory with the output (one surface as both, or
// overlapping regions) would be overwritten before it is read. In those two cases IN
// becomes a private copy of the input band, laid out in OUT's row order; otherwise
// IN is the plain view and nothing is copied.
#pragma once

#include "image/imagebuffer.h"
#include "transform/surfacelock.h"

class CBandViews {
public:
    // False only when the private copy was needed and its memory could not be had;
    // the caller then renders nothing (as for its other scratch buffers).
    // rowsBefore and rowsAfter: the input region's rows before and after the band's, in
    // surface order.
    bool Attach(const CSurfaceReadLock& input, const CSurfaceWriteLock& output, int width, int height,
                int rowsBefore = 0, int rowsAfter = 0);

    // True when the views run upwards in the surface (OUT's rows at decreasing
    // addresses): row 0 of both is then the region's last row.
    bool Turned() const { return m_turned; }

    const CImageBuffer& In() const { return m_in; }
    CImageBuffer& Out() { return m_out; }

private:
    CImageBuffer m_in;
    CImageBuffer m_out;
    bool m_turned = false;
};
