// Numbered file patterns and raw frame streams.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>

#include "host/cli/cli_error.h"
#include "host/cli/frame_io.h"
#include "host/cli/frame_pattern.h"
#include "host/cli/picture_files.h"
#include "test_support.h"

namespace brushwerk::cli {
namespace {

using testing::TempDir;
using testing::WriteBytes;

TEST(FramePatterns, ExpandLikePrintf) {
    auto p = FramePattern::Parse("in_%04d.png");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->FileFor(7), "in_0007.png");
    EXPECT_EQ(p->FileFor(12345), "in_12345.png");
    EXPECT_EQ(FramePattern::Parse("f%d.jpg")->FileFor(3), "f3.jpg");
    EXPECT_EQ(FramePattern::Parse("100%%_%03d.png")->FileFor(5), "100%_005.png");
    EXPECT_EQ(FramePattern::Parse("a%3d.png")->FileFor(5), "a  5.png");
    EXPECT_FALSE(FramePattern::Parse("plain.png"));
    EXPECT_FALSE(FramePattern::Parse("50%%.png"));
}

TEST(FramePatterns, RefuseAnythingButOneFrameNumber) {
    for (const char* bad : {"a%s.png", "%d_%d.png", "x%.png", "x%", "x%05x.png", "%-4d.png"})
        EXPECT_THROW(FramePattern::Parse(bad), CliError) << bad;
}

TEST(FramePatterns, FindTheFirstExistingFrame) {
    TempDir dir;
    auto p = *FramePattern::Parse(dir.File("f_%03d.png"));
    EXPECT_FALSE(p.FindFirst(std::nullopt));
    WriteBytes(dir.File("f_002.png"), {1});
    EXPECT_EQ(p.FindFirst(std::nullopt), 2);
    WriteBytes(dir.File("f_001.png"), {1});
    EXPECT_EQ(p.FindFirst(std::nullopt), 1);
    EXPECT_EQ(p.FindFirst(2), 2);
    EXPECT_FALSE(p.FindFirst(9));
}

TEST(FrameSizes, ParseWidthByHeight) {
    EXPECT_EQ(ParseFrameSize("1920x1080"), (FrameSize{1920, 1080}));
    EXPECT_EQ(ParseFrameSize("3X2"), (FrameSize{3, 2}));
    for (const char* bad : {"", "x", "10x", "x10", "0x5", "5x0", "-3x4", "10x10x10", "10*10", "99999x99999", "1e3x2"})
        EXPECT_FALSE(ParseFrameSize(bad)) << bad;
}

std::FILE* StreamOf(const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

TEST(RawStreams, ATruncatedFrameIsAnError) {
    std::FILE* f = StreamOf(std::vector<uint8_t>(16 + 10));
    RawFrameReader reader(f, {2, 2}, AlphaForm::Premultiplied, "standard input");
    ASSERT_TRUE(reader.Next());
    try {
        reader.Next();
        FAIL() << "no error";
    } catch (const CliError& e) {
        const std::string said = e.what();
        EXPECT_NE(said.find("truncated raw stream: frame 2 of standard input has 10 of 16 bytes"), std::string::npos)
            << said;
    }
    std::fclose(f);

    // 150 bytes of a 1 GiB frame: memory follows the bytes that arrived, not the size.
    f = StreamOf(std::vector<uint8_t>(150));
    RawFrameReader huge(f, {16384, 16384}, AlphaForm::Straight, "standard input");
    EXPECT_THROW(huge.Next(), CliError);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "kB at most";
    std::fclose(f);
}

TEST(FrameSources, SequenceCountsItsRunAndHonoursFramesAndStart) {
    TempDir dir;
    Image image = MakeImage(2, 2, AlphaForm::Straight);
    for (int n : {1, 2, 3, 5}) {
        image.bgra[0] = uint8_t(n);
        WritePicture(dir.File("s_" + std::to_string(n) + ".png"), image);
    }
    FrameIoSettings settings;
    auto source = OpenFrameSource(dir.File("s_%d.png"), settings, true);
    EXPECT_EQ(source->KnownCount(), 3);  // 1, 2, 3: the run stops at the gap
    std::vector<long> numbers;
    while (auto frame = source->Next()) {
        numbers.push_back(frame->number);
        EXPECT_EQ(frame->image.bgra[0], frame->number);
    }
    EXPECT_EQ(numbers, (std::vector<long>{1, 2, 3}));
    settings.start = 2;
    settings.frames = 1;
    EXPECT_EQ(OpenFrameSource(dir.File("s_%d.png"), settings, true)->KnownCount(), 1);
    settings.start = 4;
    EXPECT_THROW(OpenFrameSource(dir.File("s_%d.png"), settings, true), CliError);
}

TEST(FrameSources, AStillRepeatsOnlyIntoASequence) {
    TempDir dir;
    WritePicture(dir.File("still.png"), MakeImage(2, 2, AlphaForm::Straight));
    FrameIoSettings settings;
    settings.frames = 4;
    auto many = OpenFrameSource(dir.File("still.png"), settings, true);
    EXPECT_EQ(many->KnownCount(), 4);
    EXPECT_TRUE(many->IsSequence());
    auto one = OpenFrameSource(dir.File("still.png"), settings, false);
    EXPECT_EQ(one->KnownCount(), 1);
    EXPECT_FALSE(one->IsSequence());
    EXPECT_THROW(OpenFrameSource("-", FrameIoSettings{}, true), CliError);  // a stream needs --size
}

TEST(FrameSinks, AStreamKeepsOneFrameSize) {
    std::FILE* f = std::tmpfile();
    FrameIoSettings settings;
    auto sink = OpenFrameSink("-", settings, f);
    sink->Write(Frame{1, MakeImage(2, 2, AlphaForm::Straight)});
    EXPECT_THROW(sink->Write(Frame{2, MakeImage(3, 2, AlphaForm::Straight)}), CliError);
    EXPECT_EQ(std::ftell(f), 16);
    std::fclose(f);
}

}  // namespace
}  // namespace brushwerk::cli
