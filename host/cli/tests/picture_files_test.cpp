// Real PNG, JPEG and raw files written and read back.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "host/cli/cli_error.h"
#include "host/cli/contact_sheet.h"
#include "host/cli/progress.h"
#include "host/cli/replacement_file.h"
#include "host/cli/demo_picture.h"
#include "host/cli/picture_files.h"
#include "test_support.h"

namespace brushwerk::cli {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

Image Gradient(int w, int h, bool withAlpha, bool grey = false) {
    Image image = MakeImage(w, h, AlphaForm::Straight);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = image.Pixel(x, y);
            const uint8_t v = uint8_t(x * 255 / (w - 1));
            p[0] = grey ? v : uint8_t(y * 255 / (h - 1));
            p[1] = v;
            p[2] = grey ? v : uint8_t(255 - v);
            p[3] = withAlpha ? uint8_t((x + y) * 255 / (w + h - 2)) : 255;
        }
    return image;
}

// The colour type byte of a PNG's header chunk.
int PngColourType(const std::string& path) { return ReadBytes(path).at(25); }

TEST(PngFiles, RoundTripKeepsEverySampleAndPicksTheSmallestLayout) {
    TempDir dir;
    struct Case {
        Image image;
        int colourType;
    } cases[] = {{Gradient(37, 23, true), PNG_COLOR_TYPE_RGBA},
                 {Gradient(37, 23, false), PNG_COLOR_TYPE_RGB},
                 {Gradient(37, 23, false, true), PNG_COLOR_TYPE_GRAY}};
    for (const Case& c : cases) {
        const std::string path = dir.File("p.png");
        WritePicture(path, c.image);
        EXPECT_EQ(PngColourType(path), c.colourType);
        Image back = ReadPicture(path, std::nullopt);
        EXPECT_EQ(back.width, 37);
        EXPECT_EQ(back.height, 23);
        EXPECT_EQ(back.alpha, AlphaForm::Straight);
        EXPECT_EQ(back.bgra, c.image.bgra);
    }
}

// A 16-bit grey+alpha file written with libpng directly: samples scale down to 8 bits.
TEST(PngFiles, ReadsSixteenBitGreyWithAlpha) {
    TempDir dir;
    const std::string path = dir.File("g16.png");
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = 2;
    img.height = 1;
    img.format = PNG_FORMAT_LINEAR_Y_ALPHA;
    const uint16_t samples[] = {65535, 65535, 0, 32896};
    ASSERT_TRUE(png_image_write_to_file(&img, path.c_str(), 0, samples, 0, nullptr));
    Image back = ReadPicture(path, std::nullopt);
    ASSERT_EQ(back.width, 2);
    EXPECT_EQ(back.Pixel(0, 0)[3], 255);
    EXPECT_EQ(back.Pixel(1, 0)[3], 128);
    EXPECT_EQ(back.Pixel(0, 0)[0], back.Pixel(0, 0)[2]);  // grey spreads to all three colours
}

TEST(JpegFiles, RoundTripStaysCloseAndGreyStaysGrey) {
    TempDir dir;
    const Image card = DrawTestCard(160, 90);
    WritePicture(dir.File("card.jpg"), card, 95);
    const Image back = ReadPicture(dir.File("card.jpg"), std::nullopt);
    ASSERT_EQ(back.bgra.size(), card.bgra.size());
    long long error = 0;
    for (size_t i = 0; i < back.bgra.size(); ++i) {
        if (i % 4 == 3) EXPECT_EQ(back.bgra[i], 255);
        else error += std::abs(int(back.bgra[i]) - int(card.bgra[i]));
    }
    EXPECT_LT(double(error) / (160 * 90 * 3), 6.0);
    WritePicture(dir.File("grey.jpeg"), Gradient(64, 8, false, true));
    EXPECT_TRUE(IsGrey(ReadPicture(dir.File("grey.jpeg"), std::nullopt)));
}

TEST(RawFiles, HoldOnePremultipliedFrameOfExactlyTheGivenSize) {
    TempDir dir;
    const std::string path = dir.File("f.bgra");
    Image image = MakeImage(3, 2, AlphaForm::Premultiplied);
    for (size_t i = 0; i < image.bgra.size(); ++i) image.bgra[i] = uint8_t(i * 7);
    WritePicture(path, image);
    EXPECT_EQ(ReadBytes(path), image.bgra);
    const Image back = ReadPicture(path, FrameSize{3, 2});
    EXPECT_EQ(back.alpha, AlphaForm::Premultiplied);
    EXPECT_EQ(back.bgra, image.bgra);
    EXPECT_THROW(ReadPicture(path, FrameSize{3, 3}), CliError);
    EXPECT_THROW(ReadPicture(path, FrameSize{2, 2}), CliError);  // longer than the frame
    EXPECT_THROW(ReadPicture(path, std::nullopt), CliError);  // no --size
}

TEST(PictureFiles, BadFilesGiveClearErrors) {
    TempDir dir;
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const CliError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message([&] { ReadPicture(dir.File("missing.png"), std::nullopt); }).find("No such file"), std::string::npos);
    WriteBytes(dir.File("text.png"), {'h', 'e', 'l', 'l', 'o'});
    EXPECT_NE(message([&] { ReadPicture(dir.File("text.png"), std::nullopt); }).find("not a PNG"), std::string::npos);
    // Pictures cut short or damaged: see the render command's errors.
    EXPECT_NE(message([&] { ReadPicture(dir.File("x.gif"), std::nullopt); }).find("unknown picture format"),
              std::string::npos);
    EXPECT_NE(message([&] { WritePicture(dir.File("no/such/dir.png"), Gradient(4, 4, false)); }).find("cannot write"),
              std::string::npos);
}

TEST(TestCard, IsColourfulWithASoftAlphaEdgeAndTheSameEveryTime) {
    const Image a = DrawTestCard();
    EXPECT_EQ(a.bgra, DrawTestCard().bgra);
    std::set<uint32_t> colours;
    for (size_t i = 0; i < a.bgra.size(); i += 4) colours.insert(a.bgra[i] | (a.bgra[i + 1] << 8) | (a.bgra[i + 2] << 16));
    EXPECT_GT(colours.size(), 5000u);  // ramps and a hue wheel, not only flat fills
    // Opaque on the left, fading to nearly transparent at the right edge, monotonically.
    for (int y : {0, a.height / 2, a.height - 1}) {
        EXPECT_EQ(a.Pixel(a.width * 8 / 10, y)[3], 255);
        EXPECT_LT(a.Pixel(a.width - 1, y)[3], 8);
        for (int x = 1; x < a.width; ++x) ASSERT_LE(a.Pixel(x, y)[3], a.Pixel(x - 1, y)[3]);
    }
    EXPECT_NO_THROW(DrawTestCard(7, 5));  // tiny pictures draw too
}

TEST(ContactSheet, LaysOutLabelledPanelsOverAnOpaqueBackground) {
    const Image picture = DrawTestCard(40, 24);
    const Image sheet = BuildContactSheet({{"Original", &picture}, {"Quillet Air Brush", &picture}, {"X", &picture}}, 2);
    EXPECT_TRUE(IsOpaque(sheet));
    // The first panel's opaque top-left pixel is copied as it is.
    EXPECT_EQ(0, std::memcmp(sheet.Pixel(8, 8), picture.Pixel(0, 0), 3));
    // The label strip under the first panel holds light text pixels.
    int light = 0;
    for (int y = 8 + 24; y < 8 + 24 + 22; ++y)
        for (int x = 8; x < 48; ++x) light += sheet.Pixel(x, y)[0] > 200;
    EXPECT_GT(light, 20);
}

TEST(ReplacementFiles, TargetChangesOnlyOnCommitAndSurvivesAFailedWrite) {
    TempDir dir;
    const std::string target = dir.File("out.png");
    auto onlyFile = [&] { return std::distance(std::filesystem::directory_iterator(dir.Path()), {}) == 1; };
    WriteBytes(target, {1, 2, 3});
    {
        ReplacementFile file(target);
        WriteBytes(file.TempPath(), {9, 9});
        EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    }  // abandoned: the target stays, the temporary file goes
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(onlyFile());
    const Image empty;  // libpng refuses a picture without rows in the middle of writing
    EXPECT_THROW(WritePicture(target, empty), CliError);
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(onlyFile());
    {
        ReplacementFile file(target);
        WriteBytes(file.TempPath(), {9, 9});
        file.Commit();
    }
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{9, 9}));
    EXPECT_TRUE(onlyFile());
    EXPECT_THROW(ReplacementFile(dir.File("missing/out.png")), CliError);
}

TEST(ProgressLine, ShowsRateAndTimeLeft) {
    EXPECT_EQ(FrameProgress::Line(12, 100, 0.5), "frame 12/100  24.0 fps  0:04 left");
    EXPECT_EQ(FrameProgress::Line(3, 0, 1.0), "frame 3  3.0 fps");
    EXPECT_EQ(FrameProgress::Line(100, 100, 10.0), "frame 100/100  10.0 fps");
    EXPECT_EQ(FrameProgress::Line(0, 10, 0.0), "frame 0/10");
}

}  // namespace
}  // namespace brushwerk::cli
