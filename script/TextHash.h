#pragma once
#include <cstdint>
#include <string_view>

// The 32-bit text checksum of the hash word and of the paged files' record keys: h starts as the
// code of the first character and takes h xor (c * h) for each further character c, in unsigned
// 32-bit arithmetic. The empty text gives 0; "abc" gives 937386.
inline std::int32_t TextHash(std::string_view s)
{
    if (s.empty()) return 0;
    std::uint32_t h = static_cast<unsigned char>(s[0]);
    for (std::size_t i = 1; i < s.size(); ++i) h ^= static_cast<unsigned char>(s[i]) * h;
    return static_cast<std::int32_t>(h);
}
