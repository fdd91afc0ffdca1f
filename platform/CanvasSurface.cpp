#include "platform/CanvasSurface.h"

#include <algorithm>

namespace canvas {
namespace {

// Pixel accessors: one per storage layout, so that the row loops carry no format checks.
struct Px24 {
    static std::uint32_t Get(const std::uint8_t* row, int x)
    {
        const std::uint8_t* p = row + 3 * x;
        return p[0] | (p[1] << 8) | (std::uint32_t(p[2]) << 16);
    }
    static void Set(std::uint8_t* row, int x, std::uint32_t v)
    {
        std::uint8_t* p = row + 3 * x;
        p[0] = static_cast<std::uint8_t>(v), p[1] = static_cast<std::uint8_t>(v >> 8),
        p[2] = static_cast<std::uint8_t>(v >> 16);
    }
};
struct Px32 {
    static std::uint32_t Get(const std::uint8_t* row, int x)
    {
        const std::uint8_t* p = row + 4 * x;
        return p[0] | (p[1] << 8) | (std::uint32_t(p[2]) << 16);
    }
    static void Set(std::uint8_t* row, int x, std::uint32_t v) // byte 3 keeps its value
    {
        std::uint8_t* p = row + 4 * x;
        p[0] = static_cast<std::uint8_t>(v), p[1] = static_cast<std::uint8_t>(v >> 8),
        p[2] = static_cast<std::uint8_t>(v >> 16);
    }
};
struct Px16 {
    static std::uint32_t Get(const std::uint8_t* row, int x) { return row[2 * x] | (row[2 * x + 1] << 8); }
    static void Set(std::uint8_t* row, int x, std::uint32_t v)
    {
        row[2 * x] = static_cast<std::uint8_t>(v), row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
    }
};
struct Px8 {
    static std::uint32_t Get(const std::uint8_t* row, int x) { return row[x]; }
    static void Set(std::uint8_t* row, int x, std::uint32_t v) { row[x] = static_cast<std::uint8_t>(v); }
};
struct Px4 {
    static std::uint32_t Get(const std::uint8_t* row, int x) { return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4; }
    static void Set(std::uint8_t* row, int x, std::uint32_t v)
    {
        std::uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | (v & 15)) : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
    }
};
struct Px1 {
    static std::uint32_t Get(const std::uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
    static void Set(std::uint8_t* row, int x, std::uint32_t v)
    {
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
    }
};

template <typename P, bool Lut> void InkRun(std::uint8_t* row, int y, int x0, int x1, const TInk& ink)
{
    const std::uint8_t pat = ink.Patterned ? ink.Pattern[y & 7] : 0;
    // A plain copy needs no read of the old pixel.
    const bool copy = !Lut && ink.And == 0;
    for (int x = x0; x < x1; ++x) {
        if (ink.Patterned && !(pat & (0x80 >> (x & 7)))) continue;
        if (copy) {
            P::Set(row, x, ink.Xor);
            continue;
        }
        const std::uint32_t v = P::Get(row, x);
        P::Set(row, x, Lut ? ink.Lut[v] : (v & ink.And) ^ ink.Xor);
    }
}

// The plain case of FillRect on 24-bit images: a constant pattern of bytes, no reads.
void CopyRow24(std::uint8_t* row, int x0, int x1, std::uint32_t v)
{
    const std::uint8_t b = static_cast<std::uint8_t>(v), g = static_cast<std::uint8_t>(v >> 8),
                       r = static_cast<std::uint8_t>(v >> 16);
    std::uint8_t* p = row + 3 * x0;
    if (b == g && g == r) {
        std::fill(p, p + 3 * (x1 - x0), b);
        return;
    }
    for (int x = x0; x < x1; ++x, p += 3) p[0] = b, p[1] = g, p[2] = r;
}

bool IsPalette(TPixelFormat f) { return f == pf1bit || f == pf4bit || f == pf8bit; }

std::uint32_t Rop2(TRop2 rop, std::uint32_t dst, std::uint32_t src, std::uint32_t all)
{
    switch (rop) {
    case ropCopy: return src;
    case ropNot: return ~dst & all;
    case ropXor: return dst ^ src;
    case ropNotXor: return ~(dst ^ src) & all;
    case ropMerge: return dst | src;
    case ropMask: return dst & src;
    case ropBlack: return 0;
    case ropWhite: return all;
    case ropNop: return dst;
    }
    return dst;
}

} // namespace

TSurface::TSurface(TBitmap& bitmap, const QRegion* clip) : bmp_(bitmap)
{
    bounds_ = QRect(0, 0, bitmap.Width(), bitmap.Height());
    if (clip) {
        clipped_ = true;
        clip_ = *clip & bounds_;
        bounds_ = clip_.boundingRect();
    }
    palette_ = IsPalette(bitmap.PixelFormat());
    // Entries beyond what a pixel can index are never drawn with.
    if (palette_ && bitmap.Palette().size() > (std::size_t(1) << bitmap.BitsPerPixel()))
        reachable_.assign(bitmap.Palette().begin(), bitmap.Palette().begin() + (std::size_t(1) << bitmap.BitsPerPixel()));
    switch (bitmap.PixelFormat()) {
    case pf1bit: valueMask_ = 1; break;
    case pf4bit: valueMask_ = 15; break;
    case pf8bit: valueMask_ = 255; break;
    case pf15bit: valueMask_ = 0x7FFF; break;
    case pf16bit: valueMask_ = 0xFFFF; break;
    default: valueMask_ = 0xFFFFFF; break;
    }
}

std::uint32_t TSurface::PixelValue(TColor c) const
{
    const unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    switch (bmp_.PixelFormat()) {
    case pf15bit: return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case pf16bit: return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case pf24bit:
    case pf32bit: return b | (g << 8) | (r << 16);
    default: return static_cast<std::uint32_t>(NearestPaletteIndex(palette(), r, g, b));
    }
}

TInk TSurface::MakeInk(TColor color, TRop2 rop) const
{
    TInk ink;
    if (rop == ropNop) {
        ink.Nop = true;
        return ink;
    }
    if (!palette_) {
        const std::uint32_t p = PixelValue(color), m = valueMask_;
        // Every binary raster operation is (dst & A) ^ B for some A and B depending on the source.
        ink.And = (Rop2(rop, m, p, m) ^ Rop2(rop, 0, p, m)) & m;
        ink.Xor = Rop2(rop, 0, p, m);
        return ink;
    }
    const auto& pal = palette();
    const int n = static_cast<int>(pal.size());
    for (int i = 0; i < 256; ++i) ink.Lut[i] = static_cast<std::uint8_t>(i);
    if (rop == ropNot || rop == ropXor || rop == ropNotXor) {
        // Index arithmetic as on a device-independent bitmap, kept inside the palette: a result
        // beyond the palette leaves the pixel alone, so the mapping stays its own inverse.
        if (rop == ropNot) {
            for (int i = 0; i < n; ++i) ink.Lut[i] = static_cast<std::uint8_t>(n - 1 - i);
            return ink;
        }
        std::uint32_t c = PixelValue(color);
        if (rop == ropNotXor) c ^= valueMask_;
        for (int i = 0; i < n; ++i)
            if (int j = static_cast<int>(i ^ c); j < n) ink.Lut[i] = static_cast<std::uint8_t>(j);
        return ink;
    }
    // The other operations work on colours and map the result back to the palette; the ones that
    // ignore the old pixel need one lookup.
    if (rop == ropCopy || rop == ropBlack || rop == ropWhite) {
        const TColor c = Rop2(rop, 0, color & 0xFFFFFF, 0xFFFFFF);
        ink.Lut.fill(static_cast<std::uint8_t>(NearestPaletteIndex(pal, GetRValue(c), GetGValue(c), GetBValue(c))));
        return ink;
    }
    for (int i = 0; i < n; ++i) {
        const TColor c = Rop2(rop, QuadToColor(pal[i]), color & 0xFFFFFF, 0xFFFFFF);
        ink.Lut[i] =
            static_cast<std::uint8_t>(NearestPaletteIndex(pal, GetRValue(c), GetGValue(c), GetBValue(c)));
    }
    return ink;
}

TInk TSurface::MakeInvert() const { return MakeInk(clBlack, ropNot); }

void TSurface::ApplyRow(int y, int x0, int x1, const std::uint8_t* mask, std::uint8_t include, std::uint8_t exclude,
                        const TInk& ink)
{
    if (!mask) {
        ApplyRun(y, x0, x1, ink);
        return;
    }
    // The mask's selected pixels as runs, each written by the plain loops.
    auto selected = [&](int x) {
        const std::uint8_t m = mask[x - x0];
        return (m & include) && !(m & exclude);
    };
    for (int x = x0; x < x1;) {
        while (x < x1 && !selected(x)) ++x;
        const int start = x;
        while (x < x1 && selected(x)) ++x;
        if (start < x) ApplyRun(y, start, x, ink);
    }
}

void TSurface::ApplyRun(int y, int x0, int x1, const TInk& ink)
{
    std::uint8_t* row = bmp_.ScanLine(y);
    switch (bmp_.PixelFormat()) {
    case pf1bit: InkRun<Px1, true>(row, y, x0, x1, ink); break;
    case pf4bit: InkRun<Px4, true>(row, y, x0, x1, ink); break;
    case pf8bit: InkRun<Px8, true>(row, y, x0, x1, ink); break;
    case pf15bit:
    case pf16bit: InkRun<Px16, false>(row, y, x0, x1, ink); break;
    case pf24bit:
        if (!ink.Patterned && ink.And == 0)
            CopyRow24(row, x0, x1, ink.Xor);
        else
            InkRun<Px24, false>(row, y, x0, x1, ink);
        break;
    case pf32bit: InkRun<Px32, false>(row, y, x0, x1, ink); break;
    }
}

void TSurface::FillRect(const QRect& r, const TInk& ink)
{
    if (ink.Nop) return;
    ForEachClipRect(r, [&](const QRect& c) {
        for (int y = c.top(); y <= c.bottom(); ++y) ApplyRow(y, c.left(), c.right() + 1, nullptr, 0, 0, ink);
    });
}

void TSurface::FillMask(const TMask& mask, std::uint8_t include, std::uint8_t exclude, const TInk& ink)
{
    if (ink.Nop || mask.Empty() || !(mask.Used & include)) return;
    ForEachClipRect(mask.Area, [&](const QRect& c) {
        for (int y = c.top(); y <= c.bottom(); ++y) {
            int x0 = c.left(), x1 = c.right();
            if (mask.Extent(y, x0, x1)) ApplyRow(y, x0, x1 + 1, mask.Row(y) + (x0 - mask.Area.left()), include, exclude, ink);
        }
    });
}

int TSurface::NearestIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    // A small direct-mapped cache: copied pictures repeat their colours row after row.
    constexpr std::size_t cacheSize = 4096;
    if (nearestKeys_.empty()) {
        nearestKeys_.assign(cacheSize, 0xFFFFFFFFu);
        nearestValues_.assign(cacheSize, 0);
    }
    const std::uint32_t key = (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b;
    const std::size_t slot = (key * 2654435761u) >> 20 & (cacheSize - 1);
    if (nearestKeys_[slot] != key) {
        nearestKeys_[slot] = key;
        nearestValues_[slot] = static_cast<std::uint8_t>(NearestPaletteIndex(palette(), r, g, b));
    }
    return nearestValues_[slot];
}

namespace {

// Source colours onto direct-colour pixels: the colour's pixel value combined by the copy mode.
template <typename P, typename Pack>
void BlitDirect(std::uint8_t* row, int x0, int x1, const std::uint8_t* bgr, const std::uint8_t* keep, TBlitRop rop,
                std::uint32_t all, Pack pack)
{
    for (int x = x0; x < x1; ++x, bgr += 3) {
        if (keep && !keep[x - x0]) continue;
        const std::uint32_t src = pack(bgr);
        switch (rop) {
        case blitCopy: P::Set(row, x, src); break;
        case blitInvert: P::Set(row, x, P::Get(row, x) ^ src); break;
        case blitAnd: P::Set(row, x, P::Get(row, x) & src); break;
        case blitPaint: P::Set(row, x, P::Get(row, x) | src); break;
        case blitNotCopy: P::Set(row, x, ~src & all); break;
        }
    }
}

std::uint32_t PackBgr(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (std::uint32_t(p[2]) << 16); }
std::uint32_t Pack565(const std::uint8_t* p) { return ((p[2] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[0] >> 3); }
std::uint32_t Pack555(const std::uint8_t* p) { return ((p[2] >> 3) << 10) | ((p[1] >> 3) << 5) | (p[0] >> 3); }

} // namespace

void TSurface::BlitRow(int y, int x0, int x1, const std::uint8_t* bgr, const std::uint8_t* keep, TBlitRop rop)
{
    std::uint8_t* row = bmp_.ScanLine(y);
    switch (bmp_.PixelFormat()) {
    case pf24bit: BlitDirect<Px24>(row, x0, x1, bgr, keep, rop, valueMask_, PackBgr); return;
    case pf32bit: BlitDirect<Px32>(row, x0, x1, bgr, keep, rop, valueMask_, PackBgr); return;
    case pf16bit: BlitDirect<Px16>(row, x0, x1, bgr, keep, rop, valueMask_, Pack565); return;
    case pf15bit: BlitDirect<Px16>(row, x0, x1, bgr, keep, rop, valueMask_, Pack555); return;
    default: break;
    }
    // Palette pixels combine in colour and go back to the nearest entry.
    const TPixelFormat f = bmp_.PixelFormat();
    const auto& pal = palette();
    const TRop2 colourRop = rop == blitInvert ? ropXor : rop == blitAnd ? ropMask : rop == blitPaint ? ropMerge : ropCopy;
    for (int x = x0; x < x1; ++x, bgr += 3) {
        if (keep && !keep[x - x0]) continue;
        TColor c = RGB(bgr[2], bgr[1], bgr[0]);
        if (rop == blitNotCopy) c = ~c & 0xFFFFFF;
        if (colourRop != ropCopy) {
            const int old = f == pf8bit ? Px8::Get(row, x) : f == pf4bit ? Px4::Get(row, x) : Px1::Get(row, x);
            const TRGBQuad q = old < static_cast<int>(pal.size()) ? pal[old] : TRGBQuad{};
            c = Rop2(colourRop, QuadToColor(q), c, 0xFFFFFF);
        }
        const int i = NearestIndex(GetRValue(c), GetGValue(c), GetBValue(c));
        if (f == pf8bit)
            Px8::Set(row, x, i);
        else if (f == pf4bit)
            Px4::Set(row, x, i);
        else
            Px1::Set(row, x, i);
    }
}

} // namespace canvas
