// Reading and writing the storage file image (layout in storage_format.h).
#include "platform/com/storage_format.h"

#include <algorithm>
#include <array>
#include <set>

namespace {

constexpr char kMagic[8] = {'Q', 'S', 'T', 'O', 'R', 'A', 'G', 'E'};
constexpr uint32_t kVersion = 1;
constexpr size_t kMaximumNameLength = 31;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A bounds-checked reader over the image.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    size_t Remaining() const { return m_size - m_offset; }
    bool Get32(uint32_t* v) {
        if (Remaining() < 4) return false;
        *v = 0;
        for (int i = 0; i < 4; ++i) *v |= uint32_t(m_data[m_offset + i]) << (8 * i);
        m_offset += 4;
        return true;
    }
    bool Get64(uint64_t* v) {
        if (Remaining() < 8) return false;
        *v = 0;
        for (int i = 0; i < 8; ++i) *v |= uint64_t(m_data[m_offset + i]) << (8 * i);
        m_offset += 8;
        return true;
    }
    bool GetBytes(size_t n, const uint8_t** p) {
        if (Remaining() < n) return false;
        *p = m_data + m_offset;
        m_offset += n;
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
};

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

bool IsValidElementName(const std::wstring& name) {
    if (name.empty() || name.size() > kMaximumNameLength) return false;
    for (wchar_t c : name) {
        if (c < 32 || c == L'\\' || c == L'/' || c == L':' || c == L'!') return false;
        if (static_cast<uint32_t>(c) > 0x10FFFF) return false;
    }
    return true;
}

std::wstring ElementNameKey(const std::wstring& name) {
    std::wstring key = name;
    for (wchar_t& c : key)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return key;
}

std::vector<uint8_t> SerializeStorage(const std::vector<StorageElementData>& elements) {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    Put32(out, kVersion);
    Put32(out, static_cast<uint32_t>(elements.size()));
    for (const auto& e : elements) {
        Put32(out, static_cast<uint32_t>(e.name.size()));
        for (wchar_t c : e.name) Put32(out, static_cast<uint32_t>(c));
        Put64(out, e.data->size());
        out.insert(out.end(), e.data->begin(), e.data->end());
    }
    Put32(out, Crc32(out.data(), out.size()));
    return out;
}

bool ParseStorage(const std::vector<uint8_t>& image, std::vector<StorageElementImage>* elements) {
    elements->clear();
    if (image.size() < sizeof kMagic + 12) return false;
    size_t body = image.size() - 4;
    Reader trailer(image.data() + body, 4);
    uint32_t storedCrc = 0;
    trailer.Get32(&storedCrc);
    if (Crc32(image.data(), body) != storedCrc) return false;

    Reader in(image.data(), body);
    const uint8_t* magic = nullptr;
    uint32_t version = 0, count = 0;
    if (!in.GetBytes(sizeof kMagic, &magic) || !std::equal(magic, magic + sizeof kMagic, kMagic)) return false;
    if (!in.Get32(&version) || version != kVersion || !in.Get32(&count)) return false;
    std::set<std::wstring> seen;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (!in.Get32(&length) || length == 0 || length > kMaximumNameLength) return false;
        StorageElementImage element;
        for (uint32_t k = 0; k < length; ++k) {
            uint32_t c = 0;
            if (!in.Get32(&c)) return false;
            element.name.push_back(static_cast<wchar_t>(c));
        }
        if (!IsValidElementName(element.name) || !seen.insert(ElementNameKey(element.name)).second) return false;
        uint64_t size = 0;
        const uint8_t* data = nullptr;
        if (!in.Get64(&size) || size > in.Remaining() || !in.GetBytes(static_cast<size_t>(size), &data))
            return false;
        element.data.assign(data, data + size);
        elements->push_back(std::move(element));
    }
    return in.Remaining() == 0;
}
