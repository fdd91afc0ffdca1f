#include "shapes/ShapePainter.h"

#include "shapes/ShapeGradient.h"
#include "shapes/ShapeMath.h"

#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using shapemath::ClampInt;
using shapemath::Round;

int TShapeTransform::X(long double x) const { return ClampInt(std::int64_t(Round(x * ScaleX)) + OffsetX); }
int TShapeTransform::Y(long double y) const { return ClampInt(std::int64_t(Round(y * ScaleY)) + OffsetY); }
int TShapeTransform::SizeX(long double w) const { return Round(w * ScaleX); }
int TShapeTransform::SizeY(long double h) const { return Round(h * ScaleY); }

TDrawingBox ShapeDrawingBox(const TvekShape& shape, const TShapeTransform& t)
{
    TDrawingBox b{};
    const int p = shape.Pen().Width;
    // The pen is centred on the outline, so the box keeps half of it inside the control.
    b.L = t.X(p / 2);
    b.T = t.Y(p / 2);
    const std::int64_t w = p == 0 ? shape.Width() : std::int64_t(shape.Width()) - p + 1;
    const std::int64_t h = p == 0 ? shape.Height() : std::int64_t(shape.Height()) - p + 1;
    b.W = t.SizeX(w);
    b.H = t.SizeY(h);
    b.S = std::min(b.W, b.H);
    const TvekShapeType kind = shape.Shape();
    if (kind == vstSquare || kind == vstRoundSquare || kind == vstCircle) {
        b.L = ClampInt(std::int64_t(b.L) + (std::int64_t(b.W) - b.S) / 2);
        b.T = ClampInt(std::int64_t(b.T) + (std::int64_t(b.H) - b.S) / 2);
        b.W = b.H = b.S;
    }
    b.W2 = b.W / 2, b.W3 = b.W / 3, b.W4 = b.W / 4, b.W8 = b.W / 8, b.W16 = b.W / 16;
    b.H2 = b.H / 2, b.H3 = b.H / 3, b.H4 = b.H / 4, b.H8 = b.H / 8, b.H16 = b.H / 16;
    b.R = ClampInt(std::int64_t(b.L) + b.W - Round(t.ScaleX));
    b.B = ClampInt(std::int64_t(b.T) + b.H - Round(t.ScaleY));
    return b;
}

namespace {

void DrawFigure(TCanvas& canvas, const TShapeFigure& f)
{
    const std::vector<int>& a = f.Args;
    switch (f.Kind) {
    case TShapeFigure::fgRectangle: canvas.Rectangle(a[0], a[1], a[2], a[3]); break;
    case TShapeFigure::fgRoundRect: canvas.RoundRect(a[0], a[1], a[2], a[3], a[4], a[5]); break;
    case TShapeFigure::fgEllipse: canvas.Ellipse(a[0], a[1], a[2], a[3]); break;
    case TShapeFigure::fgPie: canvas.Pie(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]); break;
    case TShapeFigure::fgPolygon: canvas.Polygon(f.Points); break;
    case TShapeFigure::fgPolyline: canvas.Polyline(f.Points); break;
    }
}

// The character height of a font in pixels, as its size at 96 dots an inch gives it.
int FontPixelHeight(const TFont& font)
{
    if (font.Height != 0) return std::abs(font.Height);
    return ClampInt((std::abs(std::int64_t(font.Size)) * 96 + 36) / 72);
}

// The bounding box of a text cell of the given size turned about its top-left corner (x, y), with
// the margin the canvas allows for overhanging glyphs.
QRect TurnedReach(int x, int y, TSize cell, int angleTenths)
{
    const double angle = angleTenths / 10.0 * M_PI / 180.0, ca = std::cos(angle), sa = std::sin(angle);
    const double m = cell.cy + 2;
    double l = 1e18, t = 1e18, r = -1e18, b = -1e18;
    for (double u : {-m, cell.cx + m})
        for (double v : {-m, cell.cy + m}) {
            const double px = x + u * ca + v * sa, py = y - u * sa + v * ca;
            l = std::min(l, px), r = std::max(r, px), t = std::min(t, py), b = std::max(b, py);
        }
    constexpr double lim = 1 << 30;
    return QRect(QPoint(int(std::clamp(std::floor(l), -lim, lim)), int(std::clamp(std::floor(t), -lim, lim))),
                 QPoint(int(std::clamp(std::ceil(r), -lim, lim)), int(std::clamp(std::ceil(b), -lim, lim))));
}

// The caption goes through a white bitmap of the control's size, drawn with white transparent:
// it is clipped to the control, and white text does not show. Only the part of that bitmap that
// the text can reach and that lands on the target is made.
void DrawCaption(const TvekShape& shape, TCanvas& canvas, const TShapeTransform& t, const TDrawingBox& box)
{
    if (shape.Caption().empty()) return;
    const int bw = t.SizeX(shape.Width()), bh = t.SizeY(shape.Height());
    if (bw <= 0 || bh <= 0) return;
    const QRect visible = QRect(0, 0, bw, bh) &
                          QRect(QPoint(int(std::clamp<std::int64_t>(-std::int64_t(t.OffsetX), 0, bw)),
                                       int(std::clamp<std::int64_t>(-std::int64_t(t.OffsetY), 0, bh))),
                                QPoint(int(std::clamp<std::int64_t>(std::int64_t(canvas.Bitmap().Width()) - t.OffsetX - 1, -1, bw)),
                                       int(std::clamp<std::int64_t>(std::int64_t(canvas.Bitmap().Height()) - t.OffsetY - 1, -1, bh))));
    if (visible.isEmpty()) return;

    const TFont& font = shape.Font();
    const int height = t.SizeY(FontPixelHeight(font));
    TBitmap scratch(1, 1);
    TCanvas& measure = scratch.Canvas();
    measure.Font = font;
    measure.Font.Height = height;
    measure.Font.Escapement = 0;
    const TSize extent = measure.TextExtent(shape.Caption());
    int x, y;
    if (shape.CaptionCentered()) {
        // The box edges in the control's own pixels, wherever the pass puts the control.
        x = extent.cx <= std::int64_t(box.R) - t.OffsetX ? (bw - extent.cx) / 2 : 5;
        y = extent.cy <= std::int64_t(box.B) - t.OffsetY ? (bh - extent.cy) / 2 : 5;
    } else {
        x = t.SizeX(shape.CaptionX());
        y = t.SizeY(shape.CaptionY());
    }

    // Drawn with a font of that cell height, turned by the caption angle.
    TFont draw;
    draw.Name = font.Name;
    draw.Height = std::abs(height);
    draw.CellHeight = true;
    draw.Style = font.Style & (fsBold | fsItalic | fsUnderline);
    draw.Escapement = shape.CaptionAngle() % 360 * 10;
    draw.Color = font.Color;
    measure.Font = draw;
    const QRect part = visible & TurnedReach(x, y, measure.TextExtent(shape.Caption()), draw.Escapement);
    if (part.isEmpty()) return;

    TBitmap bitmap(part.width(), part.height());
    TCanvas& c = bitmap.Canvas();
    c.Brush = TBrush{clWhite, bsSolid};
    c.FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
    c.Font = draw;
    c.Brush.Style = bsClear;
    c.TextOut(x - part.left(), y - part.top(), shape.Caption());
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(clWhite);
    canvas.Draw(ClampInt(std::int64_t(t.OffsetX) + part.left()), ClampInt(std::int64_t(t.OffsetY) + part.top()), bitmap);
}

void DrawSelectionMarker(TCanvas& canvas, const TDrawingBox& box)
{
    const int cx = ClampInt(std::int64_t(box.L) + box.W2), cy = ClampInt(std::int64_t(box.T) + box.H2);
    canvas.Brush.Color = clRed;
    canvas.Brush.Style = bsSolid;
    canvas.Pen.Color = clBlack;
    canvas.Rectangle(cx - 4, cy - 4, cx + 4, cy + 4);
}

} // namespace

void PaintShape(TvekShape& shape, TCanvas& canvas, const TShapeTransform& t, bool onScreen)
{
    canvas.Pen = shape.Pen();
    canvas.Brush = shape.Brush();
    canvas.PolyFillMode = pfmAlternate;
    const TDrawingBox box = ShapeDrawingBox(shape, t);
    const std::vector<TShapeFigure> outline = ShapeOutline(shape, box);
    // An open user line is never filled.
    const bool openLine = shape.Shape() == vstUser && shape.PolyLineMode();
    if (shape.Gradient() && !openLine) {
        canvas.Brush.Style = bsSolid;
        // The host's own clip stays in force under the shape's and comes back afterwards.
        const bool hadClip = canvas.HasClipRegion();
        const QRegion hostClip = canvas.ClipRegion();
        canvas.CombineClipRegion(ShapeClipRegion(shape, box), hadClip ? rgnAnd : rgnCopy);
        PaintGradient(canvas, shape.FillDirection(), shape.Brush().Color, shape.GradientColor(), shape.Width(),
                      shape.Height(), t);
        if (hadClip)
            canvas.SetClipRegion(hostClip);
        else
            canvas.ClearClipRegion();
        canvas.Brush.Style = bsClear;
        canvas.Pen.Color = shape.Pen().Color;
        canvas.Pen.Width = shape.Pen().Width;
        canvas.Pen.Style = shape.Pen().Style;
    }
    for (const TShapeFigure& f : outline) DrawFigure(canvas, f);

    if (!shape.byUser())
        DrawCaption(shape, canvas, t, box);
    else if (shape.onUserDraw)
        shape.onUserDraw(shape);
    if (onScreen && shape.Selected()) DrawSelectionMarker(canvas, box);
}
