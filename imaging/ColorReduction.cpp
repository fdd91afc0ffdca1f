#include "imaging/ColorReduction.h"

#include "imaging/ImageIO.h"
#include "platform/Errors.h"

TReductionSettings& ReductionSettings()
{
    static TReductionSettings settings;
    return settings;
}

const std::vector<TRGBQuad>& Netscape216Palette()
{
    static const std::vector<TRGBQuad> palette = [] {
        std::vector<TRGBQuad> p;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back(TRGBQuad{static_cast<std::uint8_t>(51 * b), static_cast<std::uint8_t>(51 * g),
                                         static_cast<std::uint8_t>(51 * r), 0});
        return p;
    }();
    return palette;
}

const std::vector<TRGBQuad>& GrayPalette256()
{
    static const std::vector<TRGBQuad> palette = [] {
        std::vector<TRGBQuad> p(256);
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            p[i] = TRGBQuad{v, v, v, 0};
        }
        return p;
    }();
    return palette;
}

TNetscapeColorLookup::TNetscapeColorLookup()
{
    for (int c = 0; c < 256; ++c) level_[c] = static_cast<std::uint8_t>((c + 3) / 51);
}

TBitmap ReduceBitmapColors(const TBitmap& bitmap, TPaletteChoice palette, TDitherChoice dither,
                           const std::vector<TRGBQuad>& givenPalette, int bits)
{
    if (palette == pcNone) {
        TBitmap copy(bitmap);
        copy.SetPixelFormat(pf24bit);
        return copy;
    }
    if (palette != pcNetscape216 || dither != dcNearest)
        throw EvekImageError("This colour reduction is not available.");

    TBitmap converted;
    const TBitmap& source = AsTrueColor(bitmap, converted);
    const TNetscapeColorLookup lookup;
    TBitmap result(source.Width(), source.Height(), pf8bit);
    result.SetPalette(Netscape216Palette());
    const int step = source.PixelFormat() == pf32bit ? 4 : 3;
    // Nearest colour keeps no error between pixels, so the serpentine order of the ditherers
    // gives the same result as a plain scan.
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* s = source.ScanLine(y);
        std::uint8_t* d = result.ScanLine(y);
        for (int x = 0; x < source.Width(); ++x, s += step)
            d[x] = static_cast<std::uint8_t>(lookup.Lookup(s[2], s[1], s[0]));
    }
    return result;
}
