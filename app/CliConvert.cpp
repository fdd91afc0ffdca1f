#include "app/CommandLine.h"

#include "imaging/ImageIO.h"
#include "platform/Errors.h"
#include "platform/TBitmap.h"
#include "platform/UiServices.h"

#include <charconv>

namespace {

int ParseQuality(const std::string& text)
{
    int quality = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, quality);
    if (ec != std::errc{} || ptr != end || quality < 1 || quality > 100)
        throw TCliUsageError{"--quality needs a whole number from 1 to 100, not \"" + text + "\""};
    return quality;
}

} // namespace

// Load and save with the window's save settings (JPEG quality 50, Transparent GIF on, no PNG text
// chunk). Questions (icon resize, passwords) go to the console.
int CliConvert(const TCliArgs& args)
{
    TImageFileSettings settings;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--quality") {
            if (i + 1 >= args.size()) throw TCliUsageError{"--quality needs a number"};
            settings.JpegQuality = ParseQuality(args[++i]);
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            throw TCliUsageError{"Unknown option " + args[i]};
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) throw TCliUsageError{"convert needs SRC and DST"};
    const std::string& source = files[0];
    const std::string& destination = files[1];
    if (!CanLoadImageFile(source)) throw EvekImageError("Unknown image file type: \"" + source + "\".");
    if (!CanSaveImageFile(destination)) throw EvekImageError("Unknown image file type: \"" + destination + "\".");

    TConsoleUi console;
    TUiScope scope(console);
    TBitmap image;
    LoadImageFile(source, image, settings);
    if (image.Empty()) throw EvekImageError("No image was loaded from \"" + source + "\".");
    if (!SaveImageFile(destination, image, settings)) throw EvekError("Nothing was written to \"" + destination + "\".");
    return 0;
}
