#include "app/CliArgs.h"
#include "app/CliImageFiles.h"
#include "app/CommandLine.h"
#include "imaging/GifImage.h"
#include "imaging/ImageIO.h"

#include <iterator>

namespace {

// The choices by their names, in the order of their values.
const char* const kPaletteNames[] = {"pcNone",        "pcWindows20", "pcHalftone256", "pcWindowsGray4",
                                     "pcMonochrome",  "pcGray256",   "pcNetscape216", "pcOptimized",
                                     "pcOptimizedWindows"};
const char* const kDitherNames[] = {"dcNearest", "dcFloydSteinberg", "dcStucki", "dcSierra",
                                    "dcJaJuNi",  "dcSteveArche",     "dcBurkes"};

template <std::size_t N>
int ChoiceArg(const char* option, const char* const (&names)[N], const std::string& text)
{
    for (std::size_t i = 0; i < N; ++i)
        if (text == names[i]) return static_cast<int>(i);
    std::string known;
    for (const char* name : names) known += std::string(known.empty() ? "" : ", ") + name;
    throw TCliUsageError{std::string(option) + " takes one of " + known + ", not \"" + text + "\""};
}

} // namespace

// The GIF optimizer without its window: reduce with the chosen palette and dithering (as the window
// starts: optimized Windows palette, Floyd-Steinberg, 8 bits) and write DST as its GIFSave does,
// in GIF form whatever DST's extension.
int CliGif(const TCliArgs& args)
{
    TReductionSettings settings;
    settings.Palette = pcOptimizedWindows;
    settings.Dither = dcFloydSteinberg;
    settings.Bits = 8;
    bool transparent = false;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw TCliUsageError{a + " needs a value"};
            return args[++i];
        };
        if (a == "--palette") {
            settings.Palette = static_cast<TPaletteChoice>(ChoiceArg("--palette", kPaletteNames, value()));
        } else if (a == "--dither") {
            settings.Dither = static_cast<TDitherChoice>(ChoiceArg("--dither", kDitherNames, value()));
        } else if (a == "--bits") {
            settings.Bits = IntArg(value());
            if (settings.Bits < 3 || settings.Bits > 8) throw TCliUsageError{"--bits takes 3 to 8"};
        } else if (a == "--transparent") {
            transparent = true;
        } else if (a.size() > 1 && a[0] == '-') {
            throw TCliUsageError{"Unknown option " + a};
        } else {
            names.push_back(a);
        }
    }
    if (names.size() != 2) throw TCliUsageError{"gif needs SRC and DST"};
    TCliImageFiles files(names[0]);
    const TBitmap image = files.Load();
    WriteImageFileBytes(names[1], EncodeOptimizedGif(image, settings, transparent));
    return 0;
}
