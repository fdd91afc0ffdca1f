#pragma once
#include <cstdint>
#include <cstdlib>

// The row filter types of a PNG file, as the filter byte of each row gives them.
enum TPngFilter : std::uint8_t { pngNone = 0, pngSub = 1, pngUp = 2, pngAverage = 3, pngPaeth = 4 };

// The Paeth predictor: of left, up and upper-left, the one nearest to left + up - upper-left, ties
// going to left, then up. Selected with masks rather than branches: on photographs the choice
// changes from byte to byte, beyond any branch prediction.
inline std::uint8_t PaethPredictor(int a, int b, int c)
{
    const int pa = std::abs(b - c);         // |p - a|
    const int pb = std::abs(a - c);         // |p - b|
    const int pc = std::abs(a + b - 2 * c); // |p - c|
    const int takeB = -int(pb < pa);
    const int nearest = a ^ ((a ^ b) & takeB);
    const int distance = pa ^ ((pa ^ pb) & takeB);
    const int takeC = -int(pc < distance);
    return static_cast<std::uint8_t>(nearest ^ ((nearest ^ c) & takeC));
}
