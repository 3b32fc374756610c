// The transform base's diagnostics on the debug output channel, switched by the
// debug-flags word: bit 0 traces entry and exit of the public operations, bit 1
// reports failures. They never change results.
#pragma once

#include "platform/com/wintypes.h"

constexpr DWORD DXTDBG_TRACE_FUNCTIONS = 0x1;
constexpr DWORD DXTDBG_REPORT_FAILURES = 0x2;

// The debug-flags word, one per process. Loading reads HKCR\DXTDbgFlags "Flags"
// (creating the key and a REG_DWORD 0 when missing) and keeps the value; it runs once
// when the module is loaded.
DWORD LoadTransformDebugFlags();
DWORD TransformDebugFlags();
void SetTransformDebugFlags(DWORD flags);

// Reports "\nEntering Function: <name>\n" now and "Leaving Function: <name>\n" when
// it ends, if function tracing is on.
class FunctionTrace {
public:
    explicit FunctionTrace(const char* name);
    ~FunctionTrace();
    FunctionTrace(const FunctionTrace&) = delete;
    FunctionTrace& operator=(const FunctionTrace&) = delete;

private:
    const char* m_name;
    bool m_on;
};

// Writes text if failure reports are on.
void ReportTransformFailure(const char* text);
// "\nExecute failed. HR = %X", if failure reports are on.
void ReportExecuteFailure(HRESULT hr);
