// Integer arithmetic only, so the card is identical everywhere.
#include "host/cli/demo_picture.h"

namespace brushwerk::cli {
namespace {

struct Colour {
    int r, g, b;
};

void Put(Image& image, int x, int y, Colour c) {
    uint8_t* p = image.Pixel(x, y);
    p[0] = static_cast<uint8_t>(c.b);
    p[1] = static_cast<uint8_t>(c.g);
    p[2] = static_cast<uint8_t>(c.r);
    p[3] = 255;
}

// Hue h in 0..1535 (six sextants of 256) at full saturation and value.
Colour Hue(int h) {
    const int f = h & 255;
    switch (h >> 8) {
    case 0: return {255, f, 0};
    case 1: return {255 - f, 255, 0};
    case 2: return {0, 255, f};
    case 3: return {0, 255 - f, 255};
    case 4: return {f, 0, 255};
    default: return {255, 0, 255 - f};
    }
}

// Mixes c towards black (t < 128) or white (t > 128); t in 0..256.
Colour Shade(Colour c, int t) {
    if (t <= 128) return {c.r * t / 128, c.g * t / 128, c.b * t / 128};
    const int w = t - 128;
    return {c.r + (255 - c.r) * w / 128, c.g + (255 - c.g) * w / 128, c.b + (255 - c.b) * w / 128};
}

}  // namespace

Image DrawTestCard(int width, int height) {
    Image image = MakeImage(width, height, AlphaForm::Straight);
    static const Colour kBars[] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                   {191, 0, 191},   {191, 0, 0},   {0, 0, 191}};
    const int barsEnd = height / 3;
    const int fieldEnd = height * 2 / 3;
    const int cell = height / 18 > 0 ? height / 18 : 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Colour c;
            if (y < barsEnd) {
                c = kBars[x * 7 / width];
            } else if (y < fieldEnd) {
                const int span = fieldEnd - barsEnd;
                c = Shade(Hue(x * 1536 / width), 256 - (y - barsEnd) * 256 / span);
            } else if (x < width / 2) {
                const int v = x * 255 / (width / 2 > 1 ? width / 2 - 1 : 1);
                c = {v, v, v};
            } else {
                const bool dark = (((x - width / 2) / cell) + ((y - fieldEnd) / cell)) % 2 != 0;
                c = dark ? Colour{32, 32, 48} : Colour{224, 216, 200};
            }
            Put(image, x, y, c);
        }
    }
    // A disc across the bars and the field, and a triangle across the field and the ramp.
    const int cx = width * 3 / 10, cy = height * 2 / 5, r = height / 5;
    const int tx0 = width * 3 / 5, ty0 = height * 9 / 10, tx1 = width * 9 / 10, ty1 = height * 9 / 10,
              tx2 = width * 3 / 4, ty2 = height * 2 / 5;
    auto edge = [](int ax, int ay, int bx, int by, int px, int py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int dx = x - cx, dy = y - cy;
            if (dx * dx + dy * dy <= r * r) Put(image, x, y, (dx + dy) < 0 ? Colour{250, 240, 60} : Colour{20, 40, 140});
            const int e0 = edge(tx0, ty0, tx1, ty1, x, y), e1 = edge(tx1, ty1, tx2, ty2, x, y),
                      e2 = edge(tx2, ty2, tx0, ty0, x, y);
            if ((e0 <= 0 && e1 <= 0 && e2 <= 0) || (e0 >= 0 && e1 >= 0 && e2 >= 0))
                Put(image, x, y, Colour{235, 235, 235});
        }
    }
    return image;
}

}  // namespace brushwerk::cli
