// Where render's frames come from and go to: a single picture, a numbered sequence,
// or a raw stream on standard input / output ("-").
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "host/cli/frame_pattern.h"
#include "host/cli/image.h"
#include "host/cli/raw_frames.h"

namespace brushwerk::cli {

struct Frame {
    long number = 0;  // the frame's number in its sequence
    Image image;
};

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // The next frame, or nullopt when the source is exhausted.
    virtual std::optional<Frame> Next() = 0;
    // Frames this source will give, when known in advance (0: unknown).
    virtual long KnownCount() const = 0;
    // True for a sequence or stream (the frame counter shows for those).
    virtual bool IsSequence() const = 0;
    // Hands a frame's image back for reuse by the next frame (saves allocating per frame).
    virtual void GiveBack(Image&& /*image*/) {}
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual AlphaForm Alpha() const = 0;
    virtual void Write(const Frame& frame) = 0;
    // Single pictures take one frame only.
    virtual bool TakesMany() const = 0;
};

struct FrameIoSettings {
    std::optional<FrameSize> rawSize;        // --size
    AlphaForm streamAlpha = AlphaForm::Straight;
    std::optional<long> frames;              // --frames, or the frames of --range
    long skip = 0;                           // frames of the job before the first one given (--range)
    std::optional<long> start;               // --start
    int jpegQuality = 92;
};

// IN: "-" (stream), a pattern with %d, or a picture file. A still picture gives
// --frames copies (default 1) when repeat is set, so a still can be animated. With
// `skip`, a sequence starts that many files after its first and every frame is
// numbered as it would be without the skip.
std::unique_ptr<FrameSource> OpenFrameSource(const std::string& in, const FrameIoSettings& settings, bool repeatStill,
                                             std::FILE* stdinStream = stdin);
// OUT: "-" (stream), a pattern, or a picture file.
std::unique_ptr<FrameSink> OpenFrameSink(const std::string& out, const FrameIoSettings& settings,
                                         std::FILE* stdoutStream = stdout);

bool IsStreamName(const std::string& name);

}  // namespace brushwerk::cli
