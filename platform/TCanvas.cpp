#include "platform/TCanvas.h"

#include "platform/CanvasShapes.h"
#include "platform/CanvasSurface.h"
#include "platform/CanvasText.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>

using namespace canvas;

namespace {

using i64 = std::int64_t;

// Coordinates beyond this never reach a pixel of the largest bitmap, with room for pen widths.
constexpr i64 Far = i64(1) << 40;
// Pens wider than any bitmap draw the same as this.
constexpr int MaxPenWidth = 1 << 22;

TRop2 RopOf(TPenMode mode)
{
    switch (mode) {
    case pmCopy: return ropCopy;
    case pmNot: return ropNot;
    case pmXor: return ropXor;
    case pmNotXor: return ropNotXor;
    case pmMerge: return ropMerge;
    case pmMask: return ropMask;
    case pmBlack: return ropBlack;
    case pmWhite: return ropWhite;
    case pmNop: return ropNop;
    }
    return ropCopy;
}

TBlitRop BlitOf(TCopyMode mode)
{
    switch (mode) {
    case cmSrcCopy: return blitCopy;
    case cmSrcInvert: return blitInvert;
    case cmSrcAnd: return blitAnd;
    case cmSrcPaint: return blitPaint;
    case cmNotSrcCopy: return blitNotCopy;
    }
    return blitCopy;
}

// The dash patterns of one-pixel styled pens, in pixels along the line: on, off, on, off...
const std::vector<int>* DashOf(TPenStyle style)
{
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case psDash: return &dash;
    case psDot: return &dot;
    case psDashDot: return &dashDot;
    case psDashDotDot: return &dashDotDot;
    default: return nullptr;
    }
}

// The 8 x 8 hatch patterns; a set bit is a pixel in the brush colour.
const std::array<std::uint8_t, 8>* HatchOf(TBrushStyle style)
{
    static const std::array<std::uint8_t, 8> horizontal{0, 0, 0, 0xFF, 0, 0, 0, 0},
        vertical{8, 8, 8, 8, 8, 8, 8, 8}, fdiagonal{0x80, 0x40, 0x20, 0x10, 8, 4, 2, 1},
        bdiagonal{1, 2, 4, 8, 0x10, 0x20, 0x40, 0x80}, cross{8, 8, 8, 0xFF, 8, 8, 8, 8},
        diagcross{0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
    switch (style) {
    case bsHorizontal: return &horizontal;
    case bsVertical: return &vertical;
    case bsFDiagonal: return &fdiagonal;
    case bsBDiagonal: return &bdiagonal;
    case bsCross: return &cross;
    case bsDiagCross: return &diagcross;
    default: return nullptr;
    }
}

i64 Clamp(i64 v) { return std::clamp(v, -Far, Far); }

// A rectangle given by edges (right and bottom outside) as a QRect, limited to a sane range.
QRect EdgeRect(i64 left, i64 top, i64 right, i64 bottom)
{
    constexpr i64 lim = i64(1) << 30;
    left = std::clamp(left, -lim, lim), right = std::clamp(right, -lim, lim);
    top = std::clamp(top, -lim, lim), bottom = std::clamp(bottom, -lim, lim);
    if (right <= left || bottom <= top) return QRect();
    return QRect(QPoint(int(left), int(top)), QPoint(int(right - 1), int(bottom - 1)));
}

struct TBox {
    double Left, Top, Right, Bottom;
    bool Empty() const { return Right <= Left || Bottom <= Top; }
};

struct TPenShape {
    bool On;      // the pen draws at all
    int Width;    // 1 for cosmetic pens
    const std::vector<int>* Dash;
    bool InsideFrame;
};

TPenShape PenShapeOf(const TPen& pen)
{
    TPenShape s;
    s.On = pen.Style != psClear && pen.Mode != pmNop;
    s.Width = std::clamp(pen.Width, 1, MaxPenWidth);
    // Styled lines exist only for one-pixel pens; wider ones draw solid.
    s.Dash = s.Width == 1 ? DashOf(pen.Style) : nullptr;
    s.InsideFrame = pen.Style == psInsideFrame;
    return s;
}

// The outer and inner edges of an outline along a figure box: a pen of width w centred on the
// box's first and last pixel column, leaning towards the top left when w is even; an inside-frame
// pen keeps within the box.
void PenBoxes(const TBox& box, const TPenShape& pen, TBox& outer, TBox& inner)
{
    const int w = pen.Width;
    if (pen.InsideFrame) {
        outer = box;
        inner = {box.Left + w, box.Top + w, box.Right - w, box.Bottom - w};
        return;
    }
    const int a = w / 2, c = w - 1 - a;
    outer = {box.Left - a, box.Top - a, box.Right + c, box.Bottom + c};
    inner = {outer.Left + w, outer.Top + w, outer.Right - w, outer.Bottom - w};
}

QPointF PointOnEllipse(const TBox& box, QPointF through)
{
    const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    const double rx = (box.Right - box.Left) / 2, ry = (box.Bottom - box.Top) / 2;
    const double vx = through.x() - cx, vy = through.y() - cy;
    if ((vx == 0 && vy == 0) || rx <= 0 || ry <= 0) return QPointF(cx + rx, cy);
    const double t = 1 / std::sqrt((vx / rx) * (vx / rx) + (vy / ry) * (vy / ry));
    return QPointF(cx + t * vx, cy + t * vy);
}

// Polygon vertices name pixels, so the outline through them is the line through pixel centres;
// the fill takes the pixels whose centres lie inside that outline (left and top edges included).
std::vector<QPointF> PixelCentres(const std::vector<TPoint>& points)
{
    std::vector<QPointF> out;
    out.reserve(points.size());
    for (const TPoint& p : points) out.emplace_back(p.X + 0.5, p.Y + 0.5);
    return out;
}

QRect PointsExtent(const std::vector<TPoint>& points, int margin)
{
    i64 l = points[0].X, t = points[0].Y, r = l, b = t;
    for (const TPoint& p : points) l = std::min<i64>(l, p.X), r = std::max<i64>(r, p.X), t = std::min<i64>(t, p.Y), b = std::max<i64>(b, p.Y);
    return EdgeRect(l - margin, t - margin, r + margin + 1, b + margin + 1);
}

enum class TArcKind { Full, Arc, Pie, Chord };

// The drawing of one figure: scan-convert its brush and pen parts into a mask covering the
// figure's extent inside the bitmap, then write the pixels. Large figures go in bands of rows, so a
// mask never holds more than about a million pixels; each band has a row of margin above and
// below (and the area a column on each side), so that rims see their neighbours.
class TFigurePainter {
public:
    TFigurePainter(TCanvas& canvas, const QRect& extent)
        : canvas_(canvas), surface_(canvas.Bitmap(), canvas.HasClipRegion() ? &canvas.ClipRegion() : nullptr)
    {
        if (!surface_.Empty()) area_ = extent & surface_.Bounds().adjusted(-1, -1, 1, 1);
    }
    bool Empty() const { return area_.isEmpty(); }
    TSurface& Surface() { return surface_; }

    // render(mask) marks a band; write(mask) puts its pixels into the bitmap.
    template <typename Render, typename Write> void Run(Render&& render, Write&& write)
    {
        const QRect rows = area_ & surface_.Bounds();
        if (rows.isEmpty()) return;
        const int step = std::max(1, (1 << 20) / area_.width());
        for (int top = rows.top(); top <= rows.bottom(); top += step) {
            const int bottom = std::min(rows.bottom(), top + step - 1);
            TMask mask(QRect(QPoint(area_.left(), top - 1), QPoint(area_.right(), bottom + 1)) & area_);
            render(mask);
            // The margin rows belong to the neighbouring bands.
            for (int y : {top - 1, bottom + 1})
                if (mask.Area.contains(mask.Area.left(), y)) mask.Lo[y - mask.Area.top()] = INT_MAX, mask.Hi[y - mask.Area.top()] = INT_MIN;
            write(mask);
        }
    }
    template <typename Render> void Run(Render&& render, bool brush, bool pen)
    {
        Run(render, [&](const TMask& mask) { Paint(mask, brush, pen); });
    }

private:
    void Paint(const TMask& mask, bool brush, bool pen)
    {
        const TBrush& b = canvas_.Brush;
        const TRop2 rop = RopOf(canvas_.Pen.Mode);
        if (brush && b.Style != bsClear && (mask.Used & cvFill)) {
            TInk ink = surface_.MakeInk(b.Color, rop);
            if (const auto* hatch = HatchOf(b.Style)) ink.Pattern = *hatch, ink.Patterned = true;
            surface_.FillMask(mask, cvFill, cvPen | cvGap, ink);
        }
        if (!pen) return;
        // The gaps of a styled pen show the background where the brush is solid (opaque mode).
        if (b.Style == bsSolid && (mask.Used & cvGap)) surface_.FillMask(mask, cvGap, cvPen, surface_.MakeInk(b.Color, rop));
        if (mask.Used & cvPen) surface_.FillMask(mask, cvPen, 0, surface_.MakeInk(canvas_.Pen.Color, rop));
    }

    TCanvas& canvas_;
    TSurface surface_;
    QRect area_;
};

// Draws the pen along a chain of points (closed: back to the first point as well).
void PlotChain(TMask& mask, const std::vector<TPoint>& points, bool closed, const TPenShape& pen)
{
    const std::size_t n = points.size();
    if (n == 0) return;
    TDash dash{pen.Dash, 0};
    const std::size_t segments = closed ? n : n - 1;
    for (std::size_t k = 0; k < segments; ++k) {
        const TPoint& p = points[k];
        const TPoint& q = points[(k + 1) % n];
        if (pen.Width == 1)
            PlotLine(mask, p.X, p.Y, q.X, q.Y, dash, cvPen);
        else
            PlotWideLine(mask, p.X, p.Y, q.X, q.Y, pen.Width, cvPen);
    }
    if (n == 1 && pen.Width > 1) PlotWideLine(mask, points[0].X, points[0].Y, points[0].X, points[0].Y, pen.Width, cvPen);
}

// The outline of a box figure for a styled one-pixel pen: its rim, each pixel on or off by its
// distance along the outline, measured by the angle around the centre.
void DashRim(TMask& mask, const TBox& box, const std::vector<int>& pattern)
{
    const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
    const double rx = (box.Right - box.Left) / 2, ry = (box.Bottom - box.Top) / 2;
    const double h = ((rx - ry) * (rx - ry)) / std::max(1e-9, (rx + ry) * (rx + ry));
    const double perimeter = M_PI * (rx + ry) * (1 + 3 * h / (10 + std::sqrt(4 - 3 * h)));
    TDash dash{&pattern, 0};
    const QRect& a = mask.Area;
    for (int y = a.top(); y <= a.bottom(); ++y) {
        std::uint8_t* row = mask.Row(y);
        int x0 = a.left(), x1 = a.right();
        if (!mask.Extent(y, x0, x1)) continue;
        for (int x = x0; x <= x1; ++x) {
            std::uint8_t& m = row[x - a.left()];
            if (!(m & cvPen)) continue;
            double angle = std::atan2(cy - (y + 0.5), x + 0.5 - cx);
            if (angle < 0) angle += 2 * M_PI;
            if (!dash.On(static_cast<i64>(angle / (2 * M_PI) * perimeter))) m = (m & ~cvPen) | cvGap;
        }
    }
    mask.Used |= cvGap;
}

// Ellipse-based figures. `fill` is the figure's own box; the pen ring lies between the outer and
// inner boxes of PenBoxes; arcs keep the sweep from `from` to `to`.
void PaintEllipseFigure(TCanvas& c, i64 l, i64 t, i64 r, i64 b, TArcKind kind, QPointF from, QPointF to,
                        std::optional<std::pair<double, double>> corner)
{
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    l = Clamp(l), t = Clamp(t), r = Clamp(r), b = Clamp(b);
    if (r <= l || b <= t) return;
    const TPenShape pen = PenShapeOf(c.Pen);
    TBox box{double(l), double(t), double(r), double(b)};
    TBox outer, inner;
    PenBoxes(box, pen, outer, inner);
    const int margin = pen.Width + 1;
    TFigurePainter fig(c, EdgeRect(l - margin, t - margin, r + margin, b + margin));
    if (fig.Empty()) return;
    fig.Run([&](TMask& mask) {
        auto shape = [&](const TBox& bx, std::uint8_t bits, double grow) {
            if (bx.Empty()) return;
            if (corner)
                FillRoundRect(mask, bx.Left, bx.Top, bx.Right, bx.Bottom, std::max(0.0, corner->first + grow),
                              std::max(0.0, corner->second + grow), bits);
            else
                FillEllipse(mask, bx.Left, bx.Top, bx.Right, bx.Bottom, bits);
        };
        const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
        const QPointF centre(cx, cy);
        auto cut = [&](std::uint8_t bits) {
            if (kind == TArcKind::Pie || kind == TArcKind::Arc) KeepSector(mask, centre, from, to, bits);
            if (kind == TArcKind::Chord) KeepArcSide(mask, PointOnEllipse(box, from), PointOnEllipse(box, to), bits);
        };

        // The brush: a null pen leaves the right and bottom edge out, as GDI does.
        if (kind != TArcKind::Arc) {
            TBox fillBox = pen.On ? box : TBox{box.Left, box.Top, box.Right - 1, box.Bottom - 1};
            shape(fillBox, cvFill, 0);
            cut(cvFill);
        }
        if (pen.On) {
            if (pen.Width == 1) {
                // The one-pixel rim of the figure itself (for a pie, the radii are part of its rim).
                shape(box, cvTemp, 0);
                if (kind == TArcKind::Pie || kind == TArcKind::Chord) cut(cvTemp);
                MarkRim(mask, cvTemp, cvPen);
                if (kind == TArcKind::Arc) KeepSector(mask, centre, from, to, cvPen);
                if (pen.Dash) DashRim(mask, box, *pen.Dash);
            } else {
                const double growOuter = outer.Right - outer.Left - (box.Right - box.Left);
                const double growInner = inner.Right - inner.Left - (box.Right - box.Left);
                shape(outer, cvPen, growOuter);
                shape(inner, cvTemp, growInner);
                ClearWhere(mask, cvPen, cvTemp);
                if (kind != TArcKind::Full) KeepSector(mask, centre, from, to, cvPen);
                // Straight edges of pies and chords, along the pixels the pen is centred on (pixel
                // coordinates, half a pixel up and left of the box's edge coordinates).
                const int a = pen.Width / 2, c = pen.Width - 1 - a;
                const TBox mid{outer.Left + a, outer.Top + a, outer.Right - 1 - c, outer.Bottom - 1 - c};
                const QPointF half(0.5, 0.5);
                const QPointF p = PointOnEllipse(mid, from - half), q = PointOnEllipse(mid, to - half);
                const double mx = (mid.Left + mid.Right) / 2, my = (mid.Top + mid.Bottom) / 2;
                if (kind == TArcKind::Pie) {
                    PlotWideLine(mask, mx, my, p.x(), p.y(), pen.Width, cvPen);
                    PlotWideLine(mask, mx, my, q.x(), q.y(), pen.Width, cvPen);
                } else if (kind == TArcKind::Chord) {
                    PlotWideLine(mask, p.x(), p.y(), q.x(), q.y(), pen.Width, cvPen);
                }
            }
            ClearWhere(mask, cvTemp, cvTemp);
        }
    }, kind != TArcKind::Arc, pen.On);
}

} // namespace

TCanvas::TCanvas(TBitmap& owner) : owner_(owner) {}

bool TCanvas::NothingToDraw() const { return owner_.Empty() || (hasClip_ && clip_.isEmpty()); }

void TCanvas::MoveTo(int x, int y) { PenPos = {x, y}; }

void TCanvas::LineTo(int x, int y)
{
    const TPoint from = PenPos;
    PenPos = {x, y};
    Polyline({from, {x, y}});
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    const TPenShape pen = PenShapeOf(Pen);
    if (points.empty() || !pen.On || NothingToDraw()) return;
    TFigurePainter fig(*this, PointsExtent(points, pen.Width + 1));
    fig.Run([&](TMask& mask) { PlotChain(mask, points, false, pen); }, false, true);
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    const TPenShape pen = PenShapeOf(Pen);
    if (points.empty() || NothingToDraw()) return;
    TFigurePainter fig(*this, PointsExtent(points, pen.Width + 1));
    const std::vector<QPointF> centres = PixelCentres(points);
    fig.Run(
        [&](TMask& mask) {
            if (points.size() >= 3) FillPolygon(mask, centres, PolyFillMode == pfmWinding, cvFill);
            if (pen.On) PlotChain(mask, points, true, pen);
        },
        true, pen.On);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    i64 l = std::min(left, right), r = std::max(left, right), t = std::min(top, bottom), b = std::max(top, bottom);
    if (r <= l || b <= t || NothingToDraw()) return;
    const TPenShape pen = PenShapeOf(Pen);
    if (pen.On && pen.Dash) {
        // A styled outline runs round the box as one closed line.
        TFigurePainter fig(*this, EdgeRect(l - 1, t - 1, r + 1, b + 1));
        const int li = int(Clamp(l)), ti = int(Clamp(t)), ri = int(Clamp(r - 1)), bi = int(Clamp(b - 1));
        fig.Run(
            [&](TMask& mask) {
                FillRectangle(mask, double(l), double(t), double(r), double(b), cvFill);
                PlotChain(mask, {{li, ti}, {ri, ti}, {ri, bi}, {li, bi}}, true, pen);
            },
            true, true);
        return;
    }
    // Plain outlines are four bands round an inner rectangle: no mask, a few row fills.
    TSurface surface(owner_, hasClip_ ? &clip_ : nullptr);
    const TRop2 rop = RopOf(Pen.Mode);
    if (!pen.On) {
        if (Brush.Style == bsClear) return;
        TInk ink = surface.MakeInk(Brush.Color, rop);
        if (const auto* hatch = HatchOf(Brush.Style)) ink.Pattern = *hatch, ink.Patterned = true;
        surface.FillRect(EdgeRect(l, t, r - 1, b - 1), ink);
        return;
    }
    TBox outer, inner;
    PenBoxes({double(l), double(t), double(r), double(b)}, pen, outer, inner);
    const QRect o = EdgeRect(i64(outer.Left), i64(outer.Top), i64(outer.Right), i64(outer.Bottom));
    const QRect in = EdgeRect(i64(inner.Left), i64(inner.Top), i64(inner.Right), i64(inner.Bottom));
    if (Brush.Style != bsClear) {
        TInk ink = surface.MakeInk(Brush.Color, rop);
        if (const auto* hatch = HatchOf(Brush.Style)) ink.Pattern = *hatch, ink.Patterned = true;
        surface.FillRect(in & EdgeRect(l, t, r, b), ink);
    }
    const TInk ink = surface.MakeInk(Pen.Color, rop);
    if (in.isEmpty()) {
        surface.FillRect(o, ink);
        return;
    }
    surface.FillRect(QRect(QPoint(o.left(), o.top()), QPoint(o.right(), in.top() - 1)), ink);
    surface.FillRect(QRect(QPoint(o.left(), in.bottom() + 1), QPoint(o.right(), o.bottom())), ink);
    surface.FillRect(QRect(QPoint(o.left(), in.top()), QPoint(in.left() - 1, in.bottom())), ink);
    surface.FillRect(QRect(QPoint(in.right() + 1, in.top()), QPoint(o.right(), in.bottom())), ink);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    if (NothingToDraw()) return;
    PaintEllipseFigure(*this, left, top, right, bottom, TArcKind::Full, {}, {},
                       std::make_pair(double(std::max(0, cornerWidth)), double(std::max(0, cornerHeight))));
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    if (NothingToDraw()) return;
    PaintEllipseFigure(*this, left, top, right, bottom, TArcKind::Full, {}, {}, std::nullopt);
}

void TCanvas::Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4)
{
    if (NothingToDraw()) return;
    PaintEllipseFigure(*this, left, top, right, bottom, TArcKind::Arc, QPointF(x3, y3), QPointF(x4, y4), std::nullopt);
}

void TCanvas::Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4)
{
    if (NothingToDraw()) return;
    PaintEllipseFigure(*this, left, top, right, bottom, TArcKind::Pie, QPointF(x3, y3), QPointF(x4, y4), std::nullopt);
}

void TCanvas::Chord(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4)
{
    if (NothingToDraw()) return;
    PaintEllipseFigure(*this, left, top, right, bottom, TArcKind::Chord, QPointF(x3, y3), QPointF(x4, y4),
                       std::nullopt);
}

void TCanvas::FillRect(const TRect& r)
{
    // The brush alone, copied whatever the pen mode, as a pattern fill does.
    if (Brush.Style == bsClear || NothingToDraw()) return;
    TSurface surface(owner_, hasClip_ ? &clip_ : nullptr);
    TInk ink = surface.MakeInk(Brush.Color, ropCopy);
    if (const auto* hatch = HatchOf(Brush.Style)) ink.Pattern = *hatch, ink.Patterned = true;
    surface.FillRect(EdgeRect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                              std::max(r.Top, r.Bottom)),
                     ink);
}

namespace {

// The four sides of a one-pixel frame as rectangles that never overlap.
std::vector<QRect> FrameSides(const TRect& r)
{
    const i64 l = std::min(r.Left, r.Right), rr = std::max(r.Left, r.Right);
    const i64 t = std::min(r.Top, r.Bottom), b = std::max(r.Top, r.Bottom);
    if (rr <= l || b <= t) return {};
    std::vector<QRect> sides{EdgeRect(l, t, rr, t + 1)};
    if (b - t > 1) sides.push_back(EdgeRect(l, b - 1, rr, b));
    if (b - t > 2) {
        sides.push_back(EdgeRect(l, t + 1, l + 1, b - 1));
        if (rr - l > 1) sides.push_back(EdgeRect(rr - 1, t + 1, rr, b - 1));
    }
    return sides;
}

} // namespace

void TCanvas::FrameRect(const TRect& r)
{
    if (Brush.Style == bsClear || NothingToDraw()) return;
    TSurface surface(owner_, hasClip_ ? &clip_ : nullptr);
    const TInk ink = surface.MakeInk(Brush.Color, ropCopy);
    for (const QRect& side : FrameSides(r)) surface.FillRect(side, ink);
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    if (NothingToDraw()) return;
    TSurface surface(owner_, hasClip_ ? &clip_ : nullptr);
    TInk ink = surface.MakeInvert();
    // Every other pixel, aligned to the bitmap so that neighbouring frames dot alike.
    ink.Pattern = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    ink.Patterned = true;
    for (const QRect& side : FrameSides(r)) surface.FillRect(side, ink);
}

int TCanvas::TextWidth(const std::string& text) { return TextExtent(text).cx; }

int TCanvas::TextHeight(const std::string& text) { return TextExtent(text).cy; }

TSize TCanvas::TextExtent(const std::string& text)
{
    const QFontMetrics fm(MakeFont(Font));
    return TSize{fm.horizontalAdvance(DecodeText(text)), fm.height()};
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    const QFont font = MakeFont(Font);
    const QFontMetrics fm(font);
    const QString s = DecodeText(text);
    const int width = fm.horizontalAdvance(s), height = fm.height();
    PenPos = {int(std::clamp<i64>(i64(x) + width, INT32_MIN, INT32_MAX)), y};
    if (s.isEmpty() || NothingToDraw()) return;

    // The text cell turned about its top-left corner; counter-clockwise on the screen.
    const double angle = Font.Escapement / 10.0 * M_PI / 180.0;
    const double ca = std::cos(angle), sa = std::sin(angle);
    auto turn = [&](double u, double v) { return QPointF(x + u * ca + v * sa, y - u * sa + v * ca); };
    // Italic and overhanging glyphs may leave the cell a little; the margin keeps them.
    const double m = height;
    const std::vector<QPointF> cell{turn(0, 0), turn(width, 0), turn(width, height), turn(0, height)};
    const std::vector<QPointF> reach{turn(-m, -m), turn(width + m, -m), turn(width + m, height + m), turn(-m, height + m)};
    double l = reach[0].x(), t = reach[0].y(), r = l, b = t;
    for (const QPointF& p : reach) l = std::min(l, p.x()), r = std::max(r, p.x()), t = std::min(t, p.y()), b = std::max(b, p.y());
    TFigurePainter fig(*this, EdgeRect(i64(std::floor(l)), i64(std::floor(t)), i64(std::ceil(r)), i64(std::ceil(b))));
    const bool opaque = Brush.Style == bsSolid;
    auto render = [&](TMask& mask) {
        if (opaque) FillPolygon(mask, cell, false, cvFill);
        QImage glyphs(mask.Area.size(), QImage::Format_Grayscale8);
        glyphs.fill(0);
        {
            QPainter p(&glyphs);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setRenderHint(QPainter::TextAntialiasing, false);
            p.setFont(font);
            p.setPen(Qt::white);
            p.translate(double(x) - mask.Area.left(), double(y) - mask.Area.top());
            p.rotate(-(Font.Escapement / 10.0));
            p.drawText(QPointF(0, fm.ascent()), s);
        }
        for (int yy = 0; yy < glyphs.height(); ++yy) {
            const uchar* g = glyphs.constScanLine(yy);
            for (int xx = 0; xx < glyphs.width(); ++xx)
                if (g[xx] >= 128) mask.Mark(mask.Area.left() + xx, mask.Area.top() + yy, cvPen);
        }
    };
    // Text is never combined by the pen mode: the font colour and background are copied.
    TSurface& surface = fig.Surface();
    const TInk background = surface.MakeInk(Brush.Color, ropCopy), ink = surface.MakeInk(Font.Color, ropCopy);
    fig.Run(render, [&](const TMask& mask) {
        if (opaque) surface.FillMask(mask, cvFill, cvPen, background);
        surface.FillMask(mask, cvPen, 0, ink);
    });
}

namespace {

// Copies the source rectangle (edges, right and bottom outside) into the destination rectangle
// by nearest neighbour; a reversed rectangle mirrors. Pixels of the transparent colour, and
// destination pixels whose source lies outside the source bitmap, are left alone.
void Transfer(TCanvas& canvas, i64 dl, i64 dt, i64 dr, i64 db, const TBitmap& source, i64 sl, i64 st, i64 sr,
              i64 sb, bool transparent, TBlitRop rop)
{
    if (source.Empty() || canvas.NothingToDraw()) return;
    const i64 dw = dr - dl, dh = db - dt, sw = sr - sl, sh = sb - st;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
    // Rows are read as blue, green, red; a copy is made when the source is in another format or
    // is the destination itself (overlapping copies must read the old pixels).
    std::optional<TBitmap> converted;
    const TBitmap* src = &source;
    if (source.PixelFormat() != pf24bit || &source == &canvas.Bitmap()) {
        converted.emplace(source);
        converted->SetPixelFormat(pf24bit);
        src = &*converted;
    }
    const TColor key = source.TransparentColor();
    const bool mirrorX = (dw < 0) != (sw < 0), mirrorY = (dh < 0) != (sh < 0);
    const i64 adw = std::abs(dw), adh = std::abs(dh), asw = std::abs(sw), ash = std::abs(sh);
    const i64 dLeft = std::min(dl, dr), dTop = std::min(dt, db), sLeft = std::min(sl, sr), sTop = std::min(st, sb);
    auto sourceCoord = [](i64 d, i64 dStart, i64 dLen, i64 sStart, i64 sLen, bool mirror) {
        i64 k = (static_cast<__int128>(d - dStart) * sLen / dLen);
        return mirror ? sStart + sLen - 1 - k : sStart + k;
    };
    TSurface surface(canvas.Bitmap(), canvas.HasClipRegion() ? &canvas.ClipRegion() : nullptr);
    std::vector<std::uint8_t> bgr, keep;
    std::vector<int> columns;
    surface.ForEachClipRect(EdgeRect(dLeft, dTop, dLeft + adw, dTop + adh), [&](const QRect& c) {
        const std::size_t w = static_cast<std::size_t>(c.width());
        bgr.assign(w * 3, 0);
        keep.assign(w, 0);
        // The source column of every destination column, -1 outside the source.
        columns.resize(w);
        for (std::size_t k = 0; k < w; ++k) {
            const i64 sx = sourceCoord(c.left() + i64(k), dLeft, adw, sLeft, asw, mirrorX);
            columns[k] = sx < 0 || sx >= src->Width() ? -1 : int(sx);
        }
        for (int y = c.top(); y <= c.bottom(); ++y) {
            const i64 sy = sourceCoord(y, dTop, adh, sTop, ash, mirrorY);
            if (sy < 0 || sy >= src->Height()) continue;
            const std::uint8_t* srow = src->ScanLine(int(sy));
            bool any = false;
            for (std::size_t k = 0; k < w; ++k) {
                keep[k] = 0;
                if (columns[k] < 0) continue;
                const std::uint8_t* p = srow + 3 * columns[k];
                if (transparent && RGB(p[2], p[1], p[0]) == (key & 0xFFFFFF)) continue;
                bgr[3 * k] = p[0], bgr[3 * k + 1] = p[1], bgr[3 * k + 2] = p[2];
                keep[k] = 1;
                any = true;
            }
            if (any) surface.BlitRow(y, c.left(), c.right() + 1, bgr.data(), keep.data(), rop);
        }
    });
}

} // namespace

void TCanvas::Draw(int x, int y, const TBitmap& src)
{
    Transfer(*this, x, y, i64(x) + src.Width(), i64(y) + src.Height(), src, 0, 0, src.Width(), src.Height(),
             src.Transparent(), BlitOf(CopyMode));
}

void TCanvas::CopyRect(const TRect& dest, const TBitmap& src, const TRect& source)
{
    Transfer(*this, dest.Left, dest.Top, dest.Right, dest.Bottom, src, source.Left, source.Top, source.Right,
             source.Bottom, false, BlitOf(CopyMode));
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap& src)
{
    Transfer(*this, dest.Left, dest.Top, dest.Right, dest.Bottom, src, 0, 0, src.Width(), src.Height(),
             src.Transparent(), BlitOf(CopyMode));
}

TColor TCanvas::Pixel(int x, int y) const { return owner_.GetPixel(x, y); }

void TCanvas::SetPixel(int x, int y, TColor color)
{
    if (x < 0 || y < 0 || x >= owner_.Width() || y >= owner_.Height()) return;
    if (hasClip_ && !clip_.contains(QPoint(x, y))) return;
    owner_.SetPixel(x, y, color);
}

void TCanvas::SetClipRegion(const QRegion& region)
{
    clip_ = region;
    hasClip_ = true;
}

void TCanvas::CombineClipRegion(const QRegion& region, TRegionCombine mode)
{
    // Without a clip region the whole bitmap is the region combined with.
    const QRegion current = hasClip_ ? clip_ : QRegion(0, 0, owner_.Width(), owner_.Height());
    switch (mode) {
    case rgnAnd: clip_ = current & region; break;
    case rgnOr: clip_ = current | region; break;
    case rgnXor: clip_ = current ^ region; break;
    case rgnDiff: clip_ = current - region; break;
    case rgnCopy: clip_ = region; break;
    }
    hasClip_ = true;
}

void TCanvas::ClearClipRegion()
{
    clip_ = QRegion();
    hasClip_ = false;
}

namespace {

// The pixels a filled figure covers, as a region. Only the quarter where bitmaps lie is kept
// (a region clips bitmap pixels, never negative ones), which bounds a huge figure's region.
template <typename F> QRegion FigureRegion(const QRect& extent, F&& fill)
{
    const QRect area = extent & QRect(0, 0, TBitmap::MaxSide, TBitmap::MaxSide);
    if (area.isEmpty()) return QRegion();
    TRegionSink sink(area);
    fill(sink);
    return sink.Region();
}

} // namespace

QRegion RectRegion(int left, int top, int right, int bottom)
{
    return QRegion(EdgeRect(std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)));
}

QRegion EllipticRegion(int left, int top, int right, int bottom)
{
    const int l = std::min(left, right), r = std::max(left, right), t = std::min(top, bottom), b = std::max(top, bottom);
    return FigureRegion(EdgeRect(l, t, r, b), [&](TSpanSink& s) { FillEllipse(s, l, t, r, b); });
}

QRegion RoundRectRegion(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    const int l = std::min(left, right), r = std::max(left, right), t = std::min(top, bottom), b = std::max(top, bottom);
    return FigureRegion(EdgeRect(l, t, r, b), [&](TSpanSink& s) {
        FillRoundRect(s, l, t, r, b, std::max(0, cornerWidth), std::max(0, cornerHeight));
    });
}

QRegion PolygonRegion(const std::vector<TPoint>& points, TPolyFillMode mode)
{
    if (points.size() < 3) return QRegion();
    return FigureRegion(PointsExtent(points, 0), [&](TSpanSink& s) {
        FillPolygon(s, PixelCentres(points), mode == pfmWinding);
    });
}
