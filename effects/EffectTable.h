#pragma once
// Every effect operation as data: its name, its arguments with their defaults and the call. The
// command line's fx, the Effects menu and the script words all run effects from this one table.
#include "effects/PaintFX.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A resampling filter by name, with the support Stretch is given for it.
struct TResampleFilter {
    const char* Name;
    TFilterFunction Filter;
    float Support;
};

std::span<const TResampleFilter> ResampleFilters();
// nullptr when no filter has that name (compared without regard to case).
const TResampleFilter* FindResampleFilter(std::string_view name);
// The filter every resize of the working image uses.
const TResampleFilter& Lanczos3();

enum TEffectArgKind {
    eaInt,     // a whole number; depths that the effect takes as a byte keep their low byte
    eaDecimal, // a finite number
    eaColor,   // a TColor, $00BBGGRR
    eaText,    // a word such as a buttonize style
    eaFilter,  // the name of a resampling filter
    eaBorder   // how a 3 x 3 filter treats the image edge: 0 wrap, 1 replicate, 2 skip
};

struct TEffectArg {
    const char* Name = nullptr; // nullptr ends the list
    TEffectArgKind Kind = eaInt;
    // The value an argument left out takes; nullptr: the argument must be given; "": the effect
    // works out its own value.
    const char* Default = nullptr;
};

// One argument's value: numbers in Number, words in Text.
struct TEffectValue {
    long double Number = 0;
    std::string Text;
    bool Given = false;
};
using TEffectValues = std::vector<TEffectValue>;

struct TEffect {
    std::string_view Name;
    std::array<TEffectArg, 4> Args;
    // Runs on a 24-bit work bitmap; values holds one entry per argument, defaults filled in. An
    // effect that changes the size replaces the bitmap.
    void (*Run)(TvekPaintFX& fx, TBitmap& work, const TEffectValues& values);

    std::size_t ArgCount() const;
    std::size_t RequiredArgs() const;
    // "Name ARG [ARG=default]...": one line of the list the command line prints.
    std::string Usage() const;
};

std::span<const TEffect> Effects();
// nullptr when no effect has that name (compared without regard to case).
const TEffect* FindEffect(std::string_view name);

// A number as effect texts write it: decimal, $ and hex digits for a colour, or A/B for a fraction;
// nullopt otherwise.
std::optional<long double> EffectNumber(const std::string& text);

// The effect's values with the left-out ones taken from their defaults; given.size() must lie
// between RequiredArgs() and ArgCount().
TEffectValues WithDefaults(const TEffect& effect, TEffectValues given);

// Gaussian blur runs one pass per step of depth over the whole image; beyond this a single call
// would keep the program busy for minutes, so requests above it are refused.
constexpr int kMaxGaussianDepth = 100;
