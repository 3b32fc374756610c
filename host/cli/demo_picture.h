// The picture the demo renders when no input is given: a colour test card drawn in
// code (colour bars, a hue and lightness field, a grey ramp, a checkerboard, a disc
// and a triangle with hard edges), so every effect has colour, gradients and edges
// to work on. Opaque, straight samples; the same bytes on every machine.
#pragma once

#include "host/cli/image.h"

namespace brushwerk::cli {

constexpr int kDemoWidth = 640;
constexpr int kDemoHeight = 360;

Image DrawTestCard(int width = kDemoWidth, int height = kDemoHeight);

}  // namespace brushwerk::cli
