#include "app/CliImageFiles.h"
#include "app/CommandLine.h"

#include "platform/Errors.h"
#include "platform/Scanner.h"

// One scan from the named scanner (or the first one found), saved by DST's extension.
int CliScan(const TCliArgs& args)
{
    std::string device;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device") {
            if (i + 1 >= args.size() || args[i + 1].empty()) throw TCliUsageError{"--device needs a scanner name"};
            device = args[++i];
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            throw TCliUsageError{"Unknown option " + args[i]};
        } else {
            names.push_back(args[i]);
        }
    }
    if (names.size() != 1) throw TCliUsageError{"scan needs exactly one DST"};
    // The destination is checked before the scanner is started.
    TCliImageFiles files({}, names[0]);
    TBitmap image = ScanImage(device);
    if (image.Empty()) throw EvekError("The scan was cancelled; nothing was written.");
    files.Save(image);
    return 0;
}
