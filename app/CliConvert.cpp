#include "app/CliArgs.h"
#include "app/CliImageFiles.h"
#include "app/CommandLine.h"

// Load and save with the window's save settings (JPEG quality 50 unless given, Transparent GIF on,
// no PNG text chunk).
int CliConvert(const TCliArgs& args)
{
    int quality = 0;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--quality") {
            if (i + 1 >= args.size()) throw TCliUsageError{"--quality needs a number"};
            quality = QualityArg(args[++i]);
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            throw TCliUsageError{"Unknown option " + args[i]};
        } else {
            names.push_back(args[i]);
        }
    }
    if (names.size() != 2) throw TCliUsageError{"convert needs SRC and DST"};
    TCliImageFiles files(names[0], names[1]);
    if (quality) files.Settings.JpegQuality = quality;
    TBitmap image = files.Load();
    files.Save(image);
    return 0;
}
