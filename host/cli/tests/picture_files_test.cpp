// Real PNG, JPEG and raw files written and read back, the errors bad files give, and
// outputs replaced only once whole.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>

#include "host/cli/cli_error.h"
#include "host/cli/demo_picture.h"
#include "host/cli/picture_files.h"
#include "host/cli/replacement_file.h"
#include "tests/support/files.h"

namespace brushwerk::cli {
namespace {

using namespace ::testsupport;
using TempDir = TempFolder;

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

// Every sample survives; the file takes the smallest layout (the colour type byte of the
// header chunk) that holds the picture; 16-bit grey with alpha scales down to 8 bits.
TEST(PictureFiles, PngKeepsEverySampleInTheSmallestLayout) {
    TempDir dir;
    const std::string path = dir.File("p.png");
    for (auto [image, colourType] : {std::pair{Gradient(37, 23, true), PNG_COLOR_TYPE_RGBA},
                                     {Gradient(37, 23, false), PNG_COLOR_TYPE_RGB},
                                     {Gradient(37, 23, false, true), PNG_COLOR_TYPE_GRAY}}) {
        WritePicture(path, image);
        EXPECT_EQ(ReadBytes(path).at(25), colourType);
        const Image back = ReadPicture(path, std::nullopt);
        EXPECT_TRUE(back.width == 37 && back.height == 23 && back.alpha == AlphaForm::Straight);
        EXPECT_EQ(back.bgra, image.bgra);
    }
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = 2;
    img.height = 1;
    img.format = PNG_FORMAT_LINEAR_Y_ALPHA;
    const uint16_t samples[] = {65535, 65535, 0, 32896};
    ASSERT_TRUE(png_image_write_to_file(&img, path.c_str(), 0, samples, 0, nullptr));
    const Image back = ReadPicture(path, std::nullopt);
    ASSERT_EQ(back.width, 2);
    EXPECT_TRUE(back.Pixel(0, 0)[3] == 255 && back.Pixel(1, 0)[3] == 128);
    EXPECT_EQ(back.Pixel(0, 0)[0], back.Pixel(0, 0)[2]);  // grey spreads to all three colours
}

TEST(PictureFiles, JpegStaysCloseAndRawHoldsOneFrameOfExactlyItsSize) {
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

    const std::string raw = dir.File("f.bgra");
    Image image = MakeImage(3, 2, AlphaForm::Premultiplied);
    for (size_t i = 0; i < image.bgra.size(); ++i) image.bgra[i] = uint8_t(i * 7);
    WritePicture(raw, image);
    EXPECT_EQ(ReadBytes(raw), image.bgra);
    const Image rawBack = ReadPicture(raw, FrameSize{3, 2});
    EXPECT_TRUE(rawBack.alpha == AlphaForm::Premultiplied && rawBack.bgra == image.bgra);
    for (auto size : {std::optional<FrameSize>{FrameSize{3, 3}}, {FrameSize{2, 2}}, {}})  // short, long, no --size
        EXPECT_THROW(ReadPicture(raw, size), CliError);
}

TEST(PictureFiles, BadFilesGiveClearErrorsAndTargetsChangeOnlyOnCommit) {
    TempDir dir;
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const CliError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    WriteBytes(dir.File("text.png"), {'h', 'e', 'l', 'l', 'o'});
    for (auto [file, said] : {std::pair{"text.png", "not a PNG"}, {"x.gif", "unknown picture format"}})
        EXPECT_NE(message([&] { ReadPicture(dir.File(file), std::nullopt); }).find(said), std::string::npos) << file;
    EXPECT_NE(message([&] { WritePicture(dir.File("no/such/dir.png"), Gradient(4, 4, false)); }).find("cannot write"),
              std::string::npos);

    const std::string target = dir.File("out.png");
    auto onlyTarget = [&] { return std::distance(std::filesystem::directory_iterator(dir.Path()), {}) == 2; };
    WriteBytes(target, {1, 2, 3});
    EXPECT_THROW(WritePicture(target, Image{}), CliError);  // libpng refuses a picture without rows mid-write
    EXPECT_TRUE(ReadBytes(target) == (std::vector<uint8_t>{1, 2, 3}) && onlyTarget());
    {
        ReplacementFile file(target);
        WriteBytes(file.TempPath(), {9, 9});
        file.Commit();
    }
    EXPECT_TRUE(ReadBytes(target) == (std::vector<uint8_t>{9, 9}) && onlyTarget());
    EXPECT_THROW(ReplacementFile(dir.File("missing/out.png")), CliError);
}

}  // namespace
}  // namespace brushwerk::cli
