#include "transform/dtbase_trace.h"

#include <cstdio>

#include "transform/dtbase.h"
#include "platform/com/debug.h"

FunctionTrace::FunctionTrace(const char* name)
    : m_name(name), m_on((CDXBaseNTo1::DebugFlags() & DXTDBG_TRACE_FUNCTIONS) != 0) {
    if (!m_on) return;
    char text[256];
    std::snprintf(text, sizeof text, "\nEntering Function: %s\n", m_name);
    OutputDebugStringA(text);
}

FunctionTrace::~FunctionTrace() {
    if (!m_on) return;
    char text[256];
    std::snprintf(text, sizeof text, "Leaving Function: %s\n", m_name);
    OutputDebugStringA(text);
}

void ReportTransformFailure(const char* text) {
    if (CDXBaseNTo1::DebugFlags() & DXTDBG_REPORT_FAILURES) OutputDebugStringA(text);
}

void ReportExecuteFailure(HRESULT hr) {
    if (!(CDXBaseNTo1::DebugFlags() & DXTDBG_REPORT_FAILURES)) return;
    char text[64];
    std::snprintf(text, sizeof text, "\nExecute failed. HR = %X", static_cast<unsigned>(hr));
    OutputDebugStringA(text);
}
