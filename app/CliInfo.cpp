#include "app/CommandLine.h"

#include "imaging/ImageIO.h"
#include "platform/Errors.h"
#include "platform/TBitmap.h"
#include "platform/UiServices.h"

#include <iostream>

// Loads through the window's dispatch; a file that loads nothing (unknown extension, cancelled
// password) is an error here, since there is no size to print.
int CliInfo(const TCliArgs& args)
{
    if (args.size() != 1) throw TCliUsageError{"info needs exactly one FILE"};
    const std::string& fileName = args[0];
    if (!CanLoadImageFile(fileName)) throw EvekImageError("Unknown image file type: \"" + fileName + "\".");
    TConsoleUi console;
    TUiScope scope(console);
    TImageFileSettings settings;
    TBitmap image;
    LoadImageFile(fileName, image, settings);
    if (image.Empty()) throw EvekImageError("No image was loaded from \"" + fileName + "\".");
    std::cout << image.Width() << ' ' << image.Height() << ' ' << image.BitsPerPixel() << '\n';
    return 0;
}
