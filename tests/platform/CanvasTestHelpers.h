#pragma once
#include "platform/TCanvas.h"

#include <QRect>

#include <string>

// A white bitmap of the given size and format with a canvas in its default state.
inline TBitmap WhiteBitmap(int w, int h, TPixelFormat format = pf24bit)
{
    TBitmap b(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, clWhite);
    if (format != pf24bit) b.SetPixelFormat(format);
    return b;
}

// The bitmap as rows of characters, for readable failure messages: '.' white, '#' black,
// 'r' red, 'b' blue, '?' anything else.
inline std::string Art(const TBitmap& b)
{
    std::string s = "\n";
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const TColor c = b.GetPixel(x, y);
            s += c == clWhite ? '.' : c == clBlack ? '#' : c == clRed ? 'r' : c == clBlue ? 'b' : '?';
        }
        s += '\n';
    }
    return s;
}

// The smallest rectangle holding every pixel of the colour (empty when there is none).
inline QRect BoundsOf(const TBitmap& b, TColor color)
{
    QRect r;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.GetPixel(x, y) == color) r |= QRect(x, y, 1, 1);
    return r;
}

inline int CountOf(const TBitmap& b, TColor color)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) n += b.GetPixel(x, y) == color;
    return n;
}

// A bitmap of varied colours, so that raster operations meet every kind of pixel.
inline TBitmap NoiseBitmap(int w, int h, TPixelFormat format)
{
    TBitmap b(w, h, pf24bit);
    unsigned s = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s = s * 1103515245u + 12345u;
            b.SetPixel(x, y, (s >> 8) & 0xFFFFFF);
        }
    if (format != pf24bit) b.SetPixelFormat(format);
    return b;
}
