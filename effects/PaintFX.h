#pragma once
#include "platform/TBitmap.h"
#include "platform/TCanvas.h"
#include "platform/TColor.h"

#include <cstdint>
#include <string>

// A resampling filter: weight for a distance; zero beyond its support. All are even in x.
using TFilterFunction = float (*)(float);

float BoxFilter(float x);      // support 0.5
float TriangleFilter(float x); // support 1
float HermiteFilter(float x);  // support 1
float BellFilter(float x);     // support 1.5
float SplineFilter(float x);   // B-spline, support 2
float MitchellFilter(float x); // B = C = 1/3, support 2
float SincFilter(float x);     // no support of its own
float Lanczos3Filter(float x); // support 3

// The 3 x 3 kernels of ApplyFilter.
enum TFilterKind {
    fkLaplace,
    fkHighPass,
    fkFindEdges,
    fkSharpen,
    fkEdgeEnhance,
    fkColorEmboss,
    fkSoften,
    fkBlur,
    fkSoftenLess
};

// How ApplyFilter finds the neighbours of pixels on the image edge.
enum TConvolveBorder { cbWrap, cbReplicate, cbSkipBorder };

// The image effects. Stateless: every depth, weight, size or colour is an argument. Effects work on
// 24-bit bitmaps (blue, green, red); the operations that say so convert their bitmaps first, the
// others expect the caller to have done it. Integer division truncates toward zero, Round takes
// halves to the even neighbour, exactly as the stored results of the system have always had it.
class TvekPaintFX {
public:
    // Point operations.
    void Lighter(TBitmap& bitmap, int amount);
    void Darker(TBitmap& bitmap, int amount);
    void Contrast(TBitmap& bitmap, int amount);
    void Saturation(TBitmap& bitmap, int amount);
    void GrayScale(TBitmap& bitmap);
    void Invert(TBitmap& bitmap);
    void Posterize(TBitmap& src, TBitmap& dst, int depth);
    void Solarize(TBitmap& src, TBitmap& dst, int threshold);

    // Neighbourhood filters.
    void ApplyFilter(int kind, TConvolveBorder border, TBitmap& bitmap);
    void Laplace(TBitmap& bitmap);
    void HighPass(TBitmap& bitmap);
    void FindEdges(TBitmap& bitmap);
    void EdgeEnhance(TBitmap& bitmap);
    void ColorEmboss(TBitmap& bitmap);
    void Soften(TBitmap& bitmap);
    void SoftenLess(TBitmap& bitmap);
    void Emboss(TBitmap& bitmap);
    void Trace(TBitmap& bitmap, int intensity);
    void AntiAliasRect(TBitmap& bitmap, int x0, int y0, int x1, int y1);
    void AntiAlias(TBitmap& bitmap);
    void SplitBlur(TBitmap& bitmap, int distance);
    void GaussianBlur(TBitmap& bitmap, int depth);

    // Geometric effects.
    void FlipDown(TBitmap& bitmap);
    void FlipRight(TBitmap& bitmap);
    void MirrorRight(TBitmap& bitmap);
    void MirrorDown(TBitmap& bitmap);
    void Turn(TBitmap& src, TBitmap& dst);
    // dst keeps the size the caller gave it; raises EvekImageError for an empty src.
    void Stretch(TBitmap& src, TBitmap& dst, float support, TFilterFunction filter);
    void FishEye(TBitmap& src, TBitmap& dst, long double amount);
    void Twist(TBitmap& src, TBitmap& dst, int amount);
    void Mosaic(TBitmap& bitmap, int size);
    void Whipe(TBitmap& bitmap, int amount);
    void ShadowUpLeft(TBitmap& bitmap);
    void ShadowUpRight(TBitmap& bitmap);
    void ShadowDownLeft(TBitmap& bitmap);
    void ShadowDownRight(TBitmap& bitmap);

    // Buttons, masks and tiles.
    void Buttonize(TBitmap& bitmap, std::uint8_t depth, int weight);
    void ButtonizeOval(TBitmap& bitmap, std::uint8_t depth, const std::string& style, int weight);
    void MaskOval(TBitmap& bitmap, TColor color);
    void Seamless(TBitmap& bitmap, std::uint8_t depth);
    void TextAngle(TCanvas& canvas, int x, int y, int angle, const std::string& text, const TFont& font);
};
