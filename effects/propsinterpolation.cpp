#include "effects/propsinterpolation.h"

#include <cstdarg>
#include <cstdio>

#include "platform/com/debug.h"

namespace props_interpolation {

void TracePresetRow(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    OutputDebugStringA(line);
}

}  // namespace props_interpolation
