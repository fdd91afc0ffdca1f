#pragma once
#include "platform/CanvasSurface.h"

#include <QPointF>

#include <cstdint>
#include <vector>

// Scan conversion of the canvas figures into coverage masks, with the pixel rules of GDI: a pixel
// belongs to a filled figure when its centre lies inside; one-pixel lines step like Bresenham's;
// wide lines are round-capped bands. Coordinates are pixel coordinates, so a figure box
// (left, top, right, bottom) spans the continuous range left..right. Only the mask's area is
// visited, so huge or negative coordinates cost nothing.
namespace canvas {

// An on/off pattern of a styled one-pixel pen, counted in steps along the line; position carries
// over from one segment of a polyline to the next.
struct TDash {
    const std::vector<int>* Pattern = nullptr; // null: solid
    std::int64_t Position = 0;
    bool On(std::int64_t step) const;
};

// One-pixel line from (x0, y0) towards (x1, y1), leaving the last point out as GDI does.
void PlotLine(TMask& mask, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, TDash& dash,
              std::uint8_t bits);
// A band of the given width around a segment between two pixels, with round ends.
void PlotWideLine(TMask& mask, double x0, double y0, double x1, double y1, int width, std::uint8_t bits);

// Where filled figures go: row by row, the runs of pixels x0..x1 (inclusive) of row y, rows in
// ascending order, runs of a row from left to right. Only rows and columns of Area are asked for.
class TSpanSink {
public:
    explicit TSpanSink(const QRect& area) : area_(area) {}
    virtual ~TSpanSink() = default;
    const QRect& Area() const { return area_; }
    virtual void Span(int y, int x0, int x1) = 0;

private:
    QRect area_;
};

// Marks the runs in a mask.
class TMaskSink : public TSpanSink {
public:
    TMaskSink(TMask& mask, std::uint8_t bits) : TSpanSink(mask.Area), mask_(mask), bits_(bits) {}
    void Span(int y, int x0, int x1) override;

private:
    TMask& mask_;
    std::uint8_t bits_;
};

// Collects the runs as a region, without holding a pixel per byte.
class TRegionSink : public TSpanSink {
public:
    using TSpanSink::TSpanSink;
    void Span(int y, int x0, int x1) override;
    QRegion Region();

private:
    void CloseRow();
    std::vector<QRect> rects_;
    std::vector<QRect> row_;
    std::size_t bandStart_ = 0, bandEnd_ = 0; // the rectangles of the last band in rects_
    int rowY_ = 0;
};

void FillEllipse(TSpanSink& sink, double left, double top, double right, double bottom);
void FillRoundRect(TSpanSink& sink, double left, double top, double right, double bottom, double cornerWidth,
                   double cornerHeight);
void FillPolygon(TSpanSink& sink, const std::vector<QPointF>& points, bool winding);
void FillRectangle(TSpanSink& sink, double left, double top, double right, double bottom);

inline void FillEllipse(TMask& mask, double left, double top, double right, double bottom, std::uint8_t bits)
{
    TMaskSink sink(mask, bits);
    FillEllipse(sink, left, top, right, bottom);
}
inline void FillRoundRect(TMask& mask, double left, double top, double right, double bottom, double cornerWidth,
                          double cornerHeight, std::uint8_t bits)
{
    TMaskSink sink(mask, bits);
    FillRoundRect(sink, left, top, right, bottom, cornerWidth, cornerHeight);
}
inline void FillPolygon(TMask& mask, const std::vector<QPointF>& points, bool winding, std::uint8_t bits)
{
    TMaskSink sink(mask, bits);
    FillPolygon(sink, points, winding);
}
inline void FillRectangle(TMask& mask, double left, double top, double right, double bottom, std::uint8_t bits)
{
    TMaskSink sink(mask, bits);
    FillRectangle(sink, left, top, right, bottom);
}

// Removes bits from pixels that lie outside the counter-clockwise sweep from the ray through
// `from` to the ray through `to`, both rays starting at the centre.
void KeepSector(TMask& mask, QPointF centre, QPointF from, QPointF to, std::uint8_t bits);
// Removes bits from pixels on the far side of the chord from `from` to `to`, keeping the side where
// the counter-clockwise arc between the two points lies.
void KeepArcSide(TMask& mask, QPointF from, QPointF to, std::uint8_t bits);
// Sets `to` on pixels having `from` with a 4-neighbour that lacks it: the one-pixel rim of a figure.
void MarkRim(TMask& mask, std::uint8_t from, std::uint8_t to);
// Removes `bits` where `unless` is set (a ring is the outer figure without the inner one).
void ClearWhere(TMask& mask, std::uint8_t bits, std::uint8_t unless);

} // namespace canvas
