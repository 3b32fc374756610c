// Strings handed across the automation boundary. The byte length is kept just before
// the characters, which end with a NUL as well.
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/com/oaidl.h"

extern "C" BSTR SysAllocString(const wchar_t* text) {
    if (!text) return nullptr;
    const size_t length = std::wcslen(text);
    auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (length + 1) * sizeof(wchar_t)));
    if (!block) return nullptr;
    block[0] = static_cast<uint32_t>(length * sizeof(wchar_t));
    auto* chars = reinterpret_cast<wchar_t*>(block + 1);
    std::memcpy(chars, text, (length + 1) * sizeof(wchar_t));
    return chars;
}

extern "C" void SysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<uint32_t*>(text) - 1);
}

extern "C" UINT SysStringLen(BSTR text) {
    return text ? (reinterpret_cast<uint32_t*>(text) - 1)[0] / sizeof(wchar_t) : 0;
}
