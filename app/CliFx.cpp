#include "app/CommandLine.h"

#include "app/CliArgs.h"
#include "app/CliImageFiles.h"
#include "effects/PaintFX.h"
#include "platform/TBitmap.h"

#include <string_view>

namespace {

using TArgs = std::vector<std::string>;

struct TFilterName {
    const char* name;
    TFilterFunction filter;
    float support;
};

constexpr TFilterName kFilters[] = {
    {"Box", BoxFilter, 0.5f},       {"Triangle", TriangleFilter, 1.0f}, {"Hermite", HermiteFilter, 1.0f},
    {"Bell", BellFilter, 1.5f},     {"BSpline", SplineFilter, 2.0f},    {"Mitchell", MitchellFilter, 2.0f},
    {"Sinc", SincFilter, 3.0f},     {"Lanczos3", Lanczos3Filter, 3.0f},
};

void StretchOp(TvekPaintFX& fx, TBitmap& work, const TArgs& a)
{
    TBitmap out(IntArg(a[0]), IntArg(a[1]), pf24bit);
    TFilterFunction filter = Lanczos3Filter;
    float support = 3.0f;
    if (a.size() > 2) {
        const TFilterName* found = nullptr;
        for (const auto& f : kFilters)
            if (a[2] == f.name) found = &f;
        if (!found) throw TCliUsageError{"Unknown filter " + a[2]};
        filter = found->filter;
        support = found->support;
    }
    if (a.size() > 3) support = static_cast<float>(DecimalArg(a[3]));
    fx.Stretch(work, out, support, filter);
    work = std::move(out);
}

// One operation: its name, how many arguments it takes (from min to max) and the call.
struct TFxOperation {
    std::string_view name;
    std::size_t minArgs, maxArgs;
    void (*run)(TvekPaintFX& fx, TBitmap& work, const TArgs& a);
};

// clang-format off
const TFxOperation kOperations[] = {
    {"Lighter", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Lighter(w, IntArg(a[0])); }},
    {"Darker", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Darker(w, IntArg(a[0])); }},
    {"Contrast", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Contrast(w, IntArg(a[0])); }},
    {"Saturation", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Saturation(w, IntArg(a[0])); }},
    {"GrayScale", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.GrayScale(w); }},
    {"Invert", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.Invert(w); }},
    {"Posterize", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { TBitmap src(w); fx.Posterize(src, w, IntArg(a[0])); }},
    {"Solarize", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { TBitmap src(w); fx.Solarize(src, w, IntArg(a[0])); }},
    {"ApplyFilter", 2, 2, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) {
        const int border = IntArg(a[1]);
        if (border < cbWrap || border > cbSkipBorder) throw TCliUsageError{"BORDER is 0 (wrap), 1 (replicate) or 2 (skip)"};
        fx.ApplyFilter(IntArg(a[0]), static_cast<TConvolveBorder>(border), w); }},
    {"Laplace", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.Laplace(w); }},
    {"HighPass", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.HighPass(w); }},
    {"FindEdges", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.FindEdges(w); }},
    {"EdgeEnhance", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.EdgeEnhance(w); }},
    {"ColorEmboss", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.ColorEmboss(w); }},
    {"Soften", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.Soften(w); }},
    {"SoftenLess", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.SoftenLess(w); }},
    {"Emboss", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.Emboss(w); }},
    {"Trace", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Trace(w, IntArg(a[0])); }},
    {"AntiAlias", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.AntiAlias(w); }},
    {"AntiAliasRect", 4, 4, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) {
        fx.AntiAliasRect(w, IntArg(a[0]), IntArg(a[1]), IntArg(a[2]), IntArg(a[3])); }},
    {"SplitBlur", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.SplitBlur(w, IntArg(a[0])); }},
    {"GaussianBlur", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.GaussianBlur(w, IntArg(a[0])); }},
    {"FlipDown", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.FlipDown(w); }},
    {"FlipRight", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.FlipRight(w); }},
    {"MirrorRight", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.MirrorRight(w); }},
    {"MirrorDown", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.MirrorDown(w); }},
    {"Turn", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { TBitmap out; fx.Turn(w, out); w = std::move(out); }},
    {"Stretch", 2, 4, StretchOp},
    {"FishEye", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { TBitmap src(w); fx.FishEye(src, w, DecimalArg(a[0])); }},
    {"Twist", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { TBitmap src(w); fx.Twist(src, w, IntArg(a[0])); }},
    {"Mosaic", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Mosaic(w, IntArg(a[0])); }},
    {"Whipe", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Whipe(w, IntArg(a[0])); }},
    {"ShadowUpLeft", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.ShadowUpLeft(w); }},
    {"ShadowUpRight", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.ShadowUpRight(w); }},
    {"ShadowDownLeft", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.ShadowDownLeft(w); }},
    {"ShadowDownRight", 0, 0, [](TvekPaintFX& fx, TBitmap& w, const TArgs&) { fx.ShadowDownRight(w); }},
    {"Buttonize", 2, 2, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) {
        fx.Buttonize(w, static_cast<std::uint8_t>(IntArg(a[0])), IntArg(a[1])); }},
    {"ButtonizeOval", 3, 3, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) {
        fx.ButtonizeOval(w, static_cast<std::uint8_t>(IntArg(a[0])), a[1], IntArg(a[2])); }},
    {"MaskOval", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.MaskOval(w, ColorArg(a[0])); }},
    {"Seamless", 1, 1, [](TvekPaintFX& fx, TBitmap& w, const TArgs& a) { fx.Seamless(w, static_cast<std::uint8_t>(IntArg(a[0]))); }},
};
// clang-format on

} // namespace

// Loads SRC, runs one effect on a 24-bit work copy and saves it as DST, as an effect command of the
// window does. Depth arguments that the effect takes as a byte keep their low byte.
int CliFx(const TCliArgs& args)
{
    if (args.size() < 3) throw TCliUsageError{"fx needs SRC DST OPERATION [ARG...]"};
    const TFxOperation* op = nullptr;
    for (const auto& o : kOperations)
        if (o.name == args[2]) op = &o;
    if (!op) throw TCliUsageError{"Unknown effect " + args[2]};
    const TArgs opArgs(args.begin() + 3, args.end());
    if (opArgs.size() < op->minArgs || opArgs.size() > op->maxArgs)
        throw TCliUsageError{"Wrong number of arguments for " + args[2]};
    TCliImageFiles files(args[0], args[1]);
    TBitmap work = files.Load();
    work.SetPixelFormat(pf24bit);
    TvekPaintFX fx;
    op->run(fx, work, opArgs);
    files.Save(work);
    return 0;
}
