#include "transform/dtbase_trace.h"

#include <atomic>
#include <cstdio>

#include "platform/com/debug.h"
#include "platform/com/registry.h"

namespace {

// Read with relaxed order: a flag change needs no ordering with anything else.
std::atomic<DWORD> s_dwDebugFlags{0};

}  // namespace

DWORD LoadTransformDebugFlags() {
    DWORD flags = 0;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, "DXTDbgFlags", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, &disposition) == ERROR_SUCCESS) {
        DWORD type = REG_NONE, value = 0, size = sizeof value;
        LSTATUS status = RegQueryValueExA(key, "Flags", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) {
            flags = value;
        } else if (status == ERROR_FILE_NOT_FOUND) {
            const DWORD zero = 0;
            RegSetValueExA(key, "Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
        }
        RegCloseKey(key);
    }
    SetTransformDebugFlags(flags);
    return flags;
}

DWORD TransformDebugFlags() { return s_dwDebugFlags.load(std::memory_order_relaxed); }

void SetTransformDebugFlags(DWORD flags) { s_dwDebugFlags.store(flags, std::memory_order_relaxed); }

FunctionTrace::FunctionTrace(const char* name)
    : m_name(name), m_on((TransformDebugFlags() & DXTDBG_TRACE_FUNCTIONS) != 0) {
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
    if (TransformDebugFlags() & DXTDBG_REPORT_FAILURES) OutputDebugStringA(text);
}

void ReportExecuteFailure(HRESULT hr) {
    if (!(TransformDebugFlags() & DXTDBG_REPORT_FAILURES)) return;
    char text[64];
    std::snprintf(text, sizeof text, "\nExecute failed. HR = %X", static_cast<unsigned>(hr));
    OutputDebugStringA(text);
}
