// A contact sheet: labelled panels in a grid on a dark background, each panel's
// straight alpha shown over a light checkerboard. Opaque result.
#pragma once

#include <string>
#include <vector>

#include "host/cli/image.h"

namespace brushwerk::cli {

struct SheetPanel {
    std::string label;
    const Image* picture;  // straight samples; all panels the same size
};

Image BuildContactSheet(const std::vector<SheetPanel>& panels, int columns);

}  // namespace brushwerk::cli
