#pragma once
#include "shapes/TvekShape.h"

#include <QRegion>

#include <vector>

// Where one paint pass puts a shape: positions map to Round(v * Scale) + Offset, sizes to
// Round(v * Scale). Offset (0, 0) with scale 1 is the shape's own pixels.
struct TShapeTransform {
    int OffsetX = 0;
    int OffsetY = 0;
    long double ScaleX = 1;
    long double ScaleY = 1;
    int X(long double x) const;
    int Y(long double y) const;
    int SizeX(long double w) const;
    int SizeY(long double h) const;
};

// The box every outline is derived from: left and top, width and height, the fractions of the
// size, and R and B, the last column and row inside the box at scale 1.
struct TDrawingBox {
    int L, T, W, H, S;
    int W2, W3, W4, W8, W16;
    int H2, H3, H4, H8, H16;
    int R, B;
};

TDrawingBox ShapeDrawingBox(const TvekShape& shape, const TShapeTransform& transform);

// One canvas operation of an outline, with its box or points evaluated.
struct TShapeFigure {
    enum TKind { fgRectangle, fgRoundRect, fgEllipse, fgPie, fgPolygon, fgPolyline } Kind;
    std::vector<int> Args;         // left, top, right, bottom[, corner width, height | pie points]
    std::vector<TPoint> Points;    // polygons and lines
    TRegionCombine Combine = rgnCopy; // how a clip figure joins the region built so far
};

// The outline operations of the shape's kind, in drawing order, and the figures whose regions
// make its gradient clip.
std::vector<TShapeFigure> ShapeOutline(const TvekShape& shape, const TDrawingBox& box);
std::vector<TShapeFigure> ShapeClipFigures(const TvekShape& shape, const TDrawingBox& box);
QRegion ShapeClipRegion(const TvekShape& shape, const TDrawingBox& box);

// One paint pass of the shape onto a canvas; the selection marker only on screen.
void PaintShape(TvekShape& shape, TCanvas& canvas, const TShapeTransform& transform, bool onScreen);
