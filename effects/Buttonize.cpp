// Buttons, masks and seamless tiles.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace fx;

namespace {

// A pixel reached by the bevel and tile loops, or nullptr when an image too small for the depth
// puts it outside: those steps are left out instead of reaching past the rows.
std::uint8_t* PixelAt(TBitmap& bmp, int x, int y)
{
    if (x < 0 || y < 0 || x >= bmp.Width() || y >= bmp.Height()) return nullptr;
    return bmp.ScanLine(y) + 3 * static_cast<std::size_t>(x);
}

void MapAt(TBitmap& bmp, int x, int y, const TByteTable& table)
{
    if (std::uint8_t* p = PixelAt(bmp, x, y)) MapPixel(p, table);
}

// Round((1 - w) * a + w * b) per channel, in extended precision.
void BlendAt(TBitmap& bmp, int x, int y, int fromX, int fromY, long double w)
{
    std::uint8_t* p = PixelAt(bmp, x, y);
    const std::uint8_t* q = PixelAt(bmp, fromX, fromY);
    if (!p || !q) return;
    for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(RoundEven((1 - w) * p[c] + w * q[c]));
}

// The colour that marks a bevel ring in the oval mask: blue the ring level, green the shading code.
constexpr int kCodeDarken = 1, kCodeLighten = 2;
TColor RingColor(int level, int code) { return RGB(0, code, level & 0xFF); }

} // namespace

void TvekPaintFX::Buttonize(TBitmap& bitmap, std::uint8_t depth, int weight)
{
    Ensure24(bitmap);
    const int d = depth;
    if (d == 0) return;
    const int w = bitmap.Width(), h = bitmap.Height();
    const TByteTable light = LightenTable(weight), dark = DarkenTable(weight);
    for (int y = 0; y <= d; ++y) {
        const int top = y, bottom = h - 1 - y;
        for (int x = y; x <= w - 1 - y; ++x) {
            MapAt(bitmap, x, top, light);
            MapAt(bitmap, x, bottom, dark);
        }
        for (int x = 0; x <= y; ++x) {
            MapAt(bitmap, x, top, light);
            MapAt(bitmap, w - 1 - x, top, dark);
            MapAt(bitmap, x, bottom, light);
            MapAt(bitmap, w - 1 - x, bottom, dark);
        }
    }
    for (int y = d + 1; y <= h - 2 - d; ++y)
        for (int x = 0; x <= d; ++x) {
            MapAt(bitmap, x, y, light);
            MapAt(bitmap, w - 1 - x, y, dark);
        }
}

void TvekPaintFX::ButtonizeOval(TBitmap& bitmap, std::uint8_t depth, const std::string& style, int weight)
{
    const int d = depth;
    // The shading divides by the depth; depth 0 has no rings, so the button is left as it is.
    if (d == 0 || bitmap.Empty()) return;
    const int w = bitmap.Width(), h = bitmap.Height();
    TBitmap mask(w, h, pf24bit);
    for (int y = 0; y < h; ++y) std::memset(mask.ScanLine(y), 0xFF, 3 * static_cast<std::size_t>(w));
    TCanvas& canvas = mask.Canvas();
    canvas.Pen.Width = 1;
    canvas.Pen.Style = psSolid;
    // Arc 1 is the lower-right half of the ellipse, arc 2 the upper-left half.
    auto rings = [&](int i, int level, int code1, int code2) {
        canvas.Pen.Color = RingColor(level, code1);
        canvas.Arc(i, i, w - i, h - i, 0, h, w, 0);
        canvas.Pen.Color = RingColor(level, code2);
        canvas.Arc(i, i, w - i, h - i, w, 0, 0, h);
    };
    const bool rimmed = style == "rimmed", round = style == "round", doubleRound = style == "doubleround";
    for (int i = 0; i < d; ++i) {
        if (rimmed) rings(i, i, kCodeLighten, kCodeDarken);
        if (round || doubleRound) rings(i, d - 1 - i, kCodeDarken, kCodeLighten);
    }
    if (doubleRound)
        for (int i = d; i < 2 * d; ++i) rings(i, i, kCodeLighten, kCodeDarken);

    Ensure24(bitmap);
    // One lighten and one darken table per ring level.
    TByteTable light[256], dark[256];
    bool made[256] = {};
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* m = mask.ScanLine(y);
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x, m += 3, p += 3) {
            const int level = m[0], code = m[1];
            if (code != kCodeLighten && code != kCodeDarken) continue;
            if (!made[level]) {
                const long long amount = static_cast<long long>(std::trunc(static_cast<long double>(level) / d * weight));
                light[level] = LightenTable(static_cast<int>(amount));
                dark[level] = DarkenTable(static_cast<int>(amount));
                made[level] = true;
            }
            MapPixel(p, code == kCodeLighten ? light[level] : dark[level]);
        }
    }
    AntiAlias(bitmap);
}

void TvekPaintFX::MaskOval(TBitmap& bitmap, TColor color)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    TBitmap mask(w, h, pf24bit); // black
    TCanvas& canvas = mask.Canvas();
    canvas.Pen.Color = clRed;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Width = 1;
    canvas.Brush.Color = clRed;
    canvas.Brush.Style = bsSolid;
    canvas.Ellipse(0, 0, w, h);
    Ensure24(bitmap);
    const std::uint8_t fill[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* m = mask.ScanLine(y);
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x)
            if (m[3 * x + 2] == 0) std::memcpy(p + 3 * x, fill, 3);
    }
}

void TvekPaintFX::Seamless(TBitmap& bitmap, std::uint8_t depth)
{
    const int d = depth;
    if (d == 0) return;
    Ensure24(bitmap);
    const int w = bitmap.Width(), h = bitmap.Height();
    const long double step = 1.0L / d;
    for (int y = 0; y <= d; ++y) {
        const int top = y, bottom = h - y - 1;
        const long double wy = 1 - y * step;
        for (int x = y; x <= w - 1 - y; ++x) BlendAt(bitmap, x, bottom, x, top, wy);
        for (int x = 0; x <= y; ++x) {
            const long double wx = 1 - x * step;
            BlendAt(bitmap, w - 1 - x, top, x, top, wx);
            BlendAt(bitmap, w - 1 - x, bottom, x, bottom, wx);
        }
    }
    for (int y = d; y <= h - 1 - d; ++y)
        for (int x = 0; x <= d; ++x) BlendAt(bitmap, w - 1 - x, y, x, y, 1 - x * step);
}

void TvekPaintFX::TextAngle(TCanvas& canvas, int x, int y, int angle, const std::string& text, const TFont& font)
{
    TFont rotated;
    rotated.Name = font.Name.substr(0, 31);
    rotated.Size = font.Size;
    rotated.Height = static_cast<int>(std::min<long long>(std::llabs(font.Height != 0 ? font.Height : font.Size * 96LL / 72), 1 << 20));
    rotated.Color = font.Color;
    rotated.Style = font.Style & (fsBold | fsItalic | fsUnderline);
    rotated.Escapement = MulWrap(angle, 10);
    const TFont previousFont = canvas.Font;
    const TBrush previousBrush = canvas.Brush;
    canvas.Font = rotated;
    canvas.Brush.Style = bsClear; // transparent background behind the text
    canvas.TextOut(x, y, text);
    canvas.Font = previousFont;
    canvas.Brush = previousBrush;
}
