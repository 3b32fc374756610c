// Result codes in words for the user: "class not registered (0x80040154)".
#pragma once

#include <string>

namespace brushwerk::cli {

std::string ResultInWords(long hr);

}  // namespace brushwerk::cli
