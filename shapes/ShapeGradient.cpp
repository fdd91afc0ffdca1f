#include "shapes/ShapeGradient.h"

#include "platform/CanvasShapes.h"
#include "shapes/ShapeMath.h"

#include <algorithm>
#include <climits>
#include <cstdint>

using shapemath::MulDiv;
using shapemath::Trunc;

TColor GradientStepColor(TColor start, TColor end, int step, int steps)
{
    auto channel = [&](int shift) {
        const int a = int((start >> shift) & 0xFF), b = int((end >> shift) & 0xFF);
        return (a + MulDiv(step, b - a, steps)) & 0xFF;
    };
    return TColor(channel(0) | channel(8) << 8 | channel(16) << 16);
}

namespace {

using Fx = long double;
using TBand = TGradientBand;

TBand BoxBand(TBand::TFigure figure, int step, int left, int top, int right, int bottom)
{
    TBand b;
    b.Figure = figure, b.Step = step, b.Left = left, b.Top = top, b.Right = right, b.Bottom = bottom;
    return b;
}

TBand PolygonBand(int step, std::initializer_list<TPoint> points)
{
    TBand b;
    b.Figure = TBand::bdPolygon, b.Step = step;
    for (const TPoint& p : points) b.Points[b.Count++] = p;
    return b;
}

// A box of the mixed patterns: an ellipse, or a rectangle rounded by a quarter of its size (square
// at the first step).
TBand NestedBox(bool rounded, int step, int left, int top, int right, int bottom)
{
    TBand b = BoxBand(rounded ? TBand::bdRoundRect : TBand::bdEllipse, step, left, top, right, bottom);
    if (rounded && step > 0) b.CornerWidth = (right - left) / 4, b.CornerHeight = (bottom - top) / 4;
    return b;
}

TPoint P(int x, int y) { return {x, y}; }

// Calls visit(band) for every band of a pattern, in drawing order.
template <typename Visit> void ForEachBand(TvekFillDirection direction, int width, int height, Visit&& visit)
{
    const Fx w = width, h = height;
    switch (direction) {
    case vgdUp:
    case vgdDown:
        for (int i = 0; i < 256; ++i)
            visit(BoxBand(TBand::bdFillRect, i, 0, MulDiv(i, height, 256), width, MulDiv(i + 1, height, 256)));
        break;
    case vgdLeft:
    case vgdRight:
        for (int i = 0; i < 256; ++i)
            visit(BoxBand(TBand::bdFillRect, i, MulDiv(i, width, 256), 0, MulDiv(i + 1, width, 256), height));
        break;
    case vgdRectOut:
    case vgdRectIn:
    case vgdCircOut:
    case vgdCircIn: {
        const auto figure = direction == vgdRectOut || direction == vgdRectIn ? TBand::bdFillRect : TBand::bdEllipse;
        Fx l = 0, t = 0, r = w + 2, b = h + 2;
        const Fx dx = w / 2 / 255, dy = h / 2 / 255;
        for (int i = 0; i < 256; ++i) {
            l += dx, r -= dx, t += dy, b -= dy;
            visit(BoxBand(figure, i, Trunc(l), Trunc(t), Trunc(r), Trunc(b)));
        }
        break;
    }
    case vgdHorizCenter:
        for (int i = 0; i <= width / 2; ++i) {
            visit(BoxBand(TBand::bdFillRect, i, i, 0, i + 1, height));
            visit(BoxBand(TBand::bdFillRect, i, width - i - 1, 0, width - i, height));
        }
        break;
    case vgdVertCenter:
        for (int i = 0; i <= height / 2; ++i) {
            visit(BoxBand(TBand::bdFillRect, i, 0, i, width, i + 1));
            visit(BoxBand(TBand::bdFillRect, i, 0, height - i - 1, width, height - i));
        }
        break;
    case vgdNWSE: {
        const Fx d = (w + h) / 255;
        // Where the line x + y = p meets the top or right edge, and the left or bottom edge.
        auto top = [&](Fx p) { return p <= w ? P(Trunc(p), 0) : P(width - 1, Trunc(p - w)); };
        auto left = [&](Fx p) { return p <= h ? P(0, Trunc(p)) : P(Trunc(p - h), height - 1); };
        for (int i = 0; i < 255; ++i) {
            const Fx p0 = i * d, p1 = (i + 1) * d;
            visit(PolygonBand(i, {top(p0), top(p1), left(p1), left(p0)}));
        }
        break;
    }
    case vgdUright: {
        const Fx sx = w / 255, sy = h / 2 / 255;
        for (int i = 0; i < 256; ++i) {
            const int x0 = Trunc(i * sx), x1 = Trunc((i + 1) * sx);
            const int t0 = Trunc(i * sy), t1 = Trunc((i + 1) * sy);
            const int b0 = Trunc(h - 1 - i * sy), b1 = Trunc(h - 1 - (i + 1) * sy);
            visit(PolygonBand(i, {P(width - 1, t0), P(x0, t0), P(x0, b0), P(width - 1, b0), P(width - 1, b1), P(x1, b1),
                                 P(x1, t1), P(width - 1, t1)}));
        }
        break;
    }
    case vgdUDown: {
        const Fx sx = w / 2 / 255, sy = h / 255;
        for (int i = 0; i < 256; ++i) {
            const int y0 = Trunc(i * sy), y1 = Trunc((i + 1) * sy);
            const int l0 = Trunc(i * sx), l1 = Trunc((i + 1) * sx);
            const int r0 = Trunc(w - 1 - i * sx), r1 = Trunc(w - 1 - (i + 1) * sx);
            visit(PolygonBand(i, {P(l0, height - 1), P(l0, y0), P(r0, y0), P(r0, height - 1), P(r1, height - 1),
                                 P(r1, y1), P(l1, y1), P(l1, height - 1)}));
        }
        break;
    }
    case vgdRCMix:
    case vgdRCModulo: {
        const Fx sx = w / 2 / 255, sy = h / 2 / 255;
        for (int i = 0; i < 256; ++i) {
            const bool rounded = direction == vgdRCMix ? i <= 62 : i % 10 == 0;
            visit(NestedBox(rounded, i, Trunc(i * sx), Trunc(i * sy), Trunc(w - i * sx), Trunc(h - 1 - i * sy)));
        }
        break;
    }
    case vgdQuatro: {
        const int w2 = width / 2, h2 = height / 2;
        for (int i = 0; i < 256; ++i) {
            const Fx a = i * w / 4 / 255, b = i * h / 4 / 255;
            visit(BoxBand(TBand::bdRectangle, i, Trunc(a), Trunc(b), Trunc(w2 + 1 - a), Trunc(h2 + 1 - b)));
            visit(BoxBand(TBand::bdRectangle, i, Trunc(a + w2 - 1), Trunc(b), Trunc(w - 1 - a), Trunc(h2 + 1 - b)));
            visit(BoxBand(TBand::bdRectangle, i, Trunc(a), Trunc(b + h2 - 1), Trunc(w2 + 1 - a), Trunc(h - 1 - b)));
            visit(BoxBand(TBand::bdRectangle, i, Trunc(a + w2 - 1), Trunc(b + h2 - 1), Trunc(w - 1 - a), Trunc(h - 1 - b)));
        }
        break;
    }
    case vgdDuo: {
        const int w2 = width / 2;
        for (int i = 0; i < 256; ++i) {
            const Fx a = i * w / 4 / 255, b = i * h / 2 / 255;
            visit(BoxBand(TBand::bdRectangle, i, Trunc(a), Trunc(b), Trunc(w2 + 1 - a), Trunc(h - 1 - b)));
            visit(BoxBand(TBand::bdRectangle, i, Trunc(a + w2 - 1), Trunc(b), Trunc(w - 1 - a), Trunc(h - 1 - b)));
        }
        break;
    }
    case vgdLNE: {
        const Fx sx = w / 255, sy = h / 255;
        for (int i = 0; i < 256; ++i) {
            const int x0 = Trunc(i * sx), x1 = Trunc((i + 1) * sx);
            const int y0 = Trunc(h - 1 - i * sy), y1 = Trunc(h - 1 - (i + 1) * sy);
            visit(PolygonBand(i, {P(x0, 0), P(x0, y0), P(width - 1, y0), P(width - 1, y1), P(x1, y1), P(x1, 0)}));
        }
        break;
    }
    case vgdNESW:
    case vgdSENW:
    case vgdSWNE:
    case vgdULeft:
    case vgdUUp:
    case vgdLNW:
        break; // turned over from their base pattern
    case vgdUpDown: {
        const Fx s = h / 255;
        for (int i = 0; i < 256; ++i) {
            visit(BoxBand(TBand::bdFillRect, i, 0, Trunc(i * s), width / 2, Trunc(i * s + s)));
            visit(BoxBand(TBand::bdFillRect, i, width / 2, Trunc(h - 1 - i * s - s), width - 1, Trunc(h - 1 - i * s)));
        }
        break;
    }
    case vgdLeftRight: {
        const Fx s = w / 255;
        for (int i = 0; i < 256; ++i) {
            visit(BoxBand(TBand::bdFillRect, i, Trunc(i * s), 0, Trunc(i * s + s), height / 2));
            visit(BoxBand(TBand::bdFillRect, i, Trunc(w - 1 - i * s - s), height / 2, Trunc(w - 1 - i * s), height - 1));
        }
        break;
    }
    }
}

} // namespace

TGradientLayout GradientLayout(TvekFillDirection direction, TColor brushColor, TColor gradientColor, int width,
                               int height)
{
    TGradientLayout g{direction, false, false, 0, 0, 255, false};
    switch (direction) {
    case vgdNESW: g.Base = vgdNWSE, g.FlipX = true; break;
    case vgdSENW: g.Base = vgdNWSE, g.FlipX = g.FlipY = true; break;
    case vgdSWNE: g.Base = vgdNWSE, g.FlipY = true; break;
    case vgdULeft: g.Base = vgdUright, g.FlipX = true; break;
    case vgdUUp: g.Base = vgdUDown, g.FlipY = true; break;
    case vgdLNW: g.Base = vgdLNE, g.FlipX = true; break;
    default: break;
    }
    // The patterns that grow out of the shape's edge start with the gradient colour.
    const bool fromGradient = direction == vgdDown || direction == vgdRight || direction == vgdRectOut ||
                              direction == vgdCircOut;
    g.Start = (fromGradient ? gradientColor : brushColor) & 0xFFFFFF;
    g.End = (fromGradient ? brushColor : gradientColor) & 0xFFFFFF;
    g.Nested = direction == vgdRectOut || direction == vgdRectIn || direction == vgdCircOut || direction == vgdCircIn ||
               direction == vgdRCMix || direction == vgdRCModulo || direction == vgdQuatro || direction == vgdDuo;
    if (direction == vgdHorizCenter) g.Steps = width / 2;
    if (direction == vgdVertCenter) g.Steps = height / 2;
    return g;
}

void ForEachGradientBand(TvekFillDirection base, int width, int height,
                         const std::function<void(const TGradientBand&)>& visit)
{
    ForEachBand(base, width, height, visit);
}

namespace {

using canvas::TSpanSink;

// The step shown by each pixel of a window of the target. Bands that lie side by side are written
// in their order; nested bands would write the middle hundreds of times, so they are painted from
// the last band to the first instead and every pixel is written once: a row keeps the runs already
// painted, and a band fills only what lies outside them.
class TStepMap {
public:
    TStepMap(const QRect& window, bool lastFirst)
        : window_(window), steps_(std::size_t(window.width()) * window.height(), -1),
          runs_(lastFirst ? window.height() : 0), lastFirst_(lastFirst)
    {
    }
    bool LastFirst() const { return lastFirst_; }
    const QRect& Window() const { return window_; }
    const std::int32_t* Row(int y) const { return steps_.data() + std::size_t(y - window_.top()) * window_.width(); }

    void Paint(int y, int x0, int x1, std::int32_t step)
    {
        x0 = std::max(x0, window_.left()), x1 = std::min(x1, window_.right());
        if (x0 > x1) return;
        if (!lastFirst_) {
            std::int32_t* row = steps_.data() + std::size_t(y - window_.top()) * window_.width() - window_.left();
            std::fill(row + x0, row + x1 + 1, step);
            return;
        }
        std::vector<std::pair<int, int>>& runs = runs_[y - window_.top()];
        std::int32_t* row = steps_.data() + std::size_t(y - window_.top()) * window_.width() - window_.left();
        int pos = x0;
        std::size_t first = runs.size(), last = 0; // the runs the new one touches
        for (std::size_t k = 0; k < runs.size(); ++k) {
            const auto [a, b] = runs[k];
            if (b < x0 - 1) continue;
            if (a > x1 + 1) break;
            first = std::min(first, k), last = k;
            if (a > pos) std::fill(row + pos, row + std::min(a, x1 + 1), step);
            pos = std::max(pos, b + 1);
        }
        if (pos <= x1) std::fill(row + pos, row + x1 + 1, step);
        if (first == runs.size()) {
            auto at = std::lower_bound(runs.begin(), runs.end(), std::make_pair(x0, x1));
            runs.insert(at, {x0, x1});
        } else {
            runs[first] = {std::min(x0, runs[first].first), std::max(x1, runs[last].second)};
            runs.erase(runs.begin() + first + 1, runs.begin() + last + 1);
        }
    }

private:
    QRect window_;
    std::vector<std::int32_t> steps_;
    std::vector<std::vector<std::pair<int, int>>> runs_;
    bool lastFirst_;
};

class TStepSink : public TSpanSink {
public:
    TStepSink(TStepMap& map, std::int32_t step) : TSpanSink(map.Window()), map_(map), step_(step) {}
    void Span(int y, int x0, int x1) override { map_.Paint(y, x0, x1, step_); }

private:
    TStepMap& map_;
    std::int32_t step_;
};

// A band mapped into the target, with the pixel rules the canvas gives its figures: rectangles and
// figures without pen leave their right and bottom edge out, polygons take the pixels whose centres
// lie inside (alternate rule), brush rectangles their whole box.
struct TMappedBand {
    TGradientBand::TFigure Figure;
    std::int32_t Step;
    int Left, Top, Right, Bottom, CornerWidth, CornerHeight;
    std::vector<QPointF> Centres;
    QRect Extent; // the pixels the band may cover
};

TMappedBand MapBand(const TGradientBand& b, const TShapeTransform& t)
{
    TMappedBand m{b.Figure, std::int32_t(b.Step), 0, 0, 0, 0, t.SizeX(b.CornerWidth), t.SizeY(b.CornerHeight), {}, {}};
    if (b.Figure == TGradientBand::bdPolygon) {
        int l = INT_MAX, r = INT_MIN, tp = INT_MAX, bt = INT_MIN;
        for (int k = 0; k < b.Count; ++k) {
            const int x = t.X(b.Points[k].X), y = t.Y(b.Points[k].Y);
            m.Centres.emplace_back(x + 0.5, y + 0.5);
            l = std::min(l, x), r = std::max(r, x), tp = std::min(tp, y), bt = std::max(bt, y);
        }
        if (b.Count >= 3) m.Extent = QRect(QPoint(l, tp), QPoint(r, bt));
        return m;
    }
    const int x0 = t.X(b.Left), x1 = t.X(b.Right), y0 = t.Y(b.Top), y1 = t.Y(b.Bottom);
    m.Left = std::min(x0, x1), m.Right = std::max(x0, x1), m.Top = std::min(y0, y1), m.Bottom = std::max(y0, y1);
    // Brush rectangles cover their box; pen-less figures one pixel less on the right and bottom.
    const int cut = b.Figure == TGradientBand::bdFillRect ? 0 : 1;
    if (m.Right - cut > m.Left && m.Bottom - cut > m.Top && (cut == 0 || (m.Right > m.Left && m.Bottom > m.Top)))
        m.Extent = QRect(QPoint(m.Left, m.Top), QPoint(m.Right - 1 - cut, m.Bottom - 1 - cut));
    return m;
}

void RasterizeBand(const TMappedBand& m, TStepMap& map)
{
    if (m.Extent.isEmpty() || !m.Extent.intersects(map.Window())) return;
    TStepSink sink(map, m.Step);
    const double l = m.Left, tp = m.Top, r = m.Right, b = m.Bottom;
    switch (m.Figure) {
    case TGradientBand::bdFillRect:
    case TGradientBand::bdRectangle: {
        const QRect box = m.Extent & map.Window();
        for (int y = box.top(); y <= box.bottom(); ++y) map.Paint(y, box.left(), box.right(), m.Step);
        break;
    }
    case TGradientBand::bdEllipse: canvas::FillEllipse(sink, l, tp, r - 1, b - 1); break;
    case TGradientBand::bdRoundRect:
        canvas::FillRoundRect(sink, l, tp, r - 1, b - 1, std::max(0, m.CornerWidth), std::max(0, m.CornerHeight));
        break;
    case TGradientBand::bdPolygon: canvas::FillPolygon(sink, m.Centres, false); break;
    }
}

} // namespace

void PaintGradient(TCanvas& canvas, TvekFillDirection direction, TColor brushColor, TColor gradientColor, int width,
                   int height, const TShapeTransform& t)
{
    const TGradientLayout layout = GradientLayout(direction, brushColor, gradientColor, width, height);
    // The pen and brush the bands leave on the canvas.
    canvas.Pen.Style = psSolid;
    canvas.Pen.Mode = pmCopy;
    canvas.Brush.Style = bsSolid;
    if (canvas.NothingToDraw()) return;

    std::vector<TMappedBand> bands;
    QRect extent;
    ForEachBand(layout.Base, width, height, [&](const TGradientBand& b) {
        bands.push_back(MapBand(b, t));
        extent |= bands.back().Extent;
    });
    if (bands.empty()) return;
    canvas.Brush.Color = GradientStepColor(layout.Start, layout.End, bands.back().Step, layout.Steps);

    // A turned pattern shows the base pattern mirrored about the control's mapped rectangle.
    const std::int64_t sumX = std::int64_t(t.X(0)) + t.X(width) - 1, sumY = std::int64_t(t.Y(0)) + t.Y(height) - 1;
    auto mirror = [&](const QRect& r) {
        if (r.isEmpty()) return r;
        const std::int64_t l = layout.FlipX ? sumX - r.right() : r.left(), rr = layout.FlipX ? sumX - r.left() : r.right();
        const std::int64_t tp = layout.FlipY ? sumY - r.bottom() : r.top(), b = layout.FlipY ? sumY - r.top() : r.bottom();
        constexpr std::int64_t lim = std::int64_t(1) << 30;
        if (rr < -lim || l > lim || b < -lim || tp > lim) return QRect();
        return QRect(QPoint(int(std::max(l, -lim)), int(std::max(tp, -lim))), QPoint(int(std::min(rr, lim)), int(std::min(b, lim))));
    };
    canvas::TSurface surface(canvas.Bitmap(), canvas.HasClipRegion() ? &canvas.ClipRegion() : nullptr);
    const QRect window = mirror(extent) & surface.Bounds();
    if (window.isEmpty()) return;

    int lastStep = 0;
    for (const TMappedBand& b : bands) lastStep = std::max<int>(lastStep, b.Step);
    std::vector<std::uint8_t> colours(3 * (std::size_t(lastStep) + 1));
    for (int i = 0; i <= lastStep; ++i) {
        const TColor c = GradientStepColor(layout.Start, layout.End, i, layout.Steps);
        colours[3 * i] = GetBValue(c), colours[3 * i + 1] = GetGValue(c), colours[3 * i + 2] = GetRValue(c);
    }
    // Rows go in slices of about a million pixels, so that a large picture needs no large map.
    const int sliceRows = std::max(1, (1 << 20) / window.width());
    std::vector<std::uint8_t> bgr, keep;
    for (int top = window.top(); top <= window.bottom(); top += sliceRows) {
        const QRect slice(QPoint(window.left(), top), QPoint(window.right(), std::min(window.bottom(), top + sliceRows - 1)));
        TStepMap map(mirror(slice), layout.Nested);
        if (map.LastFirst())
            for (auto it = bands.rbegin(); it != bands.rend(); ++it) RasterizeBand(*it, map);
        else
            for (const TMappedBand& b : bands) RasterizeBand(b, map);
        surface.ForEachClipRect(slice, [&](const QRect& c) {
            const std::size_t w = std::size_t(c.width());
            bgr.resize(3 * w), keep.resize(w);
            for (int y = c.top(); y <= c.bottom(); ++y) {
                const std::int32_t* steps = map.Row(layout.FlipY ? int(sumY - y) : y);
                bool any = false;
                for (std::size_t k = 0; k < w; ++k) {
                    const int x = c.left() + int(k);
                    const int s = steps[(layout.FlipX ? int(sumX - x) : x) - map.Window().left()];
                    keep[k] = s >= 0;
                    if (s < 0) continue;
                    any = true;
                    std::copy_n(&colours[3 * std::size_t(s)], 3, &bgr[3 * k]);
                }
                if (any) surface.BlitRow(y, c.left(), c.right() + 1, bgr.data(), keep.data(), canvas::blitCopy);
            }
        });
    }
}
