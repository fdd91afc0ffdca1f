#include "imaging/ByteStream.h"
#include "imaging/Codecs.h"
#include "imaging/TiffFile.h"

#include "platform/Errors.h"


// The writer makes one uncompressed strip in Intel order: a palette image for 1, 4 and 8 bits a pixel,
// an RGB image for deeper ones, with a fixed directory of fifteen entries written after the pixels.

namespace {

constexpr char SoftwareText[] = "Zelmo soft"; // written without its terminator
constexpr std::uint32_t ResolutionNumerator = 877;
constexpr std::uint32_t ResolutionDenominator = 10;

// Intel order, with the directory entries of the templates.
class TTiffOut : public TByteWriter {
public:
    // Every offset of the file is 32-bit.
    std::uint32_t Position() const { return static_cast<std::uint32_t>(TByteWriter::Position()); }
    // An entry whose value sits in the field: SHORT values take its first two bytes.
    void PutEntry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value)
    {
        Put16(tag);
        Put16(type);
        Put32(count);
        if (type == ttypeShort && count == 1) {
            Put16(value);
            Put16(0);
        } else {
            Put32(value);
        }
    }
    // ImageWidth and ImageLength are SHORT unless the side needs more than 16 bits.
    void PutSize(std::uint16_t tag, int value)
    {
        PutEntry(tag, value > 0xFFFF ? ttypeLong : ttypeShort, 1, static_cast<std::uint32_t>(value));
    }
};

// Where the writer put the values its directory points at. A palette image has a colour map and
// one BitsPerSample value in the entry; an RGB image has three values at an offset.
struct TTiffLayout {
    std::uint32_t XResolution = 0, YResolution = 0, BitsPerSample = 0, Software = 0, Pixels = 0;
    std::uint32_t ColorMap = 0, ColorMapCount = 0; // no colour map: an RGB image
};

void PutResolutions(TTiffOut& out, TTiffLayout& at)
{
    at.XResolution = out.Position();
    out.Put32(ResolutionNumerator);
    out.Put32(ResolutionDenominator);
    at.YResolution = out.Position();
    out.Put32(ResolutionNumerator);
    out.Put32(ResolutionDenominator);
}

void PutSoftware(TTiffOut& out, TTiffLayout& at)
{
    at.Software = out.Position();
    out.PutBytes(SoftwareText, sizeof(SoftwareText) - 1);
}

// The directory after the pixels, its offset patched into the header.
void PutDirectory(TTiffOut& out, int w, int h, std::size_t rowBytes, const TTiffLayout& at)
{
    const bool palette = at.ColorMapCount != 0;
    const std::uint32_t directory = out.Position();
    out.Put16(15);
    out.PutEntry(ttagNewSubfileType, ttypeLong, 1, 0);
    out.PutSize(ttagImageWidth, w);
    out.PutSize(ttagImageLength, h);
    out.PutEntry(ttagBitsPerSample, ttypeShort, palette ? 1 : 3, at.BitsPerSample);
    out.PutEntry(ttagCompression, ttypeShort, 1, 1);
    out.PutEntry(ttagPhotometric, ttypeShort, 1, palette ? 3 : 2);
    out.PutEntry(ttagStripOffsets, ttypeLong, 1, at.Pixels);
    out.PutEntry(ttagSamplesPerPixel, ttypeShort, 1, palette ? 1 : 3);
    out.PutEntry(ttagRowsPerStrip, ttypeLong, 1, static_cast<std::uint32_t>(h));
    out.PutEntry(ttagStripByteCounts, ttypeLong, 1, static_cast<std::uint32_t>(rowBytes * h));
    out.PutEntry(ttagXResolution, ttypeRational, 1, at.XResolution);
    out.PutEntry(ttagYResolution, ttypeRational, 1, at.YResolution);
    if (!palette) out.PutEntry(ttagPlanarConfiguration, ttypeShort, 1, 1);
    out.PutEntry(ttagResolutionUnit, ttypeShort, 1, 2);
    out.PutEntry(ttagSoftware, ttypeAscii, sizeof(SoftwareText) - 1, at.Software);
    if (palette) out.PutEntry(ttagColorMap, ttypeShort, at.ColorMapCount, at.ColorMap);
    out.Put32(0);
    out.Patch32(4, directory);
}

void WritePaletteImage(TTiffOut& out, const TBitmap& bitmap)
{
    const int b = bitmap.BitsPerPixel();
    const std::uint32_t entries = 1u << b;
    const int w = bitmap.Width(), h = bitmap.Height();
    const std::size_t rowBytes = (static_cast<std::size_t>(w) * b + 7) / 8;
    TTiffLayout at;

    // The colour map: every red value, then every green, then every blue. The colour is repeated in
    // the low byte so that 255 reaches full intensity (65535) in every reader.
    const auto& palette = bitmap.Palette();
    auto channel = [&](std::uint32_t i, int c) -> std::uint32_t {
        if (i >= palette.size()) return 0;
        const TRGBQuad& q = palette[i];
        return std::uint32_t(c == 0 ? q.rgbRed : c == 1 ? q.rgbGreen : q.rgbBlue) * 0x101;
    };
    const std::uint32_t colorMap = out.Position();
    for (int c = 0; c < 3; ++c)
        for (std::uint32_t i = 0; i < entries; ++i) out.Put16(channel(i, c));
    PutResolutions(out, at);
    PutSoftware(out, at);
    at.Pixels = out.Position();
    for (int y = 0; y < h; ++y) out.PutBytes(bitmap.ScanLine(y), rowBytes);

    at.BitsPerSample = static_cast<std::uint32_t>(b);
    at.ColorMap = colorMap;
    at.ColorMapCount = 3 * entries;
    PutDirectory(out, w, h, rowBytes, at);
}

void WriteRgbImage(TTiffOut& out, const TBitmap& bitmap)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    const int step = bitmap.BitsPerPixel() / 8; // 3 or 4
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    TTiffLayout at;

    PutResolutions(out, at);
    at.BitsPerSample = out.Position();
    for (int i = 0; i < 3; ++i) out.Put16(8);
    PutSoftware(out, at);
    at.Pixels = out.Position();
    std::string row(rowBytes, '\0');
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = bitmap.ScanLine(y);
        char* dst = row.data();
        for (int x = 0; x < w; ++x, src += step, dst += 3) {
            dst[0] = static_cast<char>(src[2]);
            dst[1] = static_cast<char>(src[1]);
            dst[2] = static_cast<char>(src[0]);
        }
        out.PutBytes(row.data(), rowBytes);
    }

    PutDirectory(out, w, h, rowBytes, at);
}

} // namespace

TImageBytes EncodeTiff(const TBitmap& source)
{
    // 15- and 16-bit pixels are not bytes per colour; they go through the RGB path as 24 bits.
    TBitmap converted;
    const TBitmap* bitmap = &source;
    if (source.PixelFormat() == pf15bit || source.PixelFormat() == pf16bit) {
        converted.Assign(source);
        converted.SetPixelFormat(pf24bit);
        bitmap = &converted;
    }
    // Every offset of the file is 32-bit.
    if (static_cast<std::uint64_t>(bitmap->RowBytes()) * bitmap->Height() >= 0xFFFF0000ull)
        throw EvekImageError("The image is too large for a TIFF file.");

    TTiffOut out;
    out.PutBytes("II", 2);
    out.Put16(42);
    out.Put32(8); // patched once the directory's place is known
    if (bitmap->BitsPerPixel() <= 8)
        WritePaletteImage(out, *bitmap);
    else
        WriteRgbImage(out, *bitmap);
    return out.Take();
}
