#include "imaging/MetafilePlayer.h"

#include "imaging/Dib.h"
#include "imaging/Codecs.h"
#include "platform/CanvasText.h"
#include "platform/Errors.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace metafile {

void Corrupt(const std::string& what) { throw EvekImageError("Metafile is corrupt: " + what + "."); }

float TRecord::F32(std::size_t at) const
{
    std::uint32_t bits = U32(at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return std::isfinite(f) ? f : 0.0f;
}

std::vector<double> ReadPoints(const TRecord& r, std::size_t at, std::size_t count, int coordinateBytes)
{
    r.Need(at, count * 2 * coordinateBytes);
    std::vector<double> xy(count * 2);
    for (std::size_t i = 0; i < count * 2; ++i)
        xy[i] = coordinateBytes == 2 ? r.I16(at + 2 * i) : r.I32(at + 4 * i);
    return xy;
}

std::string AnsiToUtf8(const std::uint8_t* p, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n && p[i]; ++i) {
        if (p[i] < 0x80) {
            s += static_cast<char>(p[i]);
        } else {
            s += static_cast<char>(0xC0 | (p[i] >> 6));
            s += static_cast<char>(0x80 | (p[i] & 0x3F));
        }
    }
    return s;
}

namespace {

// Device coordinates are kept well inside int so that hostile extents cannot overflow the canvas.
constexpr double DeviceLimit = 1 << 17;
constexpr std::size_t MaxObjects = 1 << 16;
constexpr std::size_t MaxSavedStates = 1 << 12;

int ToDevice(double v)
{
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::lround(std::clamp(v, -DeviceLimit, DeviceLimit)));
}

// Logical units a millimetre in the metric and English mapping modes.
double UnitsPerMm(int mode)
{
    switch (mode) {
    case mmLoMetric: return 10;
    case mmHiMetric: return 100;
    case mmLoEnglish: return 100 / 25.4;
    case mmHiEnglish: return 1000 / 25.4;
    default: return 1440 / 25.4; // twips
    }
}

} // namespace

TPlayer::TPlayer(TBitmap& target, double pixelsPerMmX, double pixelsPerMmY)
    : target_(target), canvas_(target.Canvas()), pixelsPerMmX_(pixelsPerMmX), pixelsPerMmY_(pixelsPerMmY)
{
    state_.Pen = MakePen(0, 0, clBlack);
    state_.Brush = MakeBrush(0, clWhite, 0);
    state_.Font = MakeFont(-16, 0, 400, false, false, false, "");
    canvas_.ClearClipRegion();
}

void TPlayer::SetOuter(double scaleX, double offsetX, double scaleY, double offsetY)
{
    outerScaleX_ = scaleX, outerOffsetX_ = offsetX, outerScaleY_ = scaleY, outerOffsetY_ = offsetY;
}

QPointF TPlayer::Map(double x, double y) const
{
    const TDeviceState& s = state_;
    const double wx = s.World[0] * x + s.World[2] * y + s.World[4];
    const double wy = s.World[1] * x + s.World[3] * y + s.World[5];
    double dx, dy;
    switch (s.MapMode) {
    case mmIsotropic:
    case mmAnisotropic: {
        double sx = s.WindowExtX != 0 ? s.ViewportExtX / s.WindowExtX : 1;
        double sy = s.WindowExtY != 0 ? s.ViewportExtY / s.WindowExtY : 1;
        if (s.MapMode == mmIsotropic) {
            double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(m, sx), sy = std::copysign(m, sy);
        }
        dx = (wx - s.WindowOrgX) * sx + s.ViewportOrgX;
        dy = (wy - s.WindowOrgY) * sy + s.ViewportOrgY;
        break;
    }
    case mmLoMetric:
    case mmHiMetric:
    case mmLoEnglish:
    case mmHiEnglish:
    case mmTwips: {
        // y grows upwards in these modes
        const double units = UnitsPerMm(s.MapMode);
        dx = (wx - s.WindowOrgX) * pixelsPerMmX_ / units + s.ViewportOrgX;
        dy = -(wy - s.WindowOrgY) * pixelsPerMmY_ / units + s.ViewportOrgY;
        break;
    }
    default:
        dx = wx - s.WindowOrgX + s.ViewportOrgX;
        dy = wy - s.WindowOrgY + s.ViewportOrgY;
        break;
    }
    return QPointF(dx * outerScaleX_ + outerOffsetX_, dy * outerScaleY_ + outerOffsetY_);
}

TPoint TPlayer::Device(double x, double y) const
{
    QPointF p = Map(x, y);
    return TPoint{ToDevice(p.x()), ToDevice(p.y())};
}

double TPlayer::ScaleX() const
{
    QPointF d = Map(1, 0) - Map(0, 0);
    double s = std::hypot(d.x(), d.y());
    return std::isfinite(s) ? s : 1;
}

double TPlayer::ScaleY() const
{
    QPointF d = Map(0, 1) - Map(0, 0);
    double s = std::hypot(d.x(), d.y());
    return std::isfinite(s) ? s : 1;
}

TRect TPlayer::DeviceRect(double l, double t, double r, double b) const
{
    TPoint a = Device(l, t), c = Device(r, b);
    return TRect{std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y)};
}

void TPlayer::SaveDC()
{
    if (saved_.size() < MaxSavedStates) saved_.push_back(state_);
}

void TPlayer::RestoreDC(int which)
{
    // -1 is the state saved last; a positive number counts saved states from the first.
    std::ptrdiff_t index = which < 0 ? static_cast<std::ptrdiff_t>(saved_.size()) + which : which - 1;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(saved_.size())) return;
    state_ = saved_[static_cast<std::size_t>(index)];
    saved_.resize(static_cast<std::size_t>(index));
    ApplyClip();
}

void TPlayer::SetObjectCount(std::size_t count) { objects_.assign(std::min(count, MaxObjects), TGdiObject{}); }

void TPlayer::CreateObject(std::size_t slot, const TGdiObject& object)
{
    if (slot >= MaxObjects) return;
    if (slot >= objects_.size()) objects_.resize(slot + 1);
    objects_[slot] = object;
}

void TPlayer::CreateObjectInFreeSlot(const TGdiObject& object)
{
    auto free = std::find_if(objects_.begin(), objects_.end(), [](const TGdiObject& o) { return o.Kind == TGdiObject::None; });
    if (free != objects_.end())
        *free = object;
    else if (objects_.size() < MaxObjects)
        objects_.push_back(object);
}

void TPlayer::SelectObject(std::size_t slot)
{
    if (slot >= objects_.size()) return;
    const TGdiObject& o = objects_[slot];
    if (o.Kind == TGdiObject::Pen) state_.Pen = o;
    else if (o.Kind == TGdiObject::Brush) state_.Brush = o;
    else if (o.Kind == TGdiObject::Font) state_.Font = o;
}

void TPlayer::SelectStockObject(std::uint32_t index)
{
    static const TColor brushes[] = {clWhite, 0xC0C0C0, 0x808080, 0x404040, clBlack};
    if (index <= 4) state_.Brush = MakeBrush(0, brushes[index], 0);
    else if (index == 5) state_.Brush = MakeBrush(1, clBlack, 0);
    else if (index == 6) state_.Pen = MakePen(0, 0, clWhite);
    else if (index == 7) state_.Pen = MakePen(0, 0, clBlack);
    else if (index == 8) state_.Pen = MakePen(5, 0, clBlack);
    else if ((index >= 10 && index <= 14) || index == 16 || index == 17) state_.Font = MakeFont(-16, 0, 400, false, false, false, "");
    else if (index == 18) state_.Brush = MakeBrush(0, clWhite, 0);
    else if (index == 19) state_.Pen = MakePen(0, 0, clBlack);
}

// A selected object stays in use after its deletion: the state holds its own copy.
void TPlayer::DeleteObject(std::size_t slot)
{
    if (slot < objects_.size()) objects_[slot] = TGdiObject{};
}

TGdiObject TPlayer::MakePen(unsigned style, double width, TColor color)
{
    TGdiObject o;
    o.Kind = TGdiObject::Pen;
    static const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
    o.PenValue.Style = (style & 0xF) < 7 ? styles[style & 0xF] : psSolid;
    o.PenValue.Color = color;
    o.PenWidth = std::fabs(width);
    return o;
}

TGdiObject TPlayer::MakeBrush(unsigned style, TColor color, unsigned hatch)
{
    TGdiObject o;
    o.Kind = TGdiObject::Brush;
    o.BrushValue.Color = color;
    if (style == 1) o.BrushValue.Style = bsClear;
    else if (style == 2 && hatch <= 5) o.BrushValue.Style = static_cast<TBrushStyle>(bsHorizontal + hatch);
    else o.BrushValue.Style = bsSolid;
    return o;
}

TGdiObject TPlayer::MakeFont(double height, int escapement, int weight, bool italic, bool underline, bool strikeOut,
                             const std::string& face)
{
    TGdiObject o;
    o.Kind = TGdiObject::Font;
    if (!face.empty()) o.FontValue.Name = face;
    o.FontValue.Escapement = escapement;
    o.FontValue.Style = (weight >= 600 ? fsBold : 0) | (italic ? fsItalic : 0) | (underline ? fsUnderline : 0) |
                        (strikeOut ? fsStrikeOut : 0);
    // Height 0 asks for the default size.
    o.FontHeight = height == 0 ? -16 : height;
    return o;
}

void TPlayer::SetRop2(unsigned mode)
{
    switch (mode) {
    case 1: state_.Rop = pmBlack; break;
    case 6: state_.Rop = pmNot; break;
    case 7: state_.Rop = pmXor; break;
    case 9: state_.Rop = pmMask; break;
    case 10: state_.Rop = pmNotXor; break;
    case 11: state_.Rop = pmNop; break;
    case 15: state_.Rop = pmMerge; break;
    case 16: state_.Rop = pmWhite; break;
    default: state_.Rop = pmCopy; break;
    }
}

void TPlayer::ApplyPen()
{
    canvas_.Pen = state_.Pen.PenValue;
    canvas_.Pen.Mode = state_.Rop;
    double w = state_.Pen.PenWidth * ScaleX();
    canvas_.Pen.Width = std::clamp(ToDevice(w), 1, 1000);
}

void TPlayer::ApplyBrush(bool fill)
{
    canvas_.Brush = state_.Brush.BrushValue;
    if (!fill) canvas_.Brush.Style = bsClear;
}

void TPlayer::ApplyClip()
{
    if (state_.HasClip)
        canvas_.SetClipRegion(state_.Clip);
    else
        canvas_.ClearClipRegion();
}

void TPlayer::MoveTo(double x, double y)
{
    state_.CurrentX = x, state_.CurrentY = y;
}

void TPlayer::LineTo(double x, double y)
{
    ApplyPen();
    TPoint a = Device(state_.CurrentX, state_.CurrentY), b = Device(x, y);
    canvas_.MoveTo(a.X, a.Y);
    canvas_.LineTo(b.X, b.Y);
    MoveTo(x, y);
}

void TPlayer::Rectangle(double l, double t, double r, double b)
{
    ApplyPen();
    ApplyBrush(true);
    canvas_.Rectangle(DeviceRect(l, t, r, b));
}

void TPlayer::RoundRect(double l, double t, double r, double b, double w, double h)
{
    ApplyPen();
    ApplyBrush(true);
    TRect d = DeviceRect(l, t, r, b);
    canvas_.RoundRect(d.Left, d.Top, d.Right, d.Bottom, ToDevice(std::fabs(w) * ScaleX()), ToDevice(std::fabs(h) * ScaleY()));
}

void TPlayer::Ellipse(double l, double t, double r, double b)
{
    ApplyPen();
    ApplyBrush(true);
    canvas_.Ellipse(DeviceRect(l, t, r, b));
}

void TPlayer::ArcShape(TArcKind kind, double l, double t, double r, double b, double x3, double y3, double x4, double y4)
{
    ApplyPen();
    ApplyBrush(kind != akArc);
    TRect d = DeviceRect(l, t, r, b);
    TPoint p3 = Device(x3, y3), p4 = Device(x4, y4);
    if (kind == akArc) canvas_.Arc(d.Left, d.Top, d.Right, d.Bottom, p3.X, p3.Y, p4.X, p4.Y);
    else if (kind == akPie) canvas_.Pie(d.Left, d.Top, d.Right, d.Bottom, p3.X, p3.Y, p4.X, p4.Y);
    else canvas_.Chord(d.Left, d.Top, d.Right, d.Bottom, p3.X, p3.Y, p4.X, p4.Y);
}

void TPlayer::Polyline(const std::vector<double>& xy, bool fromCurrent, bool updateCurrent)
{
    std::vector<TPoint> points;
    points.reserve(xy.size() / 2 + 1);
    if (fromCurrent) points.push_back(Device(state_.CurrentX, state_.CurrentY));
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) points.push_back(Device(xy[i], xy[i + 1]));
    if (points.size() >= 2) {
        ApplyPen();
        canvas_.Polyline(points);
    }
    if (updateCurrent && xy.size() >= 2) MoveTo(xy[xy.size() - 2], xy.back());
}

void TPlayer::PolyPolygon(const std::vector<double>& xy, const std::vector<std::size_t>& counts)
{
    std::vector<std::vector<TPoint>> polygons;
    std::size_t at = 0;
    for (std::size_t count : counts) {
        std::vector<TPoint> p;
        for (std::size_t k = 0; k < count && at + 1 < xy.size(); ++k, at += 2) p.push_back(Device(xy[at], xy[at + 1]));
        if (p.size() >= 2) polygons.push_back(std::move(p));
    }
    if (polygons.empty()) return;
    ApplyPen();
    ApplyBrush(true);
    if (polygons.size() == 1) {
        canvas_.Polygon(polygons[0]);
        return;
    }
    // One outline through every polygon and back to the first point fills holes by the alternate
    // rule: the connecting edges are walked twice and cancel out. The outlines are drawn apart.
    std::vector<TPoint> joined;
    for (const auto& p : polygons) {
        joined.insert(joined.end(), p.begin(), p.end());
        joined.push_back(p.front());
    }
    joined.push_back(polygons.front().front());
    const TPen pen = canvas_.Pen;
    canvas_.Pen.Style = psClear;
    canvas_.Polygon(joined);
    canvas_.Pen = pen;
    for (auto& p : polygons) {
        p.push_back(p.front());
        canvas_.Polyline(p);
    }
}

std::vector<double> TPlayer::FlattenBeziers(const std::vector<double>& xy)
{
    constexpr int steps = 16;
    std::vector<double> out;
    if (xy.size() < 2) return out;
    out.push_back(xy[0]);
    out.push_back(xy[1]);
    for (std::size_t i = 2; i + 5 < xy.size(); i += 6) {
        const double x0 = xy[i - 2], y0 = xy[i - 1];
        for (int s = 1; s <= steps; ++s) {
            const double t = double(s) / steps, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            out.push_back(a * x0 + b * xy[i] + c * xy[i + 2] + d * xy[i + 4]);
            out.push_back(a * y0 + b * xy[i + 1] + c * xy[i + 3] + d * xy[i + 5]);
        }
    }
    return out;
}

void TPlayer::SetPixel(double x, double y, TColor color)
{
    TPoint p = Device(x, y);
    if (p.X >= 0 && p.Y >= 0 && p.X < target_.Width() && p.Y < target_.Height()) canvas_.SetPixel(p.X, p.Y, color);
}

void TPlayer::IntersectClip(double l, double t, double r, double b)
{
    TRect d = DeviceRect(l, t, r, b);
    QRegion region(d.Left, d.Top, d.Width(), d.Height());
    state_.Clip = state_.HasClip ? state_.Clip.intersected(region) : region;
    state_.HasClip = true;
    ApplyClip();
}

void TPlayer::ExcludeClip(double l, double t, double r, double b)
{
    TRect d = DeviceRect(l, t, r, b);
    QRegion all = state_.HasClip ? state_.Clip : QRegion(0, 0, target_.Width(), target_.Height());
    state_.Clip = all.subtracted(QRegion(d.Left, d.Top, d.Width(), d.Height()));
    state_.HasClip = true;
    ApplyClip();
}

void TPlayer::Text(double x, double y, const std::string& text, const double* opaqueRect)
{
    if (opaqueRect) {
        canvas_.Brush.Color = state_.BkColor;
        canvas_.Brush.Style = bsSolid;
        canvas_.FillRect(DeviceRect(opaqueRect[0], opaqueRect[1], opaqueRect[2], opaqueRect[3]));
    }
    if (text.empty()) return;
    const bool updateCurrent = (state_.TextAlign & 1) != 0;
    if (updateCurrent) x = state_.CurrentX, y = state_.CurrentY;

    canvas_.Font = state_.Font.FontValue;
    canvas_.Font.Color = state_.TextColor;
    canvas_.Font.Height = std::clamp(ToDevice(std::fabs(state_.Font.FontHeight) * ScaleY()), 1, 2000);
    canvas_.Brush.Color = state_.BkColor;
    canvas_.Brush.Style = state_.BkMode == 2 ? bsSolid : bsClear;
    const TSize extent = canvas_.TextExtent(text);
    TPoint p = Device(x, y);
    switch (state_.TextAlign & 6) {
    case 6: p.X -= extent.cx / 2; break; // centre
    case 2: p.X -= extent.cx; break;     // right
    default: break;
    }
    if ((state_.TextAlign & 24) == 24) p.Y -= QFontMetrics(canvas::MakeFont(canvas_.Font)).ascent(); // baseline
    else if (state_.TextAlign & 8) p.Y -= extent.cy;                                                  // bottom
    canvas_.TextOut(p.X, p.Y, text);
    if (updateCurrent) state_.CurrentX = x + extent.cx / std::max(ScaleX(), 1e-9);
}

void TPlayer::DrawBitmap(const TBitmap& bitmap, double dx, double dy, double dw, double dh, int sx, int sy, int sw, int sh)
{
    // The part of the source rectangle that lies in the bitmap, and the matching part of the target.
    const int x0 = std::clamp(sx, 0, bitmap.Width()), y0 = std::clamp(sy, 0, bitmap.Height());
    const int x1 = std::clamp(sx + std::max(sw, 0), 0, bitmap.Width()), y1 = std::clamp(sy + std::max(sh, 0), 0, bitmap.Height());
    if (x1 <= x0 || y1 <= y0 || sw <= 0 || sh <= 0) return;
    const double fx = dw / sw, fy = dh / sh;
    TRect dest = DeviceRect(dx + (x0 - sx) * fx, dy + (y0 - sy) * fy, dx + (x1 - sx) * fx, dy + (y1 - sy) * fy);
    if (dest.Width() <= 0 || dest.Height() <= 0) return;
    canvas_.CopyRect(dest, bitmap, TRect{x0, y0, x1, y1});
}

void TPlayer::PatBlt(double dx, double dy, double dw, double dh, std::uint32_t rop)
{
    TRect d = DeviceRect(dx, dy, dx + dw, dy + dh);
    if (rop == 0x00550009) return; // DSTINVERT needs the destination; left out
    canvas_.Brush = state_.Brush.BrushValue;
    if (rop == 0x00000042) canvas_.Brush = TBrush{clBlack, bsSolid};
    else if (rop == 0x00FF0062) canvas_.Brush = TBrush{clWhite, bsSolid};
    canvas_.FillRect(d);
}

TBitmap DecodeDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits, std::size_t bitsSize)
{
    std::vector<std::uint8_t> joined;
    const std::uint8_t* data = info;
    std::size_t size = infoSize;
    if (bits) {
        joined.reserve(infoSize + bitsSize);
        joined.insert(joined.end(), info, info + infoSize);
        joined.insert(joined.end(), bits, bits + bitsSize);
        data = joined.data();
        size = joined.size();
    }
    TByteReader in(data, size, "Metafile bitmap");
    TDibHeader header = ReadDibHeader(in, false);
    TBitmap bitmap;
    DecodeDibPixels(header, in, bits ? infoSize : in.Position(), bitmap);
    return bitmap;
}

} // namespace metafile

void DecodeMetafile(const std::uint8_t* data, std::size_t size, TBitmap& target)
{
    // Enhanced metafiles begin with their header record (type 1) and carry " EMF" at offset 40.
    const bool enhanced = size >= 44 && data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0 &&
                          std::memcmp(data + 40, " EMF", 4) == 0;
    // The picture is played on a copy, so that a failure leaves the target as it was.
    TBitmap work;
    work.Assign(target);
    if (enhanced)
        metafile::PlayEmf(data, size, work);
    else
        metafile::PlayWmf(data, size, work);
    target.Assign(work);
}
