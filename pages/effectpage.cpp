#include "pages/effectpage.h"

namespace page {

// "%f" as the box's text is read; the quotient is formed in double and stored as f32. A
// value that is not finite would reach the effects' integer conversions, so it counts as
// no number at all.
bool ParsePercent(const char* text, float* value) {
    float typed = 0.0f;
    if (std::sscanf(text, "%f", &typed) != 1) return false;
    const float result = static_cast<float>(static_cast<double>(typed) / 100.0);
    if (!std::isfinite(result)) return false;
    *value = result;
    return true;
}

void FormatPercent(float value, char* text, size_t capacity) {
    std::snprintf(text, capacity, "%.1f", static_cast<double>(value) * 100.0);
}

}  // namespace page
