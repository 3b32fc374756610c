#include "host/cli/picture_files.h"

#include <algorithm>
#include <cctype>

#include "host/cli/cli_error.h"
#include "host/cli/jpeg_file.h"
#include "host/cli/png_file.h"
#include "host/cli/replacement_file.h"

namespace brushwerk::cli {

PictureFormat FormatFromPath(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    std::string ext = (dot == std::string::npos || (slash != std::string::npos && dot < slash)) ? "" : path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == "png") return PictureFormat::Png;
    if (ext == "jpg" || ext == "jpeg") return PictureFormat::Jpeg;
    if (ext == "bgra") return PictureFormat::RawBgra;
    throw CliError("unknown picture format of '" + path + "': use .png, .jpg, .jpeg or .bgra", kExitUsage);
}

AlphaForm AlphaFormOf(PictureFormat format) {
    return format == PictureFormat::RawBgra ? AlphaForm::Premultiplied : AlphaForm::Straight;
}

Image ReadPicture(const std::string& path, std::optional<FrameSize> rawSize) {
    switch (FormatFromPath(path)) {
    case PictureFormat::Png:
        return ReadPngFile(path);
    case PictureFormat::Jpeg:
        return ReadJpegFile(path);
    case PictureFormat::RawBgra:
        if (!rawSize) throw CliError("reading " + path + " needs --size WxH (raw frames carry no size)", kExitUsage);
        return ReadRawFile(path, *rawSize);
    }
    throw CliError("internal: unknown format");
}

void WritePicture(const std::string& path, const Image& image, int jpegQuality) {
    const PictureFormat format = FormatFromPath(path);
    if (image.alpha != AlphaFormOf(format)) throw CliError("internal: samples in the wrong alpha form for " + path);
    ReplacementFile file(path);
    switch (format) {
    case PictureFormat::Png:
        WritePngFile(file.TempPath(), image, path);
        break;
    case PictureFormat::Jpeg:
        WriteJpegFile(file.TempPath(), image, jpegQuality, path);
        break;
    case PictureFormat::RawBgra:
        WriteRawFile(file.TempPath(), image, path);
        break;
    }
    file.Commit();
}

}  // namespace brushwerk::cli
