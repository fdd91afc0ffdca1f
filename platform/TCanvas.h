#pragma once
#include "platform/TBitmap.h"
#include "platform/TColor.h"

#include <QRegion>

#include <string>
#include <vector>

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
};

// Left, top, right, bottom; the right and bottom edges lie outside, as GDI has it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmCopy, pmNot, pmXor, pmNotXor, pmMerge, pmMask, pmBlack, pmWhite, pmNop };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum TRegionCombine { rgnAnd, rgnOr, rgnXor, rgnDiff, rgnCopy };
// How CopyRect, Draw and StretchDraw combine source pixels with the destination.
enum TCopyMode { cmSrcCopy, cmSrcInvert, cmSrcAnd, cmSrcPaint, cmNotSrcCopy };
// Which parts of a self-overlapping polygon are inside.
enum TPolyFillMode { pfmAlternate, pfmWinding };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

struct TFont {
    std::string Name = "DejaVu Sans";
    int Size = 8;       // points at 96 dpi; pixel height = Size * 96 / 72
    int Height = 0;     // when not 0, the character height in pixels (GDI's negative lfHeight) wins over Size
    TColor Color = clBlack;
    int Style = 0;      // TFontStyle bits
    int Escapement = 0; // tenths of a degree, counter-clockwise
    // When set, a non-zero Height is the cell height (ascent plus descent, GDI's positive lfHeight)
    // rather than the character height: a font made from a face name and a cell height.
    bool CellHeight = false;
};

// The drawing surface of a TBitmap with GDI semantics: no antialiasing; a shape given by
// (left, top, right, bottom) excludes its right and bottom edge; the pen outlines, the brush fills,
// and both combine with the pixels by Pen.Mode. A pen wider than one pixel is centred on the
// outline (leaning to the top left when its width is even) and has round ends; psInsideFrame keeps
// it inside the box; styles other than solid apply to one-pixel pens, whose gaps show the brush
// colour when the brush is solid; without a pen a figure's fill leaves its right and bottom edge out.
// Hatched brushes draw their lines only, aligned to the bitmap. Palette bitmaps take the nearest
// palette entry of the colour drawn; pmNot, pmXor and pmNotXor work on the palette index, kept
// inside the palette, so that drawing twice still restores the pixels.
// Every operation stays inside the bitmap and the clip region, whatever its coordinates.
class TCanvas {
public:
    explicit TCanvas(TBitmap& owner);

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TPoint PenPos;
    TCopyMode CopyMode = cmSrcCopy;
    TPolyFillMode PolyFillMode = pfmAlternate;

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    // Arc, Pie and Chord run counter-clockwise from the ray through (x3, y3) to the ray through (x4, y4).
    void Arc(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
    void Pie(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
    void Chord(int left, int top, int right, int bottom, int x3, int y3, int x4, int y4);
    void Polygon(const std::vector<TPoint>& points); // closed; filled by PolyFillMode
    void Polyline(const std::vector<TPoint>& points);
    void FillRect(const TRect& r);                    // brush only
    void FrameRect(const TRect& r);                   // one-pixel frame in the brush colour
    void DrawFocusRect(const TRect& r);               // dotted xor frame: twice restores the pixels
    // Text with the top-left of its cell at (x, y), turned by Font.Escapement about that point; the
    // background of the cell is the brush colour when the brush is solid, else left as it is.
    // PenPos moves to the end of the text, as the pen does after a line.
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TSize TextExtent(const std::string& text);
    // Draws src with its top-left at (x, y); a transparent src leaves its transparent colour out.
    void Draw(int x, int y, const TBitmap& src);
    // Copies (and stretches when sizes differ) a rectangle of src into a rectangle of this canvas.
    void CopyRect(const TRect& dest, const TBitmap& src, const TRect& source);
    void StretchDraw(const TRect& dest, const TBitmap& src);

    // Outside the bitmap Pixel answers black and SetPixel does nothing.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Clipping: every drawing operation is limited to the clip region while one is set.
    void SetClipRegion(const QRegion& region);
    void CombineClipRegion(const QRegion& region, TRegionCombine mode);
    void ClearClipRegion();
    bool HasClipRegion() const { return hasClip_; }
    const QRegion& ClipRegion() const { return clip_; }

    TBitmap& Bitmap() { return owner_; }

    // Drawing would change nothing: an empty bitmap or an empty clip region.
    bool NothingToDraw() const;

private:
    TBitmap& owner_;
    bool hasClip_ = false;
    QRegion clip_;
};

// Regions for clipping, with the pixel rules of the figures above: EllipticRegion(l, t, r, b) holds
// exactly the pixels an Ellipse with the same box fills, and so on. Only pixels with coordinates
// from 0 to TBitmap::MaxSide are held: the ones a bitmap can have.
QRegion RectRegion(int left, int top, int right, int bottom);
QRegion EllipticRegion(int left, int top, int right, int bottom);
QRegion RoundRectRegion(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
QRegion PolygonRegion(const std::vector<TPoint>& points, TPolyFillMode mode = pfmWinding);
