#include "imaging/MetafilePlayer.h"

#include "platform/Errors.h"


#include <cmath>

// Windows metafiles: an optional placeable header (bounding box and units an inch), the standard
// header, then records of 16-bit words whose parameters GDI stores in reverse order (y before x,
// bottom-right before top-left).

namespace metafile {

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr std::size_t PlaceableSize = 22;
constexpr std::size_t Params = 6; // record size (4) and function (2)

enum TWmfFunction : std::uint16_t {
    wfEof = 0x0000,
    wfSetBkColor = 0x0201,
    wfSetBkMode = 0x0102,
    wfSetMapMode = 0x0103,
    wfSetRop2 = 0x0104,
    wfSetTextColor = 0x0209,
    wfSetWindowOrg = 0x020B,
    wfSetWindowExt = 0x020C,
    wfSetViewportOrg = 0x020D,
    wfSetViewportExt = 0x020E,
    wfOffsetWindowOrg = 0x020F,
    wfScaleWindowExt = 0x0410,
    wfOffsetViewportOrg = 0x0211,
    wfScaleViewportExt = 0x0412,
    wfLineTo = 0x0213,
    wfMoveTo = 0x0214,
    wfExcludeClipRect = 0x0415,
    wfIntersectClipRect = 0x0416,
    wfArc = 0x0817,
    wfEllipse = 0x0418,
    wfPie = 0x081A,
    wfRectangle = 0x041B,
    wfRoundRect = 0x061C,
    wfPatBlt = 0x061D,
    wfSaveDC = 0x001E,
    wfSetPixel = 0x041F,
    wfTextOut = 0x0521,
    wfPolygon = 0x0324,
    wfPolyline = 0x0325,
    wfRestoreDC = 0x0127,
    wfSelectObject = 0x012D,
    wfSetTextAlign = 0x012E,
    wfChord = 0x0830,
    wfExtTextOut = 0x0A32,
    wfSetDibToDev = 0x0D33,
    wfPolyPolygon = 0x0538,
    wfDibBitBlt = 0x0940,
    wfDibStretchBlt = 0x0B41,
    wfDibCreatePatternBrush = 0x0142,
    wfStretchDib = 0x0F43,
    wfDeleteObject = 0x01F0,
    wfCreatePalette = 0x00F7,
    wfCreatePatternBrush = 0x01F9,
    wfCreatePenIndirect = 0x02FA,
    wfCreateFontIndirect = 0x02FB,
    wfCreateBrushIndirect = 0x02FC,
    wfCreateRegion = 0x06FF,
};

// The DIB that ends a record.
TBitmap RecordDib(const TRecord& r, std::size_t at)
{
    r.Need(at, 0);
    return DecodeDib(r.Data() + at, r.Size() - at, nullptr, 0);
}

// The window a plain metafile sets for itself gives its size.
bool FindWindow(const std::uint8_t* data, std::size_t size, std::size_t pos, double& orgX, double& orgY, double& extX, double& extY)
{
    bool found = false;
    while (pos + Params <= size) {
        TRecord head(data + pos, size - pos);
        std::uint64_t bytes = std::uint64_t(head.U32(0)) * 2;
        std::uint16_t function = head.U16(4);
        if (bytes < Params || bytes > size - pos || function == wfEof) break;
        TRecord r(data + pos, static_cast<std::size_t>(bytes));
        if (function == wfSetWindowOrg) orgY = r.I16(6), orgX = r.I16(8);
        if (function == wfSetWindowExt) {
            extY = r.I16(6), extX = r.I16(8);
            found = true;
        }
        pos += static_cast<std::size_t>(bytes);
    }
    return found;
}

} // namespace

void PlayWmf(const std::uint8_t* data, std::size_t size, TBitmap& target)
{
    TRecord file(data, size);
    std::size_t pos = 0;
    double orgX = 0, orgY = 0, extX = 0, extY = 0, pixelW = 0, pixelH = 0;
    if (file.Has(0, 4) && file.U32(0) == PlaceableKey) {
        if (!file.Has(0, PlaceableSize)) Corrupt("the placeable header is cut short");
        orgX = file.I16(6), orgY = file.I16(8);
        extX = file.I16(10) - orgX, extY = file.I16(12) - orgY;
        const double inch = file.U16(14);
        if (inch == 0) Corrupt("the placeable header has no units");
        pixelW = std::fabs(extX) * 96 / inch, pixelH = std::fabs(extY) * 96 / inch;
        pos = PlaceableSize;
    }
    if (!file.Has(pos, 18)) throw EvekImageError("Not a valid metafile.");
    const std::uint16_t type = file.U16(pos), headerWords = file.U16(pos + 2);
    if ((type != 1 && type != 2) || headerWords != 9) throw EvekImageError("Not a valid metafile.");
    const std::uint16_t objectCount = file.U16(pos + 10);
    pos += 18;
    if (pixelW == 0 && pixelH == 0) {
        if (!FindWindow(data, size, pos, orgX, orgY, extX, extY)) Corrupt("the picture has no size");
        pixelW = std::fabs(extX), pixelH = std::fabs(extY);
    }
    const long w = std::lround(pixelW), h = std::lround(pixelH);
    if (w <= 0 || h <= 0) Corrupt("the picture has no size");
    TBitmap::CheckDimensions(w, h);
    target.SetSize(static_cast<int>(w), static_cast<int>(h));

    // The picture's window is mapped onto the target, as GDI does when it plays a metafile into a
    // rectangle; the records may change the window and mapping mode themselves.
    TPlayer player(target, 96 / 25.4, 96 / 25.4);
    TDeviceState& s = player.State();
    s.MapMode = mmAnisotropic;
    s.WindowOrgX = orgX, s.WindowOrgY = orgY, s.WindowExtX = extX, s.WindowExtY = extY;
    s.ViewportExtX = static_cast<double>(w), s.ViewportExtY = static_cast<double>(h);
    player.SetObjectCount(objectCount);

    while (pos < size) {
        if (!file.Has(pos, Params)) Corrupt("a record is cut short");
        const std::uint64_t bytes = std::uint64_t(file.U32(pos)) * 2;
        const std::uint16_t function = file.U16(pos + 4);
        if (function == wfEof) break;
        if (bytes < Params || bytes > size - pos) Corrupt("a record runs past the end of the file");
        const TRecord r(data + pos, static_cast<std::size_t>(bytes));
        pos += static_cast<std::size_t>(bytes);

        switch (function) {
        case wfSetBkColor: s.BkColor = r.Color(6); break;
        case wfSetBkMode: s.BkMode = r.U16(6); break;
        case wfSetMapMode: s.MapMode = r.U16(6); break;
        case wfSetRop2: player.SetRop2(r.U16(6)); break;
        case wfSetTextColor: s.TextColor = r.Color(6); break;
        case wfSetTextAlign: s.TextAlign = r.U16(6); break;
        case wfSetWindowOrg: s.WindowOrgY = r.I16(6), s.WindowOrgX = r.I16(8); break;
        case wfSetWindowExt: s.WindowExtY = r.I16(6), s.WindowExtX = r.I16(8); break;
        case wfSetViewportOrg: s.ViewportOrgY = r.I16(6), s.ViewportOrgX = r.I16(8); break;
        case wfSetViewportExt: s.ViewportExtY = r.I16(6), s.ViewportExtX = r.I16(8); break;
        case wfOffsetWindowOrg: s.WindowOrgY += r.I16(6), s.WindowOrgX += r.I16(8); break;
        case wfOffsetViewportOrg: s.ViewportOrgY += r.I16(6), s.ViewportOrgX += r.I16(8); break;
        case wfScaleWindowExt:
        case wfScaleViewportExt: {
            const double yDenom = r.I16(6), yNum = r.I16(8), xDenom = r.I16(10), xNum = r.I16(12);
            if (xDenom == 0 || yDenom == 0) break;
            double& ex = function == wfScaleWindowExt ? s.WindowExtX : s.ViewportExtX;
            double& ey = function == wfScaleWindowExt ? s.WindowExtY : s.ViewportExtY;
            ex = ex * xNum / xDenom, ey = ey * yNum / yDenom;
            break;
        }
        case wfMoveTo: player.MoveTo(r.I16(8), r.I16(6)); break;
        case wfLineTo: player.LineTo(r.I16(8), r.I16(6)); break;
        case wfRectangle: player.Rectangle(r.I16(12), r.I16(10), r.I16(8), r.I16(6)); break;
        case wfEllipse: player.Ellipse(r.I16(12), r.I16(10), r.I16(8), r.I16(6)); break;
        case wfRoundRect: player.RoundRect(r.I16(16), r.I16(14), r.I16(12), r.I16(10), r.I16(8), r.I16(6)); break;
        case wfArc:
        case wfPie:
        case wfChord: {
            auto kind = function == wfArc ? TPlayer::akArc : function == wfPie ? TPlayer::akPie : TPlayer::akChord;
            player.ArcShape(kind, r.I16(20), r.I16(18), r.I16(16), r.I16(14), r.I16(12), r.I16(10), r.I16(8), r.I16(6));
            break;
        }
        case wfExcludeClipRect: player.ExcludeClip(r.I16(12), r.I16(10), r.I16(8), r.I16(6)); break;
        case wfIntersectClipRect: player.IntersectClip(r.I16(12), r.I16(10), r.I16(8), r.I16(6)); break;
        case wfSetPixel: player.SetPixel(r.I16(12), r.I16(10), r.Color(6)); break;
        case wfPatBlt: player.PatBlt(r.I16(16), r.I16(14), r.I16(12), r.I16(10), r.U32(6)); break;
        case wfPolygon:
        case wfPolyline: {
            std::vector<double> xy = ReadPoints(r, 8, r.U16(6), 2);
            if (function == wfPolygon) player.PolyPolygon(xy, {xy.size() / 2});
            else player.Polyline(xy, false, false);
            break;
        }
        case wfPolyPolygon: {
            const std::size_t polygons = r.U16(6);
            r.Need(8, polygons * 2);
            std::vector<std::size_t> counts(polygons);
            std::size_t total = 0;
            for (std::size_t i = 0; i < polygons; ++i) total += counts[i] = r.U16(8 + 2 * i);
            player.PolyPolygon(ReadPoints(r, 8 + 2 * polygons, total, 2), counts);
            break;
        }
        case wfTextOut: {
            const std::size_t count = r.U16(6), padded = (count + 1) & ~std::size_t(1);
            r.Need(8, padded + 4);
            player.Text(r.I16(10 + padded), r.I16(8 + padded), AnsiToUtf8(r.Data() + 8, count), nullptr);
            break;
        }
        case wfExtTextOut: {
            const double y = r.I16(6), x = r.I16(8);
            const std::size_t count = r.U16(10);
            const unsigned options = r.U16(12);
            std::size_t at = 14;
            double rect[4];
            const bool hasRect = (options & 6) != 0; // ETO_OPAQUE or ETO_CLIPPED
            if (hasRect) {
                for (int i = 0; i < 4; ++i) rect[i] = r.I16(at + 2 * i);
                at += 8;
            }
            r.Need(at, count);
            player.Text(x, y, AnsiToUtf8(r.Data() + at, count), hasRect && (options & 2) ? rect : nullptr);
            break;
        }
        case wfSaveDC: player.SaveDC(); break;
        case wfRestoreDC: player.RestoreDC(r.I16(6)); break;
        case wfSelectObject: player.SelectObject(r.U16(6)); break;
        case wfDeleteObject: player.DeleteObject(r.U16(6)); break;
        case wfCreatePenIndirect: player.CreateObjectInFreeSlot(TPlayer::MakePen(r.U16(6), r.I16(8), r.Color(12))); break;
        case wfCreateBrushIndirect:
            player.CreateObjectInFreeSlot(TPlayer::MakeBrush(r.U16(6), r.Color(8), r.U16(12)));
            break;
        case wfCreateFontIndirect: {
            r.Need(6, 18);
            std::size_t faceLength = std::min<std::size_t>(32, r.Size() - 24);
            std::string face = AnsiToUtf8(r.Data() + 24, faceLength);
            player.CreateObjectInFreeSlot(TPlayer::MakeFont(r.I16(6), r.I16(10), r.I16(14), r.Data()[16] != 0,
                                                            r.Data()[17] != 0, r.Data()[18] != 0, face));
            break;
        }
        case wfCreatePalette:
        case wfCreatePatternBrush:
        case wfDibCreatePatternBrush:
        case wfCreateRegion: {
            // These take a slot that later records count on; their content is not drawn.
            TGdiObject other;
            other.Kind = TGdiObject::Other;
            player.CreateObjectInFreeSlot(other);
            break;
        }
        case wfDibBitBlt:
            if (r.Size() == 24) {
                player.PatBlt(r.I16(22), r.I16(20), r.I16(18), r.I16(16), r.U32(6));
            } else {
                const double w = r.I16(16), h = r.I16(14);
                player.DrawBitmap(RecordDib(r, 22), r.I16(20), r.I16(18), w, h, r.I16(12), r.I16(10),
                                  static_cast<int>(w), static_cast<int>(h));
            }
            break;
        case wfDibStretchBlt:
            if (r.Size() == 28) {
                player.PatBlt(r.I16(26), r.I16(24), r.I16(22), r.I16(20), r.U32(6));
            } else {
                player.DrawBitmap(RecordDib(r, 26), r.I16(24), r.I16(22), r.I16(20), r.I16(18), r.I16(16), r.I16(14),
                                  r.I16(12), r.I16(10));
            }
            break;
        case wfStretchDib: {
            // Source rows count from the bottom of a bottom-up bitmap.
            TBitmap dib = RecordDib(r, 28);
            const int sh = r.I16(12), sy = r.I16(16);
            player.DrawBitmap(dib, r.I16(26), r.I16(24), r.I16(22), r.I16(20), r.I16(18), dib.Height() - sy - sh,
                              r.I16(14), sh);
            break;
        }
        case wfSetDibToDev: {
            TBitmap dib = RecordDib(r, 24);
            const int w = r.I16(18), h = r.I16(16), sy = r.I16(12);
            player.DrawBitmap(dib, r.I16(22), r.I16(20), w, h, r.I16(14), dib.Height() - sy - h, w, h);
            break;
        }
        default: break; // records that change nothing we draw
        }
    }
}

} // namespace metafile
