#pragma once
#include "imaging/ByteStream.h"
#include "platform/TBitmap.h"
#include "platform/TCanvas.h"

#include <QRegion>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Plays the records of a Windows or enhanced metafile on a TCanvas with GDI's device-context rules:
// mapping mode, window and viewport, a stack of saved states, an object table of pens, brushes and
// fonts, and the drawing calls. The WMF and EMF record loops decode the records and call it.

namespace metafile {

// The bytes of one record; every read is checked against the record's own length.
class TRecord : public TByteReader {
public:
    TRecord(const std::uint8_t* data, std::size_t size)
        : TByteReader(data, size, "Metafile", TByteOrder::LittleEndian,
                      "Metafile is corrupt: a record is shorter than its fields.")
    {
    }
    float F32(std::size_t at) const;
    // A COLORREF: red in the lowest byte, like TColor.
    TColor Color(std::size_t at) const { return U32(at) & 0xFFFFFF; }
};

[[noreturn]] void Corrupt(const std::string& what);

// count points of two coordinates each, x first, of 2 or 4 bytes a coordinate.
std::vector<double> ReadPoints(const TRecord& r, std::size_t at, std::size_t count, int coordinateBytes);
// ANSI text bytes, up to the first zero, as the system's UTF-8.
std::string AnsiToUtf8(const std::uint8_t* p, std::size_t n);

enum TMapMode { mmText = 1, mmLoMetric, mmHiMetric, mmLoEnglish, mmHiEnglish, mmTwips, mmIsotropic, mmAnisotropic };

// A created GDI object. Palettes, regions and colour spaces only take their slot.
struct TGdiObject {
    enum TKind { None, Pen, Brush, Font, Other } Kind = None;
    TPen PenValue;
    double PenWidth = 0; // logical units
    TBrush BrushValue;
    TFont FontValue;
    double FontHeight = 0; // logical units; negative: character height, positive: cell height
};

struct TDeviceState {
    int MapMode = mmText;
    double WindowOrgX = 0, WindowOrgY = 0, WindowExtX = 1, WindowExtY = 1;
    double ViewportOrgX = 0, ViewportOrgY = 0, ViewportExtX = 1, ViewportExtY = 1;
    double World[6] = {1, 0, 0, 1, 0, 0}; // eM11, eM12, eM21, eM22, eDx, eDy
    TGdiObject Pen, Brush, Font;
    TColor TextColor = clBlack;
    TColor BkColor = clWhite;
    int BkMode = 2; // OPAQUE
    unsigned TextAlign = 0;
    TPenMode Rop = pmCopy;
    double CurrentX = 0, CurrentY = 0;
    bool HasClip = false;
    QRegion Clip;
};

class TPlayer {
public:
    // pixelsPerMm serves the metric mapping modes; the outer scale and offset take reference-device
    // pixels to the target's pixels.
    TPlayer(TBitmap& target, double pixelsPerMmX, double pixelsPerMmY);
    void SetOuter(double scaleX, double offsetX, double scaleY, double offsetY);

    TDeviceState& State() { return state_; }
    void SaveDC();
    void RestoreDC(int which); // negative: relative to the top; positive: absolute

    // The object table. Windows metafiles put a new object in the lowest free slot; enhanced ones
    // name the slot.
    void SetObjectCount(std::size_t count);
    void CreateObject(std::size_t slot, const TGdiObject& object);
    void CreateObjectInFreeSlot(const TGdiObject& object);
    void SelectObject(std::size_t slot);
    void SelectStockObject(std::uint32_t index);
    void DeleteObject(std::size_t slot);

    static TGdiObject MakePen(unsigned style, double width, TColor color);
    static TGdiObject MakeBrush(unsigned style, TColor color, unsigned hatch);
    static TGdiObject MakeFont(double height, int escapement, int weight, bool italic, bool underline,
                               bool strikeOut, const std::string& face);
    void SetRop2(unsigned mode);

    // Drawing in logical coordinates.
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Rectangle(double l, double t, double r, double b);
    void RoundRect(double l, double t, double r, double b, double w, double h);
    void Ellipse(double l, double t, double r, double b);
    enum TArcKind { akArc, akPie, akChord };
    void ArcShape(TArcKind kind, double l, double t, double r, double b, double x3, double y3, double x4, double y4);
    void Polyline(const std::vector<double>& xy, bool fromCurrent, bool updateCurrent);
    void PolyPolygon(const std::vector<double>& xy, const std::vector<std::size_t>& counts);
    // Cubic Béziers: start point, then three points a segment, flattened to lines.
    static std::vector<double> FlattenBeziers(const std::vector<double>& xy);
    void SetPixel(double x, double y, TColor color);
    void IntersectClip(double l, double t, double r, double b);
    void ExcludeClip(double l, double t, double r, double b);
    // Text in the system's 8-bit form (UTF-8); opaque fills the clip rectangle first when given.
    void Text(double x, double y, const std::string& text, const double* opaqueRect);
    // A device-independent bitmap, already decoded, into a logical destination rectangle; the
    // source rectangle is in the bitmap's top-down pixel coordinates.
    void DrawBitmap(const TBitmap& bitmap, double dx, double dy, double dw, double dh, int sx, int sy, int sw, int sh);
    // A raster operation without a source: patterns and the constant colours.
    void PatBlt(double dx, double dy, double dw, double dh, std::uint32_t rop);

private:
    QPointF Map(double x, double y) const;
    TPoint Device(double x, double y) const;
    double ScaleX() const;
    double ScaleY() const;
    TRect DeviceRect(double l, double t, double r, double b) const;
    void ApplyPen();
    void ApplyBrush(bool fill);
    void ApplyClip();

    TBitmap& target_;
    TCanvas& canvas_;
    double pixelsPerMmX_, pixelsPerMmY_;
    double outerScaleX_ = 1, outerOffsetX_ = 0, outerScaleY_ = 1, outerOffsetY_ = 0;
    TDeviceState state_;
    std::vector<TDeviceState> saved_;
    std::vector<TGdiObject> objects_;
};

// Decodes a packed or split device-independent bitmap held in a record.
TBitmap DecodeDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits, std::size_t bitsSize);

// The record loops. Each sizes target (keeping its format and current pixels) and plays on it.
void PlayWmf(const std::uint8_t* data, std::size_t size, TBitmap& target);
void PlayEmf(const std::uint8_t* data, std::size_t size, TBitmap& target);

} // namespace metafile
