#pragma once
#include "platform/TBitmap.h"

#include <string>

// The save settings that live elsewhere in the window (JPEG optimizer slider, Options and Png menus)
// and that a load may change (a PNG's text replaces PngText).
struct TImageFileSettings {
    int JpegQuality = 50;       // 1..100
    bool TransparentGif = true; // Options, "Transparent GIF"
    bool PngTextOn = false;     // the text-chunk switch of the Png menu
    std::string PngText;
};

// The upper-cased extension: the text from the last "." on, unless a "/", "\" or ":" follows it.
std::string FileExtension(const std::string& fileName);

// Chooses a reader by extension; an unknown extension loads nothing. A failing reader raises its
// error and leaves target as it was.
void LoadImageFile(const std::string& fileName, TBitmap& target, TImageFileSettings& settings);

// Chooses a writer by extension; an unknown extension writes nothing. Returns false only when the
// save was abandoned (No to the icon question, a cancelled password), so the file list is not
// refreshed.
bool SaveImageFile(const std::string& fileName, TBitmap& source, const TImageFileSettings& settings);
