#pragma once
#include "imaging/Codecs.h"
#include "imaging/ImageFiles.h"
#include "platform/TBitmap.h"

#include <string>

// Loading and saving image files: the reader or writer is chosen by the file's extension from the
// codec table (imaging/Codecs.h).

// The upper-cased extension: the text from the last "." on, unless a "/", "\" or ":" follows it.
std::string FileExtension(const std::string& fileName);

// Whether the extension of fileName has a reader (or a writer): the others are passed over silently.
bool CanLoadImageFile(const std::string& fileName);
bool CanSaveImageFile(const std::string& fileName);

// Chooses a reader by extension; an unknown extension loads nothing. A failing reader raises its
// error and leaves target as it was; so do a cancelled and a wrong password, told by the result.
TLoadResult LoadImageFile(const std::string& fileName, TBitmap& target, TImageFileSettings& settings);

// Chooses a writer by extension; an unknown extension writes nothing. Returns false only when the
// save was abandoned (No to the icon question, a cancelled password), so the file list is not
// refreshed.
bool SaveImageFile(const std::string& fileName, TBitmap& source, const TImageFileSettings& settings);
