#include "host/cli/raw_frames.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>

#include "host/cli/cli_error.h"

namespace brushwerk::cli {
namespace {

struct FileCloser {
    void operator()(FILE* f) const { if (f) std::fclose(f); }
};

size_t FrameBytes(FrameSize size) { return size_t(size.width) * size_t(size.height) * 4; }

// Reads until count bytes arrived or the stream ended; pipes deliver in pieces.
size_t ReadFully(std::FILE* stream, uint8_t* data, size_t count) {
    size_t done = 0;
    while (done < count) {
        size_t n = std::fread(data + done, 1, count - done, stream);
        if (n == 0) break;
        done += n;
    }
    return done;
}

}  // namespace

std::optional<FrameSize> ParseFrameSize(const std::string& text, bool* tooLarge) {
    if (tooLarge) *tooLarge = false;
    size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    uint64_t width = 0, height = 0;
    const char* b = text.data();
    auto r1 = std::from_chars(b, b + x, width);
    auto r2 = std::from_chars(b + x + 1, b + text.size(), height);
    if (x == 0 || r1.ptr != b + x || r2.ptr != b + text.size() || width == 0 || height == 0) return std::nullopt;
    const bool overflow = r1.ec == std::errc::result_out_of_range || r2.ec == std::errc::result_out_of_range;
    if ((r1.ec != std::errc() || r2.ec != std::errc()) && !overflow) return std::nullopt;
    if (overflow || width > uint64_t(kMaxImageSide) || height > uint64_t(kMaxImageSide) ||
        width * height > kMaxImagePixels) {
        if (tooLarge) *tooLarge = true;
        return std::nullopt;
    }
    return FrameSize{int(width), int(height)};
}

Image ReadRawFile(const std::string& path, FrameSize size) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw CliError("cannot read " + path + ": " + std::strerror(errno));
    Image image = MakeImage(size.width, size.height, AlphaForm::Premultiplied);
    const size_t got = ReadFully(file.get(), image.bgra.data(), image.bgra.size());
    const bool longer = got == image.bgra.size() && std::fgetc(file.get()) != EOF;
    if (got != image.bgra.size() || longer)
        throw CliError("size mismatch: " + path + " does not hold exactly " + std::to_string(size.width) + "x" +
                       std::to_string(size.height) + "x4 = " + std::to_string(image.bgra.size()) + " bytes");
    return image;
}

void WriteRawFile(const std::string& path, const Image& image, const std::string& shownName) {
    const std::string& name = shownName.empty() ? path : shownName;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw CliError("cannot write " + name + ": " + std::strerror(errno));
    WriteRawFrame(file.get(), image, name);
    if (std::fclose(file.release()) != 0) throw CliError("cannot write " + name + ": " + std::strerror(errno));
}

RawFrameReader::RawFrameReader(std::FILE* stream, FrameSize size, AlphaForm alpha, std::string name)
    : m_stream(stream), m_size(size), m_alpha(alpha), m_name(std::move(name)) {}

std::optional<Image> RawFrameReader::Next(std::optional<Image> spare) {
    const size_t frameBytes = FrameBytes(m_size);
    Image image;
    if (spare && spare->width == m_size.width && spare->height == m_size.height) {
        image = std::move(*spare);
    } else {
        // No buffer yet: it grows with the bytes that arrive (doubling from 1 MiB), so a
        // stream that ends early never costs a whole frame of memory and time.
        image.width = m_size.width;
        image.height = m_size.height;
        image.bgra.resize(std::min<size_t>(frameBytes, size_t(1) << 20));
    }
    image.alpha = m_alpha;
    size_t got = ReadFully(m_stream, image.bgra.data(), image.bgra.size());
    while (got == image.bgra.size() && got < frameBytes) {
        image.bgra.resize(std::min(frameBytes, got * 2));
        got += ReadFully(m_stream, image.bgra.data() + got, image.bgra.size() - got);
    }
    if (got == 0) {
        if (std::ferror(m_stream)) throw CliError("cannot read " + m_name + ": " + std::strerror(errno));
        return std::nullopt;
    }
    if (got != frameBytes)
        throw CliError("truncated raw stream: frame " + std::to_string(m_frames + 1) + " of " + m_name + " has " +
                       std::to_string(got) + " of " + std::to_string(FrameBytes(m_size)) + " bytes (--size " +
                       std::to_string(m_size.width) + "x" + std::to_string(m_size.height) + ")");
    ++m_frames;
    return image;
}

void WriteRawFrame(std::FILE* stream, const Image& image, const std::string& name) {
    if (std::fwrite(image.bgra.data(), 1, image.bgra.size(), stream) != image.bgra.size() ||
        std::fflush(stream) != 0)
        throw CliError("cannot write " + name + ": " + std::strerror(errno));
}

}  // namespace brushwerk::cli
