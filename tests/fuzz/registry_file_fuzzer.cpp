// The registry file's reader on any text: it accepts it or names a line, and what it
// accepts is written back as a text that reads to the same tree.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/com/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillet::reg;
    Tree tree;
    RegFileError error;
    if (!ParseRegFile(std::string_view(reinterpret_cast<const char*>(data), size), tree, error)) {
        if (error.line < 1 || error.what.empty()) std::abort();
        return 0;
    }
    const std::string written = FormatRegFile(tree);
    Tree again;
    if (!ParseRegFile(written, again, error) || FormatRegFile(again) != written) std::abort();
    return 0;
}
