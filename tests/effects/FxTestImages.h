#pragma once
// Pictures and pixel access for the effect tests.
#include "platform/TBitmap.h"

#include <array>
#include <cstdint>
#include <random>

using TPixel = std::array<int, 3>; // blue, green, red as stored

inline TBitmap RandomImage(int w, int h, unsigned seed)
{
    TBitmap bmp(w, h, pf24bit);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < 3 * w; ++i) bmp.ScanLine(y)[i] = static_cast<std::uint8_t>(rng());
    return bmp;
}

inline TBitmap UniformImage(int w, int h, int b, int g, int r)
{
    TBitmap bmp(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(b), p[1] = static_cast<std::uint8_t>(g), p[2] = static_cast<std::uint8_t>(r);
        }
    return bmp;
}

inline TBitmap GreyImage(int w, int h, int v) { return UniformImage(w, h, v, v, v); }

inline TPixel Px(const TBitmap& bmp, int x, int y)
{
    const std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

inline void SetPx(TBitmap& bmp, int x, int y, TPixel v)
{
    std::uint8_t* p = bmp.ScanLine(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(v[0]), p[1] = static_cast<std::uint8_t>(v[1]), p[2] = static_cast<std::uint8_t>(v[2]);
}

inline TPixel Grey(int v) { return {v, v, v}; }
