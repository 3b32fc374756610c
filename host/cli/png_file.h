// PNG files: 8-bit (and wider, scaled down) grey, grey with alpha, RGB, RGBA and palette
// pictures in; straight-alpha samples out as the smallest of grey, RGB or RGBA that
// keeps every value. Sample values pass unchanged: no gamma or colour conversion.
#pragma once

#include <string>

#include "host/cli/image.h"

namespace brushwerk::cli {

// Returns the picture with straight alpha (255 where the file has none); throws CliError.
Image ReadPngFile(const std::string& path);
// Writes straight samples; throws CliError.
void WritePngFile(const std::string& path, const Image& image, const std::string& shownName = {});

}  // namespace brushwerk::cli
