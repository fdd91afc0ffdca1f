#include "imaging/Codecs.h"
#include "imaging/Dib.h"
#include "platform/Errors.h"

#include <cstring>

namespace {

struct TIconEntry {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    bool png = false;
    std::int64_t pixels = 0;
    int bits = 0;
};

bool IsPng(const std::uint8_t* p, std::size_t n) { return n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0; }

// Size and depth of an entry as its own header tells them.
void Measure(TIconEntry& e)
{
    if (e.png) {
        static constexpr int channels[7] = {1, 0, 3, 1, 2, 0, 4};
        if (e.size < 29 || std::memcmp(e.data + 12, "IHDR", 4) != 0 || e.data[25] > 6 || !channels[e.data[25]])
            throw EvekImageError("Icon file is corrupt: a PNG image has no valid header.");
        const TByteReader header(e.data, e.size, "Icon", TByteOrder::BigEndian);
        e.pixels = std::int64_t(header.U32(16)) * header.U32(20);
        e.bits = e.data[24] * channels[e.data[25]];
        return;
    }
    TByteReader in(e.data, e.size, "Icon");
    const TDibHeader h = ReadDibHeader(in, true);
    e.pixels = h.Width * h.Height;
    e.bits = h.Bits;
}

TBitmap DecodePngEntry(const TIconEntry& e)
{
    TBitmap image;
    DecodePng(e.data, e.size, image);

    // Opacity: the PNG's alpha when it came as 32 bits with one, else its transparent colour.
    const bool hasAlpha = image.PixelFormat() == pf32bit && [&] {
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                if (image.ScanLine(y)[4 * x + 3]) return true;
        return false;
    }();
    const bool transparent = image.Transparent();
    const TColor clear = image.TransparentColor();
    TBitmap icon(image);
    icon.SetPixelFormat(pf32bit);
    for (int y = 0; y < icon.Height(); ++y) {
        std::uint8_t* d = icon.ScanLine(y);
        for (int x = 0; x < icon.Width(); ++x, d += 4)
            d[3] = hasAlpha ? image.ScanLine(y)[4 * x + 3]
                            : (transparent && image.GetPixel(x, y) == clear ? 0 : 255);
    }
    return icon;
}

TBitmap DecodeDibEntry(const TIconEntry& e)
{
    TByteReader in(e.data, e.size, "Icon");
    const TDibHeader h = ReadDibHeader(in, true);
    TBitmap colors;
    const std::size_t maskOffset = DecodeDibPixels(h, in, in.Position(), colors);

    TBitmap icon(colors);
    bool useMask = true;
    if (colors.PixelFormat() == pf32bit) {
        for (int y = 0; y < icon.Height() && useMask; ++y)
            for (int x = 0; x < icon.Width(); ++x)
                if (icon.ScanLine(y)[4 * x + 3]) {
                    useMask = false;
                    break;
                }
    } else {
        icon.SetPixelFormat(pf32bit);
    }
    if (!useMask) return icon;

    const std::int64_t maskRow = DibRowBytes(h.Width, 1);
    in.Seek(maskOffset);
    const std::uint8_t* mask = in.Bytes(static_cast<std::size_t>(maskRow * h.Height));
    for (int i = 0; i < icon.Height(); ++i) {
        const std::uint8_t* m = mask + i * maskRow;
        std::uint8_t* d = icon.ScanLine(h.TopDown ? i : icon.Height() - 1 - i);
        for (int x = 0; x < icon.Width(); ++x) d[4 * x + 3] = ((m[x >> 3] >> (7 - (x & 7))) & 1) ? 0 : 255;
    }
    return icon;
}

} // namespace

TBitmap DecodeIcon(const std::uint8_t* data, std::size_t size)
{
    TByteReader in(data, size, "Icon");
    const std::uint16_t reserved = in.U16();
    const std::uint16_t type = in.U16();
    const std::uint16_t count = in.U16();
    if (reserved != 0 || (type != 1 && type != 2)) in.Corrupt("no icon signature");
    if (count == 0) in.Corrupt("it holds no image");

    TIconEntry best;
    for (int i = 0; i < count; ++i) {
        in.Skip(8); // width, height, colours, reserved, planes, bits: the image's own header tells better
        const std::uint32_t bytes = in.U32();
        const std::uint32_t offset = in.U32();
        // Every image must be there: a cut file is refused even when a smaller image survived.
        if (offset > size || bytes > size - offset) in.Truncated();
        TIconEntry e;
        e.data = data + offset;
        e.size = bytes;
        e.png = IsPng(e.data, e.size);
        Measure(e);
        if (!best.data || e.pixels > best.pixels || (e.pixels == best.pixels && e.bits > best.bits)) best = e;
    }
    return best.png ? DecodePngEntry(best) : DecodeDibEntry(best);
}

void DrawIcon(const TBitmap& icon, TBitmap& target)
{
    target.SetSize(icon.Width(), icon.Height());
    for (int y = 0; y < icon.Height(); ++y) {
        const std::uint8_t* s = icon.ScanLine(y);
        for (int x = 0; x < icon.Width(); ++x, s += 4) {
            const unsigned a = s[3];
            if (a == 0) continue;
            if (a == 255) {
                target.SetPixel(x, y, RGB(s[2], s[1], s[0]));
                continue;
            }
            const TColor under = target.GetPixel(x, y);
            auto blend = [a](unsigned over, unsigned back) { return (over * a + back * (255 - a) + 127) / 255; };
            target.SetPixel(x, y,
                            RGB(blend(s[2], GetRValue(under)), blend(s[1], GetGValue(under)),
                                blend(s[0], GetBValue(under))));
        }
    }
}
