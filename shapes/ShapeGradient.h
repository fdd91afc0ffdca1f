#pragma once
#include "shapes/ShapePainter.h"

// The colour of step i of n between two colours: each channel start + MulDiv(i, end - start, n),
// modulo 256. Step 0 is the start colour, step n the end colour.
TColor GradientStepColor(TColor start, TColor end, int step, int steps);

// Fills the control rectangle (0, 0, width, height), mapped by the transform, with one gradient
// pattern from the brush colour to the gradient colour; the canvas clip region gives it its shape.
void PaintGradient(TCanvas& canvas, TvekFillDirection direction, TColor brushColor, TColor gradientColor, int width,
                   int height, const TShapeTransform& transform);
