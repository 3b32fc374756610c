// libjpeg reports errors through error_exit, which must not return: it jumps back to
// the setjmp of the routine that started the work, after the message is kept.
#include "host/cli/jpeg_file.h"

#include <csetjmp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "host/cli/cli_error.h"

namespace brushwerk::cli {
namespace {

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// The decoder only warns when the data ends early or is damaged, and fills what is
// missing with grey: such a picture is refused, as libpng refuses a damaged PNG.
// Other warnings (an unknown JFIF revision, say) leave the picture whole.
void OnJpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    const int code = cinfo->err->msg_code;
    const bool endsEarly = code == JWRN_JPEG_EOF;
    if (!endsEarly && code != JWRN_EXTRANEOUS_DATA && code != JWRN_HIT_MARKER && code != JWRN_HUFF_BAD_CODE &&
        code != JWRN_ARITH_BAD_CODE && code != JWRN_MUST_RESYNC && code != JWRN_BOGUS_PROGRESSION &&
        code != JWRN_NOT_SEQUENTIAL)
        return;
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    char detail[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, detail);
    std::snprintf(err->message, sizeof err->message, "%s (%.160s)",
                  endsEarly ? "the file ends early" : "the data is damaged", detail);
    std::longjmp(err->jump, 1);
}

struct FileCloser {
    void operator()(FILE* f) const { if (f) std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

bool DecodeJpeg(FILE* file, JpegErrorManager& err, Image& image, std::vector<uint8_t>& row) {
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnJpegError;
    err.base.emit_message = OnJpegMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        std::snprintf(err.message, sizeof err.message, "CMYK JPEG files are not supported");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    if (width == 0 || height == 0 || width > JDIMENSION(kMaxImageSide) || height > JDIMENSION(kMaxImageSide) ||
        uint64_t(width) * height > kMaxImagePixels || cinfo.output_components != 3) {
        std::snprintf(err.message, sizeof err.message, "unsupported size or layout");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.alpha = AlphaForm::Straight;
    // Memory is taken as rows arrive (see the PNG reader).
    row.resize(size_t(width) * 3);
    while (cinfo.output_scanline < height) {
        JSAMPROW rowPointer = row.data();
        const JDIMENSION y = cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &rowPointer, 1);
        GrowToRows(image, static_cast<int>(y) + 1);
        uint8_t* d = image.bgra.data() + size_t(y) * width * 4;
        for (JDIMENSION x = 0; x < width; ++x, d += 4) {
            d[0] = row[x * 3 + 2];
            d[1] = row[x * 3 + 1];
            d[2] = row[x * 3];
            d[3] = 255;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool EncodeJpeg(FILE* file, JpegErrorManager& err, const Image& image, int quality, bool grey,
                std::vector<uint8_t>& row) {
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnJpegError;
    err.base.emit_message = OnJpegMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* s = image.Pixel(0, int(cinfo.next_scanline));
        for (int x = 0; x < image.width; ++x, s += 4) {
            if (grey) {
                row[x] = s[0];
            } else {
                row[x * 3] = s[2];
                row[x * 3 + 1] = s[1];
                row[x * 3 + 2] = s[0];
            }
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

Image ReadJpegFile(const std::string& path) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) throw CliError("cannot read " + path + ": " + std::strerror(errno));
    JpegErrorManager err{};
    Image image;
    std::vector<uint8_t> row;
    if (!DecodeJpeg(file.get(), err, image, row)) throw CliError("cannot read " + path + ": " + err.message);
    return image;
}

void WriteJpegFile(const std::string& path, const Image& image, int quality, const std::string& shownName) {
    const std::string& name = shownName.empty() ? path : shownName;
    if (image.alpha != AlphaForm::Straight) throw CliError("internal: JPEG samples must be straight");
    const bool grey = IsGrey(image);
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) throw CliError("cannot write " + name + ": " + std::strerror(errno));
    JpegErrorManager err{};
    std::vector<uint8_t> row(size_t(image.width) * 3);
    if (!EncodeJpeg(file.get(), err, image, quality, grey, row))
        throw CliError("cannot write " + name + ": " + err.message);
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()) || std::fclose(file.release()) != 0)
        throw CliError("cannot write " + name + ": " + std::strerror(errno));
}

}  // namespace brushwerk::cli
