#pragma once
#include "shapes/ShapePainter.h"

#include <array>
#include <functional>

// The colour of step i of n between two colours: each channel start + MulDiv(i, end - start, n),
// modulo 256. Step 0 is the start colour, step n the end colour.
TColor GradientStepColor(TColor start, TColor end, int step, int steps);

// One band of a gradient pattern in the control's own pixels, drawn in the colour of its step:
// a brush-only rectangle, or a figure without pen (rectangle, ellipse, rounded rectangle, polygon).
struct TGradientBand {
    enum TFigure { bdFillRect, bdRectangle, bdEllipse, bdRoundRect, bdPolygon } Figure = bdFillRect;
    int Step = 0;
    int Left = 0, Top = 0, Right = 0, Bottom = 0, CornerWidth = 0, CornerHeight = 0;
    std::array<TPoint, 8> Points{};
    int Count = 0;
};

// A pattern as the bands of a base pattern, turned over left to right and/or top to bottom.
struct TGradientLayout {
    TvekFillDirection Base;
    bool FlipX, FlipY;
    TColor Start, End; // the colours of step 0 and of the last step
    int Steps;         // the divisor of the steps
    bool Nested;       // each band lies inside the one before
};
TGradientLayout GradientLayout(TvekFillDirection direction, TColor brushColor, TColor gradientColor, int width,
                               int height);
// The bands of a base pattern (one that GradientLayout gives as Base), in drawing order.
void ForEachGradientBand(TvekFillDirection base, int width, int height,
                         const std::function<void(const TGradientBand&)>& visit);

// Fills the control rectangle (0, 0, width, height), mapped by the transform, with one gradient
// pattern from the brush colour to the gradient colour; the canvas clip region gives it its shape.
void PaintGradient(TCanvas& canvas, TvekFillDirection direction, TColor brushColor, TColor gradientColor, int width,
                   int height, const TShapeTransform& transform);
