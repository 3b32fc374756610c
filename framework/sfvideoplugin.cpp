#include "framework/sfvideoplugin.h"

#include <atomic>
#include <cstring>
#include <cwchar>

namespace sfvideoplugin_detail {

uint64_t NextPluginSerial() {
    static std::atomic<uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

size_t AnsiToWide(const char* text, wchar_t* out, size_t capacity) {
    if (!out || capacity == 0) return 0;
    size_t written = 0;
    std::mbstate_t state{};
    const char* p = text ? text : "";
    size_t remaining = std::strlen(p);
    while (remaining > 0 && written + 1 < capacity) {
        wchar_t wide = 0;
        size_t used = std::mbrtowc(&wide, p, remaining, &state);
        if (used == 0) break;
        if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
            // Not valid in the current locale: take the byte as Latin-1 and start afresh.
            wide = static_cast<wchar_t>(static_cast<unsigned char>(*p));
            used = 1;
            state = std::mbstate_t{};
        }
        out[written++] = wide;
        p += used;
        remaining -= used;
    }
    out[written] = L'\0';
    return written;
}

}  // namespace sfvideoplugin_detail
