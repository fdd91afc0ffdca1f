#pragma once
#include <cstdint>
#include <cstdlib>

// The row filter types of a PNG file, as the filter byte of each row gives them.
enum TPngFilter : std::uint8_t { pngNone = 0, pngSub = 1, pngUp = 2, pngAverage = 3, pngPaeth = 4 };

// The Paeth predictor: of left, up and upper-left, the one nearest to left + up - upper-left.
inline std::uint8_t PaethPredictor(int a, int b, int c)
{
    int pa = std::abs(b - c);         // |p - a|
    int pb = std::abs(a - c);         // |p - b|
    int pc = std::abs(a + b - 2 * c); // |p - c|
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}
