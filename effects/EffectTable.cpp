#include "effects/EffectTable.h"

#include "platform/Errors.h"

#include <cstdint>
#include <cstdlib>
#include <strings.h>

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

constexpr TResampleFilter kFilters[] = {
    {"Box", BoxFilter, 0.5f},       {"Triangle", TriangleFilter, 1.0f}, {"Hermite", HermiteFilter, 1.0f},
    {"Bell", BellFilter, 1.5f},     {"BSpline", SplineFilter, 2.0f},    {"Mitchell", MitchellFilter, 2.0f},
    {"Sinc", SincFilter, 3.0f},     {"Lanczos3", Lanczos3Filter, 3.0f},
};

using V = TEffectValues;
using FX = TvekPaintFX;

int I(const V& v, std::size_t i) { return static_cast<int>(v[i].Number); }
// Depths the effects take as a byte keep their low byte, as a byte argument always has.
std::uint8_t B(const V& v, std::size_t i) { return static_cast<std::uint8_t>(I(v, i)); }

void StretchOp(FX& fx, TBitmap& w, const V& v)
{
    const TResampleFilter* filter = FindResampleFilter(v[2].Text);
    if (!filter) throw EvekError("Unknown filter " + v[2].Text);
    TBitmap out(I(v, 0), I(v, 1), pf24bit);
    fx.Stretch(w, out, v[3].Given ? static_cast<float>(v[3].Number) : filter->Support, filter->Filter);
    w = std::move(out);
}

void ApplyFilterOp(FX& fx, TBitmap& w, const V& v)
{
    const int border = I(v, 1);
    if (border < cbWrap || border > cbSkipBorder) throw EvekError("The border is 0 (wrap), 1 (replicate) or 2 (skip)");
    fx.ApplyFilter(I(v, 0), static_cast<TConvolveBorder>(border), w);
}

// The effects that read one picture and write another take a copy of the work bitmap as source.
template <void (FX::*Op)(TBitmap&, TBitmap&, int)>
void FromCopy(FX& fx, TBitmap& w, const V& v)
{
    TBitmap src(w);
    (fx.*Op)(src, w, I(v, 0));
}

template <void (FX::*Op)(TBitmap&)>
void Plain(FX& fx, TBitmap& w, const V&)
{
    (fx.*Op)(w);
}

template <void (FX::*Op)(TBitmap&, int)>
void WithInt(FX& fx, TBitmap& w, const V& v)
{
    (fx.*Op)(w, I(v, 0));
}

constexpr TEffectArg kNone{};
constexpr TEffectArg Amount(const char* def) { return {"AMOUNT", eaInt, def}; }

// clang-format off
const TEffect kEffects[] = {
    {"Lighter", {Amount("25")}, WithInt<&FX::Lighter>},
    {"Darker", {Amount("25")}, WithInt<&FX::Darker>},
    {"Contrast", {Amount("25")}, WithInt<&FX::Contrast>},
    {"Saturation", {Amount("225")}, WithInt<&FX::Saturation>},
    {"GrayScale", {}, Plain<&FX::GrayScale>},
    {"Invert", {}, Plain<&FX::Invert>},
    {"Posterize", {TEffectArg{"DEPTH", eaInt, "100"}}, FromCopy<&FX::Posterize>},
    {"Solarize", {TEffectArg{"DEPTH", eaInt, "50"}}, FromCopy<&FX::Solarize>},
    {"ApplyFilter", {TEffectArg{"KIND", eaInt}, TEffectArg{"BORDER", eaBorder, "0"}}, ApplyFilterOp},
    {"Laplace", {}, Plain<&FX::Laplace>},
    {"HighPass", {}, Plain<&FX::HighPass>},
    {"FindEdges", {}, Plain<&FX::FindEdges>},
    {"EdgeEnhance", {}, Plain<&FX::EdgeEnhance>},
    {"ColorEmboss", {}, Plain<&FX::ColorEmboss>},
    {"Soften", {}, Plain<&FX::Soften>},
    {"SoftenLess", {}, Plain<&FX::SoftenLess>},
    {"Emboss", {}, Plain<&FX::Emboss>},
    {"Trace", {TEffectArg{"INTENSITY", eaInt, "1"}}, WithInt<&FX::Trace>},
    {"AntiAlias", {}, Plain<&FX::AntiAlias>},
    {"AntiAliasRect", {TEffectArg{"X0", eaInt}, TEffectArg{"Y0", eaInt}, TEffectArg{"X1", eaInt}, TEffectArg{"Y1", eaInt}},
        [](FX& fx, TBitmap& w, const V& v) { fx.AntiAliasRect(w, I(v, 0), I(v, 1), I(v, 2), I(v, 3)); }},
    {"SplitBlur", {TEffectArg{"DISTANCE", eaInt, "3"}}, WithInt<&FX::SplitBlur>},
    {"GaussianBlur", {TEffectArg{"DEPTH", eaInt, "0"}}, WithInt<&FX::GaussianBlur>},
    {"FlipDown", {}, Plain<&FX::FlipDown>},
    {"FlipRight", {}, Plain<&FX::FlipRight>},
    {"MirrorRight", {}, Plain<&FX::MirrorRight>},
    {"MirrorDown", {}, Plain<&FX::MirrorDown>},
    {"Turn", {}, [](FX& fx, TBitmap& w, const V&) { TBitmap out; fx.Turn(w, out); w = std::move(out); }},
    {"Stretch", {TEffectArg{"WIDTH", eaInt}, TEffectArg{"HEIGHT", eaInt}, TEffectArg{"FILTER", eaFilter, "Lanczos3"},
                 TEffectArg{"SUPPORT", eaDecimal, ""}}, StretchOp},
    {"FishEye", {TEffectArg{"AMOUNT", eaDecimal, "40/255"}},
        [](FX& fx, TBitmap& w, const V& v) { TBitmap src(w); fx.FishEye(src, w, v[0].Number); }},
    {"Twist", {TEffectArg{"DEPTH", eaInt, "40"}}, FromCopy<&FX::Twist>},
    {"Mosaic", {TEffectArg{"SIZE", eaInt, "3"}}, WithInt<&FX::Mosaic>},
    {"Whipe", {Amount("50")}, WithInt<&FX::Whipe>},
    {"ShadowUpLeft", {}, Plain<&FX::ShadowUpLeft>},
    {"ShadowUpRight", {}, Plain<&FX::ShadowUpRight>},
    {"ShadowDownLeft", {}, Plain<&FX::ShadowDownLeft>},
    {"ShadowDownRight", {}, Plain<&FX::ShadowDownRight>},
    {"Buttonize", {TEffectArg{"DEPTH", eaInt, "10"}, TEffectArg{"WEIGHT", eaInt, "120"}},
        [](FX& fx, TBitmap& w, const V& v) { fx.Buttonize(w, B(v, 0), I(v, 1)); }},
    {"ButtonizeOval", {TEffectArg{"DEPTH", eaInt, "10"}, TEffectArg{"STYLE", eaText, "round"}, TEffectArg{"WEIGHT", eaInt, "120"}},
        [](FX& fx, TBitmap& w, const V& v) { fx.ButtonizeOval(w, B(v, 0), v[1].Text, I(v, 2)); }},
    {"MaskOval", {TEffectArg{"COLOR", eaColor, "$FFFFFF"}}, [](FX& fx, TBitmap& w, const V& v) {
        fx.MaskOval(w, static_cast<TColor>(static_cast<std::int64_t>(v[0].Number))); }},
    {"Seamless", {TEffectArg{"DEPTH", eaInt, "10"}}, [](FX& fx, TBitmap& w, const V& v) { fx.Seamless(w, B(v, 0)); }},
};
// clang-format on

} // namespace

std::span<const TResampleFilter> ResampleFilters() { return kFilters; }

const TResampleFilter* FindResampleFilter(std::string_view name)
{
    for (const auto& f : kFilters)
        if (SameName(f.Name, name)) return &f;
    return nullptr;
}

const TResampleFilter& Lanczos3() { return *FindResampleFilter("Lanczos3"); }

std::span<const TEffect> Effects() { return kEffects; }

const TEffect* FindEffect(std::string_view name)
{
    for (const auto& e : kEffects)
        if (SameName(e.Name, name)) return &e;
    return nullptr;
}

std::size_t TEffect::ArgCount() const
{
    std::size_t n = 0;
    while (n < Args.size() && Args[n].Name) ++n;
    return n;
}

std::size_t TEffect::RequiredArgs() const
{
    std::size_t n = 0;
    while (n < ArgCount() && !Args[n].Default) ++n;
    return n;
}

std::string TEffect::Usage() const
{
    std::string line(Name);
    for (std::size_t i = 0; i < ArgCount(); ++i) {
        const TEffectArg& a = Args[i];
        line += " ";
        if (!a.Default)
            line += a.Name;
        else if (!*a.Default)
            line += std::string("[") + a.Name + "]";
        else
            line += std::string("[") + a.Name + "=" + a.Default + "]";
    }
    return line;
}

std::optional<long double> EffectNumber(const std::string& text)
{
    if (const auto slash = text.find('/'); slash != std::string::npos) {
        const auto a = EffectNumber(text.substr(0, slash)), b = EffectNumber(text.substr(slash + 1));
        if (!a || !b) return std::nullopt;
        return *a / *b;
    }
    const bool hex = !text.empty() && text[0] == '$';
    const char* begin = text.c_str() + (hex ? 1 : 0);
    char* end = nullptr;
    const long double value = hex ? static_cast<long double>(std::strtoul(begin, &end, 16)) : std::strtold(begin, &end);
    if (end == begin || *end) return std::nullopt;
    return value;
}

TEffectValues WithDefaults(const TEffect& effect, TEffectValues given)
{
    for (std::size_t i = given.size(); i < effect.ArgCount(); ++i) {
        const char* def = effect.Args[i].Default;
        TEffectValue v;
        v.Text = def ? def : "";
        v.Number = EffectNumber(v.Text).value_or(0);
        given.push_back(std::move(v));
    }
    return given;
}
