#pragma once
#include "platform/TBitmap.h"

#include <cstdint>
#include <string>
#include <cstddef>
#include <vector>

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

// Whether the extension of fileName has a reader (or a writer): the others are passed over silently.
bool CanLoadImageFile(const std::string& fileName);
bool CanSaveImageFile(const std::string& fileName);

// Chooses a reader by extension; an unknown extension loads nothing. A failing reader raises its
// error and leaves target as it was.
void LoadImageFile(const std::string& fileName, TBitmap& target, TImageFileSettings& settings);

// Chooses a writer by extension; an unknown extension writes nothing. Returns false only when the
// save was abandoned (No to the icon question, a cancelled password), so the file list is not
// refreshed.
bool SaveImageFile(const std::string& fileName, TBitmap& source, const TImageFileSettings& settings);

// The whole of a file, for the codecs that decode from memory; a missing or unreadable file raises
// EvekFileError naming it.
std::vector<std::uint8_t> ReadImageFileBytes(const std::string& fileName);
// Creates or truncates the file and writes bytes, encoded beforehand so that a failed encoding
// leaves no half-written file; failures raise EvekFileError.
void WriteImageFileBytes(const std::string& fileName, const void* bytes, std::size_t size);
inline void WriteImageFileBytes(const std::string& fileName, const std::vector<std::uint8_t>& bytes)
{
    WriteImageFileBytes(fileName, bytes.data(), bytes.size());
}
inline void WriteImageFileBytes(const std::string& fileName, const std::string& bytes)
{
    WriteImageFileBytes(fileName, bytes.data(), bytes.size());
}

// source itself when it is 24 or 32 bits a pixel, else a 24-bit copy of it made in copy: the rows
// codecs can read directly.
const TBitmap& AsTrueColor(const TBitmap& source, TBitmap& copy);
