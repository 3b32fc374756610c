// Shapes are placed in fractions of the picture's size, so any size draws the same
// scene. Hard edges stay hard (no anti-aliasing): the edge effects need them.
#include "host/cli/demo_picture.h"

#include <algorithm>
#include <cmath>

namespace brushwerk::cli {
namespace {

struct Colour {
    double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Hue in turns (0..1), full saturation and value, blended towards white by (1 - s).
Colour HueColour(double hue, double s) {
    const double h = (hue - std::floor(hue)) * 6.0;
    const double f = h - std::floor(h);
    Colour c;
    switch (static_cast<int>(h)) {
    case 0: c = {1, f, 0}; break;
    case 1: c = {1 - f, 1, 0}; break;
    case 2: c = {0, 1, f}; break;
    case 3: c = {0, 1 - f, 1}; break;
    case 4: c = {f, 0, 1}; break;
    default: c = {1, 0, 1 - f}; break;
    }
    return Mix({255, 255, 255}, {c.r * 255, c.g * 255, c.b * 255}, s);
}

// Distance from (px, py) to the segment (ax, ay)-(bx, by).
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double vx = bx - ax, vy = by - ay;
    const double len2 = vx * vx + vy * vy;
    const double t = len2 > 0 ? std::clamp(((px - ax) * vx + (py - ay) * vy) / len2, 0.0, 1.0) : 0.0;
    const double dx = px - (ax + t * vx), dy = py - (ay + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

Colour Scene(double x, double y, double w, double h) {
    const double u = x / w, v = y / h;
    // Sky above the horizon, ground ramps and panels below it.
    Colour c;
    if (v < 0.55) {
        c = Mix({70, 130, 210}, {190, 220, 245}, v / 0.55);
        const double cx = (u - 0.62) / 0.14, cy = (v - 0.16) / 0.07;
        const double cloud = 1.0 - (cx * cx + cy * cy);
        if (cloud > 0) c = Mix(c, {250, 250, 252}, std::min(1.0, cloud * 2.5));
    } else if (u < 0.45) {
        // Colour ramps: red, green, blue and grey strips.
        const double t = u / 0.45;
        const int strip = std::min(3, static_cast<int>((v - 0.55) / 0.45 * 4));
        const Colour ends[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        c = Mix({0, 0, 0}, ends[strip], t);
    } else if (u < 0.72) {
        // Paper with a fan of fine dark lines.
        c = {238, 232, 220};
        for (int i = 0; i < 9; ++i) {
            const double angle = 0.08 + i * 0.17;
            const double ax = 0.46 * w, ay = 0.98 * h;
            const double bx = ax + std::cos(angle) * 0.26 * w, by = ay - std::sin(angle) * 0.42 * h;
            if (SegmentDistance(x, y, ax, ay, bx, by) < 0.55) c = {20, 20, 24};
        }
    } else {
        c = Mix({120, 150, 90}, {70, 100, 50}, (v - 0.55) / 0.45);  // grass
    }
    // Hue wheel: hue by angle, saturation by radius.
    {
        const double dx = x - 0.17 * w, dy = y - 0.30 * h, r = 0.22 * h;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d <= r) c = HueColour(std::atan2(dy, dx) / (2 * M_PI) + 0.5, d / r);
    }
    // Face-like oval in skin tones, lit from the upper left, with two dark eyes.
    {
        const double ex = (x - 0.42 * w) / (0.075 * w), ey = (y - 0.36 * h) / (0.2 * h);
        const double e = ex * ex + ey * ey;
        if (e <= 1.0) {
            c = Mix({241, 200, 170}, {160, 105, 75}, (ex + ey + 1.4) / 2.8);
            for (double side : {-0.35, 0.35}) {
                const double px = (ex - side) / 0.16, py = (ey + 0.2) / 0.08;
                if (px * px + py * py <= 1.0) c = {40, 28, 24};
            }
        }
    }
    // Dark strokes: a thick wave across the grass and a diagonal slash.
    {
        const double waveY = h * (0.8 + 0.08 * std::sin((u - 0.72) * 40.0));
        if (u > 0.72 && std::fabs(y - waveY) < std::max(1.5, h * 0.012)) c = {15, 15, 15};
        if (SegmentDistance(x, y, 0.74 * w, 0.62 * h, 0.95 * w, 0.98 * h) < std::max(1.0, h * 0.008)) c = {35, 20, 60};
    }
    return c;
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

Image DrawTestCard(int width, int height) {
    Image image = MakeImage(width, height, AlphaForm::Straight);
    const double w = width, h = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = Scene(x + 0.5, y + 0.5, w, h);
            uint8_t* p = image.Pixel(x, y);
            p[0] = Byte(c.b);
            p[1] = Byte(c.g);
            p[2] = Byte(c.r);
            // A soft alpha edge: the rightmost tenth fades out.
            const double fade = (w - (x + 0.5)) / (0.1 * w);
            p[3] = Byte(std::min(1.0, fade) * 255.0);
        }
    }
    return image;
}

}  // namespace brushwerk::cli
