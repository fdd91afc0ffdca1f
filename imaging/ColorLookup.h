#pragma once
// Colour lookups: a colour to a palette index and the palette colour chosen, which the ditherers
// need for their error. They are plain classes, not virtual ones: the reduction's pixel loop is a
// template over the lookup, so the call is inlined for every pixel.
#include "platform/TBitmap.h"

#include <array>
#include <cstdint>
#include <vector>

// The palette colour a lookup chose.
struct TChosenColor {
    int red = 0, green = 0, blue = 0;
};

class TColorLookup {
public:
    explicit TColorLookup(int colors) : colors_(colors) {}
    int Colors() const { return colors_; }

private:
    int colors_;
};

// Any palette of up to 256 entries. The nearest entry by the sum of channel distances is searched
// once per 15-bit key (five bits a channel) and remembered for every later colour of that key, so
// the full search runs at most 32768 times however large the image.
class TFastColorLookup : public TColorLookup {
public:
    static constexpr std::uint16_t kUnknown = 65535;

    explicit TFastColorLookup(const std::vector<TRGBQuad>& palette);

    static int Key(int red, int green, int blue) { return (red >> 3) + ((green & 0xF8) << 2) + ((blue & 0xF8) << 7); }

    int Lookup(int red, int green, int blue, TChosenColor& chosen)
    {
        std::uint16_t& cached = cache_[Key(red, green, blue)];
        if (cached == kUnknown) cached = Search(red, green, blue);
        chosen = colors_[cached];
        return cached;
    }

private:
    std::uint16_t Search(int red, int green, int blue) const;

    std::vector<TChosenColor> colors_;
    std::vector<std::uint16_t> cache_;
};

// The 216-colour cube: each channel's level is (c + 3) div 51, read from a table.
class TNetscapeColorLookup : public TColorLookup {
public:
    TNetscapeColorLookup() : TColorLookup(216)
    {
        for (int c = 0; c < 256; ++c) level_[c] = static_cast<std::uint8_t>((c + 3) / 51);
    }
    int Lookup(int red, int green, int blue, TChosenColor& chosen) const
    {
        const int r = level_[red], g = level_[green], b = level_[blue];
        chosen = {51 * r, 51 * g, 51 * b};
        return 36 * r + 6 * g + b;
    }

private:
    std::array<std::uint8_t, 256> level_;
};

// 256 greys by luminance; the index is the grey level.
class TGrayScaleLookup : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}
    int Lookup(int red, int green, int blue, TChosenColor& chosen) const
    {
        const int v = (77 * red + 150 * green + 29 * blue) >> 8;
        chosen = {v, v, v};
        return v;
    }
};

// Black below half luminance, white from there on.
class TMonochromeLookup : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}
    int Lookup(int red, int green, int blue, TChosenColor& chosen) const
    {
        if (77 * red + 150 * green + 29 * blue < 32513) {
            chosen = {0, 0, 0};
            return 0;
        }
        chosen = {255, 255, 255};
        return 1;
    }
};
