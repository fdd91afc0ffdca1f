#include "shapes/ShapePainter.h"

#include "shapes/ShapeGradient.h"
#include "shapes/ShapeMath.h"

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

// The caption goes through a white bitmap of the control's size, drawn with white transparent:
// it is clipped to the control, and white text does not show.
void DrawCaption(const TvekShape& shape, TCanvas& canvas, const TShapeTransform& t, const TDrawingBox& box)
{
    if (shape.Caption().empty()) return;
    const int bw = t.SizeX(shape.Width()), bh = t.SizeY(shape.Height());
    if (bw <= 0 || bh <= 0) return;
    // Only the part of the control's bitmap that lands on the target can show.
    const std::int64_t vx0 = std::max<std::int64_t>(0, -std::int64_t(t.OffsetX));
    const std::int64_t vy0 = std::max<std::int64_t>(0, -std::int64_t(t.OffsetY));
    const std::int64_t vx1 = std::min<std::int64_t>(bw, std::int64_t(canvas.Bitmap().Width()) - t.OffsetX);
    const std::int64_t vy1 = std::min<std::int64_t>(bh, std::int64_t(canvas.Bitmap().Height()) - t.OffsetY);
    if (vx1 <= vx0 || vy1 <= vy0) return;

    const TFont& font = shape.Font();
    const int height = t.SizeY(FontPixelHeight(font));
    TBitmap bitmap(int(vx1 - vx0), int(vy1 - vy0));
    TCanvas& c = bitmap.Canvas();
    c.Brush = TBrush{clWhite, bsSolid};
    c.FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));

    TFont measure = font;
    measure.Height = height;
    measure.Escapement = 0;
    c.Font = measure;
    const TSize extent = c.TextExtent(shape.Caption());
    int x, y;
    if (shape.CaptionCentered()) {
        // The box edges in the control's own pixels, wherever the pass puts the control.
        x = extent.cx <= std::int64_t(box.R) - t.OffsetX ? (bw - extent.cx) / 2 : 5;
        y = extent.cy <= std::int64_t(box.B) - t.OffsetY ? (bh - extent.cy) / 2 : 5;
    } else {
        x = t.SizeX(shape.CaptionX());
        y = t.SizeY(shape.CaptionY());
    }

    TFont draw;
    draw.Name = font.Name;
    draw.Height = std::abs(height);
    draw.CellHeight = true;
    draw.Style = font.Style & (fsBold | fsItalic | fsUnderline);
    draw.Escapement = shape.CaptionAngle() % 360 * 10;
    draw.Color = font.Color;
    c.Font = draw;
    c.Brush.Style = bsClear;
    c.TextOut(ClampInt(x - vx0), ClampInt(y - vy0), shape.Caption());

    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(clWhite);
    canvas.Draw(ClampInt(t.OffsetX + vx0), ClampInt(t.OffsetY + vy0), bitmap);
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
