#include "host/cli/frame_io.h"

#include <unistd.h>

#include <utility>

#include "host/cli/cli_error.h"
#include "host/cli/picture_files.h"

namespace brushwerk::cli {
namespace {

std::string SizeText(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

class StillSource final : public FrameSource {
public:
    StillSource(std::string path, const FrameIoSettings& s, long copies)
        : m_path(std::move(path)), m_settings(s), m_copies(copies), m_number(s.start.value_or(1) + s.skip) {}
    std::optional<Frame> Next() override {
        if (m_given >= m_copies) return std::nullopt;
        if (!m_image) m_image = ReadPicture(m_path, m_settings.rawSize);
        return Frame{m_number + m_given++, *m_image};
    }
    long KnownCount() const override { return m_copies; }
    bool IsSequence() const override { return m_copies > 1; }

private:
    std::string m_path;
    FrameIoSettings m_settings;
    long m_copies;
    long m_number;
    long m_given = 0;
    std::optional<Image> m_image;
};

class SequenceSource final : public FrameSource {
public:
    SequenceSource(FramePattern pattern, const FrameIoSettings& s) : m_pattern(std::move(pattern)), m_settings(s) {
        std::optional<long> first = m_pattern.FindFirst(s.start);
        if (!first)
            throw CliError("no frames found for " + m_pattern.Text() + " (looked for " +
                           (s.start ? m_pattern.FileFor(*s.start) : m_pattern.FileFor(0) + " .. " + m_pattern.FileFor(4)) + ")");
        m_next = *first + s.skip;
        if (s.skip > 0 && !m_pattern.Exists(m_next))
            throw CliError("no frame " + m_pattern.FileFor(m_next) + " for the range's first frame");
        // Count the run of existing files now, so an animation knows its last frame.
        long n = m_next;
        while (m_pattern.Exists(n) && (!s.frames || n - m_next < *s.frames)) ++n;
        m_count = n - m_next;
    }
    std::optional<Frame> Next() override {
        if (m_given >= m_count) return std::nullopt;
        const long number = m_next++;
        ++m_given;
        return Frame{number, ReadPicture(m_pattern.FileFor(number), m_settings.rawSize)};
    }
    long KnownCount() const override { return m_count; }
    bool IsSequence() const override { return true; }

private:
    FramePattern m_pattern;
    FrameIoSettings m_settings;
    long m_next = 0;
    long m_count = 0;
    long m_given = 0;
};

class StreamSource final : public FrameSource {
public:
    StreamSource(std::FILE* in, const FrameIoSettings& s)
        : m_reader(in, *s.rawSize, s.streamAlpha, "standard input"), m_limit(s.frames.value_or(0)),
          m_number(s.start.value_or(1) + s.skip) {}
    std::optional<Frame> Next() override {
        if (m_limit > 0 && m_reader.FramesRead() >= m_limit) return std::nullopt;
        std::optional<Image> image = m_reader.Next(std::exchange(m_spare, std::nullopt));
        if (!image) return std::nullopt;
        return Frame{m_number + m_reader.FramesRead() - 1, std::move(*image)};
    }
    void GiveBack(Image&& image) override { m_spare = std::move(image); }
    long KnownCount() const override { return m_limit; }
    bool IsSequence() const override { return true; }

private:
    RawFrameReader m_reader;
    long m_limit;
    long m_number;
    std::optional<Image> m_spare;
};

class PictureSink final : public FrameSink {
public:
    PictureSink(std::string path, int quality)
        : m_path(std::move(path)), m_alpha(AlphaFormOf(FormatFromPath(m_path))), m_quality(quality) {}
    AlphaForm Alpha() const override { return m_alpha; }
    void Write(const Frame& frame) override { WritePicture(m_path, frame.image, m_quality); }
    bool TakesMany() const override { return false; }

private:
    std::string m_path;
    AlphaForm m_alpha;
    int m_quality;
};

class SequenceSink final : public FrameSink {
public:
    SequenceSink(FramePattern pattern, int quality)
        : m_pattern(std::move(pattern)), m_alpha(AlphaFormOf(FormatFromPath(m_pattern.FileFor(0)))), m_quality(quality) {}
    AlphaForm Alpha() const override { return m_alpha; }
    void Write(const Frame& frame) override { WritePicture(m_pattern.FileFor(frame.number), frame.image, m_quality); }
    bool TakesMany() const override { return true; }

private:
    FramePattern m_pattern;
    AlphaForm m_alpha;
    int m_quality;
};

class StreamSink final : public FrameSink {
public:
    StreamSink(std::FILE* out, const FrameIoSettings& s) : m_out(out), m_alpha(s.streamAlpha), m_size(s.rawSize) {}
    AlphaForm Alpha() const override { return m_alpha; }
    void Write(const Frame& frame) override {
        // Every frame of a raw stream must have one size, or the reader loses its place.
        const FrameSize size{frame.image.width, frame.image.height};
        if (!m_size) m_size = size;
        if (size != *m_size)
            throw CliError("size mismatch: frame " + std::to_string(frame.number) + " is " + SizeText(size.width, size.height) +
                           " but the output stream's frames are " + SizeText(m_size->width, m_size->height));
        WriteRawFrame(m_out, frame.image, "standard output");
    }
    bool TakesMany() const override { return true; }

private:
    std::FILE* m_out;
    AlphaForm m_alpha;
    std::optional<FrameSize> m_size;
};

}  // namespace

bool IsStreamName(const std::string& name) { return name == "-"; }

std::unique_ptr<FrameSource> OpenFrameSource(const std::string& in, const FrameIoSettings& settings, bool repeatStill,
                                             std::FILE* stdinStream) {
    if (IsStreamName(in)) {
        if (!settings.rawSize) throw CliError("reading frames from standard input needs --size WxH", kExitUsage);
        return std::make_unique<StreamSource>(stdinStream, settings);
    }
    if (std::optional<FramePattern> pattern = FramePattern::Parse(in)) {
        FormatFromPath(pattern->FileFor(0));  // refuse unknown extensions before looking for files
        return std::make_unique<SequenceSource>(std::move(*pattern), settings);
    }
    FormatFromPath(in);
    return std::make_unique<StillSource>(in, settings, repeatStill ? settings.frames.value_or(1) : 1);
}

std::unique_ptr<FrameSink> OpenFrameSink(const std::string& out, const FrameIoSettings& settings, std::FILE* stdoutStream) {
    if (IsStreamName(out)) {
        if (::isatty(::fileno(stdoutStream)))
            throw CliError("refusing to write raw frames to a terminal: redirect standard output or pipe it", kExitUsage);
        return std::make_unique<StreamSink>(stdoutStream, settings);
    }
    if (std::optional<FramePattern> pattern = FramePattern::Parse(out))
        return std::make_unique<SequenceSink>(std::move(*pattern), settings.jpegQuality);
    return std::make_unique<PictureSink>(out, settings.jpegQuality);
}

}  // namespace brushwerk::cli
