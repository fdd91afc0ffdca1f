#include "app/CliImageFiles.h"
#include "app/CommandLine.h"

#include <iostream>

int CliInfo(const TCliArgs& args)
{
    if (args.size() != 1) throw TCliUsageError{"info needs exactly one FILE"};
    TCliImageFiles files(args[0]);
    const TBitmap image = files.Load();
    std::cout << image.Width() << ' ' << image.Height() << ' ' << image.BitsPerPixel() << '\n';
    return 0;
}
