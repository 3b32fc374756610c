// JPEG files: grey and colour pictures in (opaque), grey or colour out; alpha is
// dropped on writing, as JPEG has none.
#pragma once

#include <string>

#include "host/cli/image.h"

namespace brushwerk::cli {

Image ReadJpegFile(const std::string& path);
void WriteJpegFile(const std::string& path, const Image& image, int quality, const std::string& shownName = {});

}  // namespace brushwerk::cli
