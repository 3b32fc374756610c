// Internal to the platform: the file format of a storage, a flat list of named streams.
//
//     offset  size  field
//     0       8     magic "QSTORAGE"
//     8       4     format version, 1
//     12      4     element count n
//     then n elements, each:
//             4     name length in characters (1..31)
//             4*len name, one UTF-32 code point per character
//             8     data size
//             size  data
//     last    4     CRC-32 (IEEE, as zlib computes it) of every byte before it
//
// All integers are little-endian. A file that does not match exactly (wrong magic or
// version, truncated, trailing bytes, bad checksum, invalid or repeated names) is
// refused as a whole: a storage never opens half a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct StorageElementData {
    std::wstring name;
    const std::vector<uint8_t>* data;
};
struct StorageElementImage {
    std::wstring name;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> SerializeStorage(const std::vector<StorageElementData>& elements);
// False for anything but a well-formed image.
bool ParseStorage(const std::vector<uint8_t>& image, std::vector<StorageElementImage>* elements);

// The rules for element names: 1 to 31 characters, none of '\\', '/', ':', '!' and no
// control characters.
bool IsValidElementName(const std::wstring& name);
// Names compare without regard to case (ASCII letters), as the platform's do.
std::wstring ElementNameKey(const std::wstring& name);

uint32_t Crc32(const uint8_t* data, size_t size);
