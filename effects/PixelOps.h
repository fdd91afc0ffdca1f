#pragma once
// Arithmetic and pixel helpers shared by the effect families.
#include "platform/TBitmap.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace fx {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

using TByteTable = std::array<std::uint8_t, 256>;

inline std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(v > 255 ? 255 : (v < 0 ? 0 : v)); }

// The effects' integer arithmetic is 32-bit and wraps on overflow, so huge amounts given by scripts
// give the values they always gave instead of undefined behaviour.
inline int MulWrap(int a, int b) { return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b)); }

// Round to nearest, halves to even (the default rounding mode).
inline long long RoundEven(long double v) { return std::llrint(v); }
inline int RoundEven(float v) { return static_cast<int>(std::nearbyint(v)); }

// c + (255 - c) * amount div 255, clamped: the lighten step of Lighter and the bevels.
inline std::uint8_t LightenValue(int c, int amount) { return ClampByte(c + MulWrap(255 - c, amount) / 255); }
// c - c * amount div 255, clamped: the darken step of Darker and the bevels.
inline std::uint8_t DarkenValue(int c, int amount) { return ClampByte(c - MulWrap(c, amount) / 255); }

TByteTable LightenTable(int amount);
TByteTable DarkenTable(int amount);

inline void Ensure24(TBitmap& bitmap)
{
    if (bitmap.PixelFormat() != pf24bit) bitmap.SetPixelFormat(pf24bit);
}

// Maps the three bytes of every pixel in the rectangle [0, width) x [0, height) through a table.
void MapBytes(TBitmap& bitmap, const TByteTable& table);

// dst receives src where both have pixels (the degenerate amounts of some effects pass the picture
// through unchanged).
void CopyOverlap(const TBitmap& src, TBitmap& dst);

inline void MapPixel(std::uint8_t* p, const TByteTable& table)
{
    p[0] = table[p[0]];
    p[1] = table[p[1]];
    p[2] = table[p[2]];
}

} // namespace fx

namespace fx {

// Writes the transpose of a w x h block of 24-bit pixels: dst(y, x) = src(x, y), or with
// clockwise dst(h - 1 - y, x) = src(x, y), which is the clockwise quarter turn. Strides are in
// bytes; dst is h pixels wide and w rows high.
void Transpose24(const std::uint8_t* src, std::size_t srcStride, int w, int h, std::uint8_t* dst,
                 std::size_t dstStride, bool clockwise);

} // namespace fx
