// libpng's setjmp error handling: every object that must outlive an error is created
// before setjmp, and nothing with a destructor is created between setjmp and the calls
// that may jump back.
#include "host/cli/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "host/cli/cli_error.h"

namespace brushwerk::cli {
namespace {

struct PngErrorContext {
    char message[256] = "";
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp text) {
    auto* ctx = static_cast<PngErrorContext*>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", text ? text : "unknown error");
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

struct FileCloser {
    void operator()(FILE* f) const { if (f) std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

FilePtr OpenFile(const std::string& path, const char* mode, const char* verb) {
    FILE* f = std::fopen(path.c_str(), mode);
    if (!f) throw CliError(std::string("cannot ") + verb + " " + path + ": " + std::strerror(errno));
    return FilePtr(f);
}

// Reads the header and sets the transforms; returns false (message set) on a libpng error.
bool ReadPngInto(FILE* file, PngErrorContext& ctx, Image& image, std::vector<png_bytep>& rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, OnPngError, OnPngWarning);
    if (!png) {
        std::snprintf(ctx.message, sizeof ctx.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(ctx.message, sizeof ctx.message, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    if (width == 0 || height == 0 || width > png_uint_32(kMaxImageSide) || height > png_uint_32(kMaxImageSide) ||
        uint64_t(width) * height > kMaxImagePixels) {
        std::snprintf(ctx.message, sizeof ctx.message, "unsupported size %ux%u", unsigned(width), unsigned(height));
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_expand(png);
    png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // only takes effect when there is no alpha
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) {
        std::snprintf(ctx.message, sizeof ctx.message, "unsupported sample layout");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.alpha = AlphaForm::Straight;
    const size_t rowBytes = size_t(width) * 4;
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) {
        image.bgra.resize(rowBytes * height);
        rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.bgra.data() + y * rowBytes;
        png_read_image(png, rows.data());
    } else {
        // Memory is taken as rows arrive, so a short file whose header claims a huge
        // picture ends early instead of asking for all of it first.
        for (png_uint_32 y = 0; y < height; ++y) {
            GrowToRows(image, static_cast<int>(y) + 1);
            png_read_row(png, image.bgra.data() + y * rowBytes, nullptr);
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool WritePngFrom(FILE* file, PngErrorContext& ctx, int colorType, std::vector<png_bytep>& rows, int width,
                  int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, OnPngError, OnPngWarning);
    if (!png) {
        std::snprintf(ctx.message, sizeof ctx.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(ctx.message, sizeof ctx.message, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

Image ReadPngFile(const std::string& path) {
    FilePtr file = OpenFile(path, "rb", "read");
    png_byte signature[8] = {};
    if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        throw CliError("cannot read " + path + ": not a PNG file");
    std::rewind(file.get());
    PngErrorContext ctx;
    Image image;
    std::vector<png_bytep> rows;
    if (!ReadPngInto(file.get(), ctx, image, rows)) {
        // libpng says only "Read Error" when the file stops before the picture does.
        const std::string early = std::feof(file.get()) ? "the file ends early (" + std::string(ctx.message) + ")" : "";
        throw CliError("cannot read " + path + ": " + (early.empty() ? std::string(ctx.message) : early));
    }
    return image;
}

void WritePngFile(const std::string& path, const Image& image, const std::string& shownName) {
    const std::string& name = shownName.empty() ? path : shownName;
    if (image.alpha != AlphaForm::Straight) throw CliError("internal: PNG samples must be straight");
    const bool opaque = IsOpaque(image);
    const bool grey = opaque && IsGrey(image);
    const int channels = grey ? 1 : opaque ? 3 : 4;
    const int colorType = grey ? PNG_COLOR_TYPE_GRAY : opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA;
    std::vector<png_byte> packed(size_t(image.width) * image.height * channels);
    std::vector<png_bytep> rows(image.height);
    for (int y = 0; y < image.height; ++y) {
        png_bytep row = packed.data() + size_t(y) * image.width * channels;
        rows[y] = row;
        const uint8_t* s = image.Pixel(0, y);
        for (int x = 0; x < image.width; ++x, s += 4, row += channels) {
            if (grey) {
                row[0] = s[0];
                continue;
            }
            row[0] = s[2];
            row[1] = s[1];
            row[2] = s[0];
            if (channels == 4) row[3] = s[3];
        }
    }
    FilePtr file = OpenFile(path, "wb", "write");
    PngErrorContext ctx;
    if (!WritePngFrom(file.get(), ctx, colorType, rows, image.width, image.height))
        throw CliError("cannot write " + name + ": " + ctx.message);
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()) || std::fclose(file.release()) != 0)
        throw CliError("cannot write " + name + ": " + std::strerror(errno));
}

}  // namespace brushwerk::cli
