#include "imaging/MetafilePlayer.h"

#include "platform/Errors.h"

#include <uemf.h>
#include <uemf_safe.h>

#include <cmath>

// Enhanced metafiles: a header record with the picture's frame in hundredths of a millimetre and
// the reference device's size, then records of 32-bit fields in logical coordinates.

namespace metafile {

namespace {

constexpr std::uint32_t StockObjectFlag = 0x80000000u;

std::string Utf16ToUtf8(const TRecord& r, std::size_t at, std::size_t count)
{
    r.Need(at, count * 2);
    std::string s;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t c = r.U16(at + 2 * i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            std::uint32_t low = r.U16(at + 2 * i + 2);
            if (low >= 0xDC00 && low < 0xE000) c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), ++i;
        }
        if (c == 0) break;
        if (c < 0x80) {
            s += static_cast<char>(c);
        } else if (c < 0x800) {
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            s += static_cast<char>(0xE0 | (c >> 12));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s += static_cast<char>(0xF0 | (c >> 18));
            s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return s;
}

// The bitmap a record carries as header and bits at offsets of its own.
TBitmap RecordDib(const TRecord& r, std::size_t infoAt)
{
    const std::uint32_t offInfo = r.U32(infoAt), infoSize = r.U32(infoAt + 4);
    const std::uint32_t offBits = r.U32(infoAt + 8), bitsSize = r.U32(infoAt + 12);
    r.Need(offInfo, infoSize);
    r.Need(offBits, bitsSize);
    return DecodeDib(r.Data() + offInfo, infoSize, r.Data() + offBits, bitsSize);
}

void PolyRecord(TPlayer& player, const TRecord& r, std::uint32_t type)
{
    const bool small = type >= U_EMR_POLYBEZIER16 && type <= U_EMR_POLYPOLYGON16;
    auto points = [&](std::size_t at, std::size_t count) { return ReadPoints(r, at, count, small ? 2 : 4); };
    switch (small ? type - U_EMR_POLYBEZIER16 + U_EMR_POLYBEZIER : type) {
    case U_EMR_POLYGON: {
        auto xy = points(28, r.U32(24));
        player.PolyPolygon(xy, {xy.size() / 2});
        break;
    }
    case U_EMR_POLYLINE: player.Polyline(points(28, r.U32(24)), false, false); break;
    case U_EMR_POLYLINETO: player.Polyline(points(28, r.U32(24)), true, true); break;
    case U_EMR_POLYBEZIER: player.Polyline(TPlayer::FlattenBeziers(points(28, r.U32(24))), false, false); break;
    case U_EMR_POLYBEZIERTO: {
        const TDeviceState& s = player.State();
        std::vector<double> xy{s.CurrentX, s.CurrentY};
        auto rest = points(28, r.U32(24));
        xy.insert(xy.end(), rest.begin(), rest.end());
        player.Polyline(TPlayer::FlattenBeziers(xy), false, true);
        break;
    }
    case U_EMR_POLYPOLYLINE:
    case U_EMR_POLYPOLYGON: {
        const std::size_t polys = r.U32(24), total = r.U32(28);
        r.Need(32, polys * 4);
        std::vector<std::size_t> counts(polys);
        for (std::size_t i = 0; i < polys; ++i) counts[i] = r.U32(32 + 4 * i);
        auto xy = points(32 + 4 * polys, total);
        if (type == U_EMR_POLYPOLYGON || type == U_EMR_POLYPOLYGON16) {
            player.PolyPolygon(xy, counts);
        } else {
            std::size_t at = 0;
            for (std::size_t c : counts) {
                if (at + 2 * c > xy.size()) break;
                player.Polyline(std::vector<double>(xy.begin() + at, xy.begin() + at + 2 * c), false, false);
                at += 2 * c;
            }
        }
        break;
    }
    default: break;
    }
}

void TextRecord(TPlayer& player, const TRecord& r, bool wide)
{
    // The text block follows the bounds, graphics mode and scales.
    const double x = r.I32(36), y = r.I32(40);
    const std::size_t count = r.U32(44), offString = r.U32(48);
    const std::uint32_t options = r.U32(52);
    double rect[4] = {double(r.I32(56)), double(r.I32(60)), double(r.I32(64)), double(r.I32(68))};
    std::string text;
    if (wide) {
        text = Utf16ToUtf8(r, offString, count);
    } else {
        r.Need(offString, count);
        text = AnsiToUtf8(r.Data() + offString, count);
    }
    player.Text(x, y, text, (options & 2) && !(options & 0x100) ? rect : nullptr);
}

void ObjectRecord(TPlayer& player, const TRecord& r, std::uint32_t type)
{
    switch (type) {
    case U_EMR_CREATEPEN: player.CreateObject(r.U32(8), TPlayer::MakePen(r.U32(12), r.I32(16), r.Color(24))); break;
    case U_EMR_EXTCREATEPEN: {
        // Cosmetic pens are one pixel wide whatever their width says.
        const std::uint32_t style = r.U32(28);
        const bool geometric = (style & 0x00010000u) != 0;
        player.CreateObject(r.U32(8), TPlayer::MakePen(style & 0xF, geometric ? r.U32(32) : 0, r.Color(40)));
        break;
    }
    case U_EMR_CREATEBRUSHINDIRECT:
        player.CreateObject(r.U32(8), TPlayer::MakeBrush(r.U32(12), r.Color(16), r.U32(20)));
        break;
    case U_EMR_EXTCREATEFONTINDIRECTW: {
        r.Need(12, 92);
        const std::uint8_t* lf = r.Data() + 12;
        player.CreateObject(r.U32(8), TPlayer::MakeFont(r.I32(12), r.I32(20), r.I32(28), lf[20] != 0, lf[21] != 0,
                                                        lf[22] != 0, Utf16ToUtf8(r, 40, 32)));
        break;
    }
    case U_EMR_CREATEPALETTE:
    case U_EMR_CREATEMONOBRUSH:
    case U_EMR_CREATEDIBPATTERNBRUSHPT:
    case U_EMR_CREATECOLORSPACE:
    case U_EMR_CREATECOLORSPACEW: {
        TGdiObject other;
        other.Kind = TGdiObject::Other;
        player.CreateObject(r.U32(8), other);
        break;
    }
    case U_EMR_SELECTOBJECT: {
        const std::uint32_t index = r.U32(8);
        if (index & StockObjectFlag) player.SelectStockObject(index & ~StockObjectFlag);
        else player.SelectObject(index);
        break;
    }
    case U_EMR_DELETEOBJECT: player.DeleteObject(r.U32(8)); break;
    default: break;
    }
}

void SetTransform(TDeviceState& s, const TRecord& r, std::uint32_t mode)
{
    double m[6];
    for (int i = 0; i < 6; ++i) m[i] = r.F32(8 + 4 * i);
    double* w = s.World;
    if (mode == 1) { // identity
        const double id[6] = {1, 0, 0, 1, 0, 0};
        std::copy(id, id + 6, w);
        return;
    }
    if (mode == 4) { // set
        std::copy(m, m + 6, w);
        return;
    }
    // Left multiplication applies the new transform before the current one; right, after it.
    const double* a = mode == 2 ? m : w;
    const double* b = mode == 2 ? w : m;
    const double p[6] = {a[0] * b[0] + a[1] * b[2],        a[0] * b[1] + a[1] * b[3],
                         a[2] * b[0] + a[3] * b[2],        a[2] * b[1] + a[3] * b[3],
                         a[4] * b[0] + a[5] * b[2] + b[4], a[4] * b[1] + a[5] * b[3] + b[5]};
    std::copy(p, p + 6, w);
}

} // namespace

void PlayEmf(const std::uint8_t* data, std::size_t size, TBitmap& target)
{
    TRecord file(data, size);
    if (!file.Has(0, 88)) throw EvekImageError("Not a valid metafile.");
    const std::uint32_t headerSize = file.U32(4);
    if (headerSize < 88 || headerSize > size) Corrupt("the header is cut short");
    const TRecord header(data, headerSize);
    const double frameL = header.I32(24), frameT = header.I32(28), frameR = header.I32(32), frameB = header.I32(36);
    const double devW = header.I32(72), devH = header.I32(76), mmW = header.I32(80), mmH = header.I32(84);
    const std::uint32_t handles = header.U32(56) & 0xFFFF;

    // The frame, in hundredths of a millimetre, gives the size at 96 dpi.
    const long w = std::lround(std::fabs(frameR - frameL) * 96 / 2540), h = std::lround(std::fabs(frameB - frameT) * 96 / 2540);
    if (w <= 0 || h <= 0) Corrupt("the picture has no size");
    TBitmap::CheckDimensions(w, h);
    target.SetSize(static_cast<int>(w), static_cast<int>(h));

    // Logical units reach the reference device through the records' own mapping; the frame, in
    // reference-device pixels, is then stretched over the target.
    const double ppmX = devW > 0 && mmW > 0 ? devW / mmW : 96 / 25.4;
    const double ppmY = devH > 0 && mmH > 0 ? devH / mmH : 96 / 25.4;
    TPlayer player(target, ppmX, ppmY);
    const double fl = frameL / 100 * ppmX, fr = frameR / 100 * ppmX, ft = frameT / 100 * ppmY, fb = frameB / 100 * ppmY;
    const double sx = fr != fl ? w / (fr - fl) : 1, sy = fb != ft ? h / (fb - ft) : 1;
    player.SetOuter(sx, -fl * sx, sy, -ft * sy);
    player.SetObjectCount(handles);
    TDeviceState& s = player.State();

    std::size_t pos = headerSize;
    while (pos < size) {
        if (!file.Has(pos, 8)) Corrupt("a record is cut short");
        const std::uint32_t type = file.U32(pos), bytes = file.U32(pos + 4);
        if (bytes < 8 || bytes % 4 != 0 || bytes > size - pos) Corrupt("a record runs past the end of the file");
        const TRecord r(data + pos, bytes);
        pos += bytes;
        if (type == U_EMR_EOF) break;
        // Unknown records, and records whose inner counts and offsets do not fit their length, are
        // passed over.
        if (type < U_EMR_MIN || type > U_EMR_MAX || !U_emf_record_safe(reinterpret_cast<const char*>(r.Data()))) continue;

        switch (type) {
        case U_EMR_SETWINDOWEXTEX: s.WindowExtX = r.I32(8), s.WindowExtY = r.I32(12); break;
        case U_EMR_SETWINDOWORGEX: s.WindowOrgX = r.I32(8), s.WindowOrgY = r.I32(12); break;
        case U_EMR_SETVIEWPORTEXTEX: s.ViewportExtX = r.I32(8), s.ViewportExtY = r.I32(12); break;
        case U_EMR_SETVIEWPORTORGEX: s.ViewportOrgX = r.I32(8), s.ViewportOrgY = r.I32(12); break;
        case U_EMR_SETMAPMODE: s.MapMode = static_cast<int>(r.U32(8)); break;
        case U_EMR_SETBKMODE: s.BkMode = static_cast<int>(r.U32(8)); break;
        case U_EMR_SETROP2: player.SetRop2(r.U32(8)); break;
        case U_EMR_SETTEXTALIGN: s.TextAlign = r.U32(8); break;
        case U_EMR_SETTEXTCOLOR: s.TextColor = r.Color(8); break;
        case U_EMR_SETBKCOLOR: s.BkColor = r.Color(8); break;
        case U_EMR_SAVEDC: player.SaveDC(); break;
        case U_EMR_RESTOREDC: player.RestoreDC(r.I32(8)); break;
        case U_EMR_SETWORLDTRANSFORM: SetTransform(s, r, 4); break;
        case U_EMR_MODIFYWORLDTRANSFORM: SetTransform(s, r, r.U32(32)); break;
        case U_EMR_MOVETOEX: player.MoveTo(r.I32(8), r.I32(12)); break;
        case U_EMR_LINETO: player.LineTo(r.I32(8), r.I32(12)); break;
        case U_EMR_SETPIXELV: player.SetPixel(r.I32(8), r.I32(12), r.Color(16)); break;
        case U_EMR_RECTANGLE: player.Rectangle(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
        case U_EMR_ELLIPSE: player.Ellipse(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
        case U_EMR_ROUNDRECT:
            player.RoundRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28));
            break;
        case U_EMR_ARC:
        case U_EMR_PIE:
        case U_EMR_CHORD: {
            auto kind = type == U_EMR_ARC ? TPlayer::akArc : type == U_EMR_PIE ? TPlayer::akPie : TPlayer::akChord;
            player.ArcShape(kind, r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28), r.I32(32), r.I32(36));
            break;
        }
        case U_EMR_INTERSECTCLIPRECT: player.IntersectClip(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
        case U_EMR_EXCLUDECLIPRECT: player.ExcludeClip(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
        case U_EMR_POLYGON:
        case U_EMR_POLYLINE:
        case U_EMR_POLYLINETO:
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYPOLYLINE:
        case U_EMR_POLYPOLYGON:
        case U_EMR_POLYGON16:
        case U_EMR_POLYLINE16:
        case U_EMR_POLYLINETO16:
        case U_EMR_POLYBEZIER16:
        case U_EMR_POLYBEZIERTO16:
        case U_EMR_POLYPOLYLINE16:
        case U_EMR_POLYPOLYGON16: PolyRecord(player, r, type); break;
        case U_EMR_EXTTEXTOUTA: TextRecord(player, r, false); break;
        case U_EMR_EXTTEXTOUTW: TextRecord(player, r, true); break;
        case U_EMR_CREATEPEN:
        case U_EMR_EXTCREATEPEN:
        case U_EMR_CREATEBRUSHINDIRECT:
        case U_EMR_EXTCREATEFONTINDIRECTW:
        case U_EMR_CREATEPALETTE:
        case U_EMR_CREATEMONOBRUSH:
        case U_EMR_CREATEDIBPATTERNBRUSHPT:
        case U_EMR_CREATECOLORSPACE:
        case U_EMR_CREATECOLORSPACEW:
        case U_EMR_SELECTOBJECT:
        case U_EMR_DELETEOBJECT: ObjectRecord(player, r, type); break;
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT: {
            const double x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
            if (r.U32(88) == 0) { // no source bitmap: a pattern operation
                player.PatBlt(x, y, cx, cy, r.U32(40));
                break;
            }
            const int sx = r.I32(44), sy = r.I32(48);
            const int sw = type == U_EMR_STRETCHBLT ? r.I32(100) : static_cast<int>(cx);
            const int sh = type == U_EMR_STRETCHBLT ? r.I32(104) : static_cast<int>(cy);
            player.DrawBitmap(RecordDib(r, 84), x, y, cx, cy, sx, sy, sw, sh);
            break;
        }
        case U_EMR_STRETCHDIBITS: {
            // Source rows count from the bottom of the bitmap.
            TBitmap dib = RecordDib(r, 48);
            const int sh = r.I32(44);
            player.DrawBitmap(dib, r.I32(24), r.I32(28), r.I32(72), r.I32(76), r.I32(32), dib.Height() - r.I32(36) - sh,
                              r.I32(40), sh);
            break;
        }
        case U_EMR_SETDIBITSTODEVICE: {
            TBitmap dib = RecordDib(r, 48);
            const int sw = r.I32(40), sh = r.I32(44);
            player.DrawBitmap(dib, r.I32(24), r.I32(28), sw, sh, r.I32(32), dib.Height() - r.I32(36) - sh, sw, sh);
            break;
        }
        default: break; // records that change nothing we draw
        }
    }
}

} // namespace metafile
