#pragma once
#include "platform/TBitmap.h"

#include <QRect>
#include <QRegion>

#include <array>
#include <cstdint>
#include <vector>

// The pixel side of the canvas: which pixels an operation touches (a coverage mask or plain
// rectangles) and how a colour combines with each of them (a raster operation on the pixel value,
// as a device-independent bitmap has it). Shapes are scan-converted elsewhere; this file only
// writes rows, always inside the bitmap and the clip region.
namespace canvas {

// One byte per pixel of an area; the bits say which part of a figure covers the pixel.
enum TCoverBits : std::uint8_t { cvFill = 1, cvPen = 2, cvGap = 4, cvTemp = 8 };

// Rows remember the columns ever marked, so that thin figures over a large area (a long diagonal
// line, an outline) cost their pixels, not their bounding box; writers mark through Mark or Touch.
struct TMask {
    QRect Area; // in bitmap coordinates
    std::vector<std::uint8_t> Bits;
    std::vector<int> Lo, Hi; // per row, the first and last column marked; Lo > Hi when none
    std::uint8_t Used = 0;   // every bit ever marked

    TMask() = default;
    explicit TMask(const QRect& area)
        : Area(area), Bits(area.isEmpty() ? 0 : static_cast<std::size_t>(area.width()) * area.height(), 0),
          Lo(area.isEmpty() ? 0 : area.height(), area.right() + 1), Hi(area.isEmpty() ? 0 : area.height(), area.left() - 1)
    {
    }
    bool Empty() const { return Bits.empty(); }
    std::uint8_t* Row(int y) { return Bits.data() + static_cast<std::size_t>(y - Area.top()) * Area.width(); }
    const std::uint8_t* Row(int y) const
    {
        return Bits.data() + static_cast<std::size_t>(y - Area.top()) * Area.width();
    }
    // Records that columns x0..x1 of row y may carry bits (the caller stays inside Area).
    void Touch(int y, int x0, int x1)
    {
        int& lo = Lo[y - Area.top()];
        int& hi = Hi[y - Area.top()];
        lo = x0 < lo ? x0 : lo;
        hi = x1 > hi ? x1 : hi;
    }
    void Mark(int x, int y, std::uint8_t bits)
    {
        Row(y)[x - Area.left()] |= bits;
        Used |= bits;
        Touch(y, x, x);
    }
    // The marked columns of row y within [x0, x1]; false when there are none.
    bool Extent(int y, int& x0, int& x1) const
    {
        x0 = x0 > Lo[y - Area.top()] ? x0 : Lo[y - Area.top()];
        x1 = x1 < Hi[y - Area.top()] ? x1 : Hi[y - Area.top()];
        return x0 <= x1;
    }
};

// A constant colour with a raster operation, ready for the bitmap's format: direct formats
// combine as (pixel & And) ^ Xor, palette formats look the new index up by the old one.
struct TInk {
    bool Nop = false;
    std::uint32_t And = 0;
    std::uint32_t Xor = 0;
    std::array<std::uint8_t, 256> Lut{};
    // An 8 x 8 pattern aligned to the bitmap origin (hatches, the focus rectangle's dots):
    // when Patterned, only pixels whose bit is set are drawn.
    std::array<std::uint8_t, 8> Pattern{};
    bool Patterned = false;
};

enum TRop2 { ropCopy, ropNot, ropXor, ropNotXor, ropMerge, ropMask, ropBlack, ropWhite, ropNop };
enum TBlitRop { blitCopy, blitInvert, blitAnd, blitPaint, blitNotCopy };

class TSurface {
public:
    TSurface(TBitmap& bitmap, const QRegion* clip);

    // The bounding rectangle of every pixel that may change (bitmap and clip region).
    const QRect& Bounds() const { return bounds_; }
    bool Empty() const { return bounds_.isEmpty(); }

    TInk MakeInk(TColor color, TRop2 rop) const;
    // Inverts the pixel value (palette bitmaps: the index counted from the palette's end), so that
    // inverting twice restores the pixels exactly.
    TInk MakeInvert() const;

    void FillRect(const QRect& r, const TInk& ink);
    // Draws ink on the mask's pixels that have one of the include bits and none of the exclude bits.
    void FillMask(const TMask& mask, std::uint8_t include, std::uint8_t exclude, const TInk& ink);
    // Writes one row of colours (blue, green, red triples for x0..x1-1) with a copy mode; where keep
    // is given, only pixels with a non-zero keep byte change.
    void BlitRow(int y, int x0, int x1, const std::uint8_t* bgr, const std::uint8_t* keep, TBlitRop rop);
    // Calls visit(rect) for each clip rectangle inside area (area limited to the bitmap).
    template <typename F> void ForEachClipRect(const QRect& area, F&& visit) const
    {
        QRect a = area & bounds_;
        if (a.isEmpty()) return;
        if (!clipped_) {
            visit(a);
            return;
        }
        for (const QRect& r : clip_)
            if (QRect c = r & a; !c.isEmpty()) visit(c);
    }

private:
    void ApplyRow(int y, int x0, int x1, const std::uint8_t* mask, std::uint8_t include, std::uint8_t exclude,
                  const TInk& ink);
    void ApplyRun(int y, int x0, int x1, const TInk& ink);
    std::uint32_t PixelValue(TColor color) const;
    int NearestIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b);

    const std::vector<TRGBQuad>& palette() const { return reachable_.empty() ? bmp_.Palette() : reachable_; }

    TBitmap& bmp_;
    std::vector<TRGBQuad> reachable_;
    QRect bounds_;
    bool clipped_ = false;
    QRegion clip_;
    bool palette_ = false;
    std::uint32_t valueMask_ = 0; // the bits of a pixel value that a raster operation may change
    // Nearest palette index of recently written colours (blits into palette bitmaps).
    std::vector<std::uint32_t> nearestKeys_;
    std::vector<std::uint8_t> nearestValues_;
};

} // namespace canvas
