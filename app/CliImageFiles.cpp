#include "app/CliImageFiles.h"

#include "app/VistrelDoc.h"
#include "platform/Errors.h"

TCliImageFiles::TCliImageFiles(const std::string& source, const std::string& destination)
    : source_(source), destination_(destination)
{
    if (!source.empty()) RequireLoadableImageFile(source);
    if (!destination.empty()) RequireSavableImageFile(destination);
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
