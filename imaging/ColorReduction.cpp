#include "imaging/ColorReduction.h"

#include "imaging/ColorLookup.h"
#include "imaging/ColorQuantizer.h"
#include "imaging/Ditherers.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstdlib>

TReductionSettings& ReductionSettings()
{
    static TReductionSettings settings;
    return settings;
}

namespace {

std::vector<TRGBQuad> Greys(std::initializer_list<int> levels)
{
    std::vector<TRGBQuad> p;
    for (int v : levels) {
        const auto c = static_cast<std::uint8_t>(v);
        p.push_back(TRGBQuad{c, c, c, 0});
    }
    return p;
}

} // namespace

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

const std::vector<TRGBQuad>& WindowsGrayPalette4()
{
    static const std::vector<TRGBQuad> palette = Greys({0, 128, 192, 255});
    return palette;
}

TFastColorLookup::TFastColorLookup(const std::vector<TRGBQuad>& palette)
    : TColorLookup(static_cast<int>(std::min<std::size_t>(palette.size(), 256))), cache_(32768, kUnknown)
{
    colors_.reserve(static_cast<std::size_t>(Colors()));
    for (int i = 0; i < Colors(); ++i) {
        const TRGBQuad& q = palette[static_cast<std::size_t>(i)];
        colors_.push_back(TChosenColor{q.rgbRed, q.rgbGreen, q.rgbBlue});
        std::uint16_t& cached = cache_[Key(q.rgbRed, q.rgbGreen, q.rgbBlue)];
        if (cached == kUnknown) cached = static_cast<std::uint16_t>(i);
    }
}

std::uint16_t TFastColorLookup::Search(int red, int green, int blue) const
{
    int best = 0x30000;
    std::uint16_t index = 0;
    for (std::size_t i = 0; i < colors_.size(); ++i) {
        const TChosenColor& c = colors_[i];
        const int d = std::abs(c.red - red) + std::abs(c.green - green) + std::abs(c.blue - blue);
        if (d < best) {
            best = d;
            index = static_cast<std::uint16_t>(i);
        }
    }
    return index;
}

namespace {

// The pixel loop: the ditherer decides where each row starts and which way it runs.
template <class Ditherer>
void DitherRows(const TBitmap& source, TBitmap& result, Ditherer& ditherer, const TReductionProgress& progress)
{
    const int width = source.Width(), height = source.Height();
    const int step = source.PixelFormat() == pf32bit ? 4 : 3;
    int reported = -1;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = source.ScanLine(y);
        std::uint8_t* out = result.ScanLine(y);
        for (int x = ditherer.Column(); x >= 0 && x < width; x += ditherer.Direction()) {
            const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * step;
            out[x] = static_cast<std::uint8_t>(ditherer.Dither(p[2], p[1], p[0]));
        }
        ditherer.NextLine();
        if (progress) {
            const int percent = static_cast<int>((y + 1) * std::int64_t(100) / height);
            if (percent != reported) progress(reported = percent);
        }
    }
}

template <template <class> class Ditherer, class Lookup>
void Run(const TBitmap& source, TBitmap& result, Lookup& lookup, const TReductionProgress& progress)
{
    Ditherer<Lookup> ditherer(source.Width(), lookup);
    DitherRows(source, result, ditherer, progress);
}

template <class Lookup>
void DitherWith(TDitherChoice dither, const TBitmap& source, TBitmap& result, Lookup& lookup,
                const TReductionProgress& progress)
{
    switch (dither) {
    case dcNearest: Run<TDitherEngine>(source, result, lookup, progress); break;
    case dcFloydSteinberg: Run<TFloydSteinbergDitherer>(source, result, lookup, progress); break;
    case dcStucki: Run<TStuckiDitherer>(source, result, lookup, progress); break;
    case dcSierra: Run<TSierraDitherer>(source, result, lookup, progress); break;
    case dcJaJuNi: Run<TJaJuNiDitherer>(source, result, lookup, progress); break;
    case dcSteveArche: Run<TSteveArcheDitherer>(source, result, lookup, progress); break;
    case dcBurkes: Run<TBurkesDitherer>(source, result, lookup, progress); break;
    }
}

std::vector<TRGBQuad> ChoicePalette(const TBitmap& source, TPaletteChoice choice,
                                    const std::vector<TRGBQuad>& givenPalette, int bits)
{
    switch (choice) {
    case pcWindows20: return StockPalette20();
    case pcHalftone256: return HalftonePalette256();
    case pcWindowsGray4: return WindowsGrayPalette4();
    case pcMonochrome: return MonochromePalette();
    case pcGray256: return GrayPalette256();
    case pcNetscape216: return Netscape216Palette();
    case pcOptimized:
        if (bits < 3 || bits > 8) throw EvekImageError("Reduction bits must be 3 to 8.");
        return BuildOctreePalette(source, 1 << bits, 8, false);
    case pcOptimizedWindows: return BuildOctreePalette(source, 256, 8, true);
    case pcGivenPalette:
        return std::vector<TRGBQuad>(givenPalette.begin(),
                                     givenPalette.begin() + std::min<std::size_t>(givenPalette.size(), 256));
    case pcNone: break;
    }
    return {};
}

} // namespace

TBitmap ReduceBitmapColors(const TBitmap& bitmap, TPaletteChoice choice, TDitherChoice dither,
                           const std::vector<TRGBQuad>& givenPalette, int bits, const TReductionProgress& progress)
{
    if (choice == pcNone) {
        TBitmap copy(bitmap);
        copy.SetPixelFormat(pf24bit);
        return copy;
    }
    if (choice < pcNone || choice > pcGivenPalette || dither < dcNearest || dither > dcBurkes) return TBitmap();

    TBitmap converted;
    const TBitmap& source = AsTrueColor(bitmap, converted);
    const std::vector<TRGBQuad> palette = ChoicePalette(source, choice, givenPalette, bits);
    if (palette.empty()) return TBitmap();

    TBitmap result(source.Width(), source.Height(), pf8bit);
    result.SetPalette(palette);
    switch (choice) {
    case pcMonochrome: {
        TMonochromeLookup lookup;
        DitherWith(dither, source, result, lookup, progress);
        break;
    }
    case pcGray256: {
        TGrayScaleLookup lookup;
        DitherWith(dither, source, result, lookup, progress);
        break;
    }
    case pcNetscape216: {
        TNetscapeColorLookup lookup;
        DitherWith(dither, source, result, lookup, progress);
        break;
    }
    default: {
        TFastColorLookup lookup(palette);
        DitherWith(dither, source, result, lookup, progress);
        break;
    }
    }
    return result;
}

const TBitmap& AsTrueColor(const TBitmap& source, TBitmap& copy)
{
    if (source.PixelFormat() == pf24bit || source.PixelFormat() == pf32bit) return source;
    copy = source;
    copy.SetPixelFormat(pf24bit);
    return copy;
}
