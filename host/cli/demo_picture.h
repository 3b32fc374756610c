// The picture the demo renders when no input is given, drawn in code so that every
// effect has something to show: a sky with a soft cloud, a hue wheel, a skin-toned
// face-like oval, colour and grey ramps, a panel of fine lines, dark strokes and a
// soft alpha edge on the right. Straight samples; no text in the picture itself.
#pragma once

#include "host/cli/image.h"

namespace brushwerk::cli {

constexpr int kDemoWidth = 640;
constexpr int kDemoHeight = 360;

Image DrawTestCard(int width = kDemoWidth, int height = kDemoHeight);

}  // namespace brushwerk::cli
