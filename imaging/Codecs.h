#pragma once
#include "platform/TBitmap.h"

#include <string>

// The readers and writers that LoadImageFile and SaveImageFile dispatch to. Readers fill target only
// when the whole file decoded; a failure raises and leaves target as it was.

// PNG: pngText receives the file's text chunk (empty when it has none).
void LoadPngFile(const std::string& fileName, TBitmap& target, std::string& pngText);
// PNG: a compressed text chunk holding pngText is added when textOn and pngText is not empty.
void SavePngFile(const std::string& fileName, const TBitmap& source, bool textOn, const std::string& pngText);

// TIFF: the last readable page wins.
void LoadTiffFile(const std::string& fileName, TBitmap& target);
void SaveTiffFile(const std::string& fileName, const TBitmap& source);

// Targa: target takes the colour bitmap.
void LoadTargaFile(const std::string& fileName, TBitmap& target);

// Icon rule: asks to resize a source that is not 32 x 32, reduces it to 8 bits and writes one icon
// image with its mask. Returns false when the user declined (nothing written). Changes source.
bool SaveIconFile(const std::string& fileName, TBitmap& source);

// WMF and EMF: target is sized to the picture at 96 dpi and the picture drawn over it at 0, 0.
void DrawMetafile(const std::string& fileName, TBitmap& target);

// Password-protected ".xjpg", ".xgif", ".xpng". Returns false when the password was cancelled.
bool LoadEncryptedImageFile(const std::string& fileName, TBitmap& target, const std::string& innerExtension);
bool SaveEncryptedImageFile(const std::string& fileName, const TBitmap& source, const std::string& innerExtension);
