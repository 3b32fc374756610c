// Picture files by extension: ".png", ".jpg"/".jpeg" (straight alpha on disk) and
// ".bgra" (one raw premultiplied frame, size given by --size).
#pragma once

#include <optional>
#include <string>

#include "host/cli/image.h"
#include "host/cli/raw_frames.h"

namespace brushwerk::cli {

enum class PictureFormat { Png, Jpeg, RawBgra };

// Throws CliError naming the extensions it knows.
PictureFormat FormatFromPath(const std::string& path);
// The alpha form of the samples a format keeps on disk.
AlphaForm AlphaFormOf(PictureFormat format);

// A ".bgra" file needs rawSize; the others ignore it.
Image ReadPicture(const std::string& path, std::optional<FrameSize> rawSize);
// The image must be in AlphaFormOf the file's format. The file replaces the target only
// once it is complete.
void WritePicture(const std::string& path, const Image& image, int jpegQuality = 92);

}  // namespace brushwerk::cli
