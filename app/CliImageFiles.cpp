#include "app/CliImageFiles.h"

#include "platform/Errors.h"

namespace {

void RefuseUnknown(const std::string& fileName)
{
    throw EvekImageError("Unknown image file type: \"" + fileName + "\".");
}

} // namespace

TCliImageFiles::TCliImageFiles(const std::string& source, const std::string& destination)
    : source_(source), destination_(destination)
{
    if (!CanLoadImageFile(source)) RefuseUnknown(source);
    if (!destination.empty() && !CanSaveImageFile(destination)) RefuseUnknown(destination);
}

TBitmap TCliImageFiles::Load()
{
    TBitmap image;
    LoadImageFile(source_, image, Settings);
    if (image.Empty()) throw EvekImageError("No image was loaded from \"" + source_ + "\".");
    return image;
}

void TCliImageFiles::Save(TBitmap& image)
{
    if (!SaveImageFile(destination_, image, Settings))
        throw EvekError("Nothing was written to \"" + destination_ + "\".");
}
