// The debug output channel. Writes nowhere unless $QUILLET_DEBUG_OUTPUT names a file
// (appended to) or is "-" (standard error). The variable is read at every call, so a
// test may point it at a file of its own.
#pragma once

extern "C" void OutputDebugStringA(const char* text);
