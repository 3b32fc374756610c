// Real PNG, JPEG and raw files written and read back.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <set>

#include "host/cli/cli_error.h"
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

TEST(JpegFiles, RoundTripStaysClose) {
    TempDir dir;
    const Image card = DrawTestCard(160, 90);
    const std::string path = dir.File("card.jpg");
    WritePicture(path, card, 95);
    Image back = ReadPicture(path, std::nullopt);
    ASSERT_EQ(back.width, 160);
    ASSERT_EQ(back.height, 90);
    long long error = 0;
    for (size_t i = 0; i < back.bgra.size(); ++i) {
        if (i % 4 == 3) EXPECT_EQ(back.bgra[i], 255);
        else error += std::abs(int(back.bgra[i]) - int(card.bgra[i]));
    }
    EXPECT_LT(double(error) / (160 * 90 * 3), 6.0);
}

TEST(JpegFiles, GreyPicturesStayGrey) {
    TempDir dir;
    const std::string path = dir.File("grey.jpeg");
    WritePicture(path, Gradient(64, 8, false, true));
    EXPECT_TRUE(IsGrey(ReadPicture(path, std::nullopt)));
}

TEST(RawFiles, HoldOnePremultipliedFrameOfTheGivenSize) {
    TempDir dir;
    const std::string path = dir.File("f.bgra");
    Image image = MakeImage(3, 2, AlphaForm::Premultiplied);
    for (size_t i = 0; i < image.bgra.size(); ++i) image.bgra[i] = uint8_t(i * 7);
    WritePicture(path, image);
    EXPECT_EQ(ReadBytes(path), image.bgra);
    Image back = ReadPicture(path, FrameSize{3, 2});
    EXPECT_EQ(back.alpha, AlphaForm::Premultiplied);
    EXPECT_EQ(back.bgra, image.bgra);
}

TEST(RawFiles, SizeMismatchIsAnError) {
    TempDir dir;
    const std::string path = dir.File("f.bgra");
    WriteBytes(path, std::vector<uint8_t>(24));
    EXPECT_THROW(ReadPicture(path, FrameSize{3, 3}), CliError);
    EXPECT_THROW(ReadPicture(path, FrameSize{2, 2}), CliError);  // longer than the frame
    try {
        ReadPicture(path, FrameSize{4, 2});
        FAIL();
    } catch (const CliError& e) {
        EXPECT_NE(std::string(e.what()).find("size mismatch"), std::string::npos);
    }
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
    // A real PNG cut in half.
    WritePicture(dir.File("whole.png"), Gradient(40, 40, true));
    std::vector<uint8_t> bytes = ReadBytes(dir.File("whole.png"));
    bytes.resize(bytes.size() / 2);
    WriteBytes(dir.File("half.png"), bytes);
    EXPECT_NE(message([&] { ReadPicture(dir.File("half.png"), std::nullopt); }).find("cannot read"), std::string::npos);
    WriteBytes(dir.File("bad.jpg"), {0xFF, 0xD8, 0xFF, 0x00, 0x01});
    EXPECT_NE(message([&] { ReadPicture(dir.File("bad.jpg"), std::nullopt); }).find("cannot read"), std::string::npos);
    EXPECT_NE(message([&] { ReadPicture(dir.File("x.gif"), std::nullopt); }).find("unknown picture format"),
              std::string::npos);
    EXPECT_NE(message([&] { WritePicture(dir.File("no/such/dir.png"), Gradient(4, 4, false)); }).find("cannot write"),
              std::string::npos);
}

TEST(TestCard, IsOpaqueColourfulAndTheSameEveryTime) {
    const Image a = DrawTestCard(), b = DrawTestCard();
    EXPECT_EQ(a.width, kDemoWidth);
    EXPECT_EQ(a.height, kDemoHeight);
    EXPECT_EQ(a.bgra, b.bgra);
    EXPECT_TRUE(IsOpaque(a));
    std::set<uint32_t> colours;
    for (size_t i = 0; i < a.bgra.size(); i += 4) colours.insert(a.bgra[i] | (a.bgra[i + 1] << 8) | (a.bgra[i + 2] << 16));
    EXPECT_GT(colours.size(), 1000u);  // gradients, not only flat fills
    // Hard edges: neighbouring pixels that differ by more than half the range.
    int edges = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 1; x < a.width; ++x)
            if (std::abs(int(a.Pixel(x, y)[1]) - int(a.Pixel(x - 1, y)[1])) > 128) ++edges;
    EXPECT_GT(edges, 100);
    EXPECT_NO_THROW(DrawTestCard(7, 5));  // tiny cards draw without dividing by zero
}

}  // namespace
}  // namespace brushwerk::cli
