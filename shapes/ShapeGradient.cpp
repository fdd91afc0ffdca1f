#include "shapes/ShapeGradient.h"

#include "shapes/ShapeMath.h"

#include <array>

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

// One band of a pattern in the control's own pixels: a brush-only rectangle, a pen-less figure
// or polygon, in the colour of its step.
struct TBand {
    enum TFigure { bdFillRect, bdRectangle, bdEllipse, bdRoundRect, bdPolygon } Figure = bdFillRect;
    int Step = 0;
    int Left = 0, Top = 0, Right = 0, Bottom = 0, CornerWidth = 0, CornerHeight = 0;
    std::array<TPoint, 8> Points{};
    int Count = 0;
};

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

// How the mirrored and exchanged variants turn their base pattern's points.
struct TMirror {
    bool FlipX = false, FlipY = false;
    int Width = 0, Height = 0;
    TPoint operator()(int x, int y) const { return {FlipX ? Width - 1 - x : x, FlipY ? Height - 1 - y : y}; }
};

// The divisor of the colour steps: 255, or half the size for the centre patterns.
int StepCount(TvekFillDirection direction, int width, int height)
{
    if (direction == vgdHorizCenter) return width / 2;
    if (direction == vgdVertCenter) return height / 2;
    return 255;
}

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
    case vgdNWSE:
    case vgdNESW:
    case vgdSENW:
    case vgdSWNE: {
        const TMirror m{direction == vgdNESW || direction == vgdSENW, direction == vgdSENW || direction == vgdSWNE,
                        width, height};
        const Fx d = (w + h) / 255;
        // Where the line x + y = p meets the top or right edge, and the left or bottom edge.
        auto top = [&](Fx p) { return p <= w ? m(Trunc(p), 0) : m(width - 1, Trunc(p - w)); };
        auto left = [&](Fx p) { return p <= h ? m(0, Trunc(p)) : m(Trunc(p - h), height - 1); };
        for (int i = 0; i < 255; ++i) {
            const Fx p0 = i * d, p1 = (i + 1) * d;
            visit(PolygonBand(i, {top(p0), top(p1), left(p1), left(p0)}));
        }
        break;
    }
    case vgdUright:
    case vgdULeft: {
        const TMirror m{direction == vgdULeft, false, width, height};
        const Fx sx = w / 255, sy = h / 2 / 255;
        for (int i = 0; i < 256; ++i) {
            const int x0 = Trunc(i * sx), x1 = Trunc((i + 1) * sx);
            const int t0 = Trunc(i * sy), t1 = Trunc((i + 1) * sy);
            const int b0 = Trunc(h - 1 - i * sy), b1 = Trunc(h - 1 - (i + 1) * sy);
            visit(PolygonBand(i, {m(width - 1, t0), m(x0, t0), m(x0, b0), m(width - 1, b0), m(width - 1, b1), m(x1, b1),
                                 m(x1, t1), m(width - 1, t1)}));
        }
        break;
    }
    case vgdUUp:
    case vgdUDown: {
        const TMirror m{false, direction == vgdUUp, width, height};
        const Fx sx = w / 2 / 255, sy = h / 255;
        for (int i = 0; i < 256; ++i) {
            const int y0 = Trunc(i * sy), y1 = Trunc((i + 1) * sy);
            const int l0 = Trunc(i * sx), l1 = Trunc((i + 1) * sx);
            const int r0 = Trunc(w - 1 - i * sx), r1 = Trunc(w - 1 - (i + 1) * sx);
            visit(PolygonBand(i, {m(l0, height - 1), m(l0, y0), m(r0, y0), m(r0, height - 1), m(r1, height - 1),
                                 m(r1, y1), m(l1, y1), m(l1, height - 1)}));
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
    case vgdLNE:
    case vgdLNW: {
        const TMirror m{direction == vgdLNW, false, width, height};
        const Fx sx = w / 255, sy = h / 255;
        for (int i = 0; i < 256; ++i) {
            const int x0 = Trunc(i * sx), x1 = Trunc((i + 1) * sx);
            const int y0 = Trunc(h - 1 - i * sy), y1 = Trunc(h - 1 - (i + 1) * sy);
            visit(PolygonBand(i, {m(x0, 0), m(x0, y0), m(width - 1, y0), m(width - 1, y1), m(x1, y1), m(x1, 0)}));
        }
        break;
    }
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

bool DrawsFiguresOnly(TvekFillDirection direction)
{
    switch (direction) {
    case vgdUp: case vgdDown: case vgdLeft: case vgdRight: case vgdRectOut: case vgdRectIn:
    case vgdHorizCenter: case vgdVertCenter: case vgdUpDown: case vgdLeftRight:
        return false;
    default:
        return true;
    }
}

} // namespace

void PaintGradient(TCanvas& canvas, TvekFillDirection direction, TColor brushColor, TColor gradientColor, int width,
                   int height, const TShapeTransform& t)
{
    // The patterns that grow out of the shape's edge start with the gradient colour.
    const bool fromGradient = direction == vgdDown || direction == vgdRight || direction == vgdRectOut ||
                              direction == vgdCircOut;
    const TColor start = (fromGradient ? gradientColor : brushColor) & 0xFFFFFF;
    const TColor end = (fromGradient ? brushColor : gradientColor) & 0xFFFFFF;
    const int steps = StepCount(direction, width, height);

    canvas.Pen.Style = psSolid;
    canvas.Pen.Mode = pmCopy;
    canvas.Brush.Style = bsSolid;
    if (DrawsFiguresOnly(direction)) canvas.Pen.Style = psClear;
    std::vector<TPoint> points;
    ForEachBand(direction, width, height, [&](const TBand& b) {
        canvas.Brush.Color = GradientStepColor(start, end, b.Step, steps);
        switch (b.Figure) {
        case TBand::bdFillRect: canvas.FillRect(Rect(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom))); break;
        case TBand::bdRectangle: canvas.Rectangle(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom)); break;
        case TBand::bdEllipse: canvas.Ellipse(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom)); break;
        case TBand::bdRoundRect:
            canvas.RoundRect(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom), t.SizeX(b.CornerWidth),
                             t.SizeY(b.CornerHeight));
            break;
        case TBand::bdPolygon:
            points.clear();
            for (int k = 0; k < b.Count; ++k) points.push_back({t.X(b.Points[k].X), t.Y(b.Points[k].Y)});
            canvas.Polygon(points);
            break;
        }
    });
    canvas.Pen.Style = psSolid;
}
