// The registry's text file: the ".reg" export format, version 5.00, written as UTF-8.
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_CLASSES_ROOT\CLSID\{...}]
//     @="Display name"
//     "ThreadingModel"="Both"
//     "Flags"=dword:0000000a
//
// Every key gets its own section, so empty keys survive a round trip. Strings escape
// '\' and '"' with a backslash; a string holding control characters (which a line
// cannot carry) is written as hex(1): UTF-16LE, one unit per byte. Other value types
// are written as hex(N): byte lists. Internal to the registry stand-in.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/registry_tree.h"

namespace quillet::reg {

inline constexpr const char* kRegFileHeader = "Windows Registry Editor Version 5.00";

struct RegFileError {
    int line = 0;
    std::string what;
};

// Parses the whole text into tree (which should be empty). An empty or blank text is
// an empty registry. On failure nothing useful is left in tree and error names the line.
bool ParseRegFile(std::string_view text, Tree& tree, RegFileError& error);

std::string FormatRegFile(const Tree& tree);

}  // namespace quillet::reg
