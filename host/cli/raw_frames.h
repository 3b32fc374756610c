// Raw 32-bit frames: B, G, R, A bytes, rows packed, no header. A ".bgra" file holds one
// premultiplied frame; a stream ("-") holds frames back to back, straight or
// premultiplied as the caller says. The size always comes from the command line.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "host/cli/image.h"

namespace brushwerk::cli {

struct FrameSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const FrameSize&, const FrameSize&) = default;
};

// "WxH" with both sides at least 1; nullopt when malformed or too large (tooLarge then
// tells which).
std::optional<FrameSize> ParseFrameSize(const std::string& text, bool* tooLarge = nullptr);

// One premultiplied frame from a file; its length must be exactly width x height x 4.
Image ReadRawFile(const std::string& path, FrameSize size);
void WriteRawFile(const std::string& path, const Image& image, const std::string& shownName = {});

// Reads frames one after another from a stream.
class RawFrameReader {
public:
    RawFrameReader(std::FILE* stream, FrameSize size, AlphaForm alpha, std::string name);
    // The next frame, or nullopt at a clean end of stream. A frame cut short throws CliError.
    // A spare image of the right size is filled in place instead of allocating anew.
    std::optional<Image> Next(std::optional<Image> spare = std::nullopt);
    int FramesRead() const { return m_frames; }

private:
    std::FILE* m_stream;
    FrameSize m_size;
    AlphaForm m_alpha;
    std::string m_name;
    int m_frames = 0;
};

// Writes whole frames to a stream; throws CliError when the stream refuses them
// (a closed pipe included).
void WriteRawFrame(std::FILE* stream, const Image& image, const std::string& name);

}  // namespace brushwerk::cli
